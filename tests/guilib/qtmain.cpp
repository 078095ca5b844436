// Test main for widget tests: a QApplication on the offscreen platform unless another is chosen, in
// the C locale.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt picks fonts (and so the pixels the tests look at) by the locale: every run uses the same one,
    // whatever the machine's. Tests of the window's language choose it themselves.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
