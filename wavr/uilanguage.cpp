#include "uilanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "editor/editorids.h"

namespace {

EUiLanguage g_Language = EUiLanguage::Chinese;
QTranslator* g_pTranslator = nullptr;

// Qt's own texts (the buttons and labels of its file dialog) in the Chinese of the system's region,
// or of the mainland when the locale is not Chinese. Without Qt's translations installed they stay
// English.
QTranslator* QtChineseTranslator() {
    const QLocale system = QLocale::system();
    const QLocale locale =
        system.language() == QLocale::Chinese ? system : QLocale(QLocale::Chinese, QLocale::China);
    auto* pTranslator = new QTranslator;
    if (!pTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete pTranslator;
        return nullptr;
    }
    return pTranslator;
}

} // namespace

std::optional<EUiLanguage> ChooseUiLanguage(const QString& option, const QLocale& system) {
    if (option == "zh") return EUiLanguage::Chinese;
    if (option == "en") return EUiLanguage::English;
    if (!option.isEmpty()) return std::nullopt;
    return system.language() == QLocale::Chinese ? EUiLanguage::Chinese : EUiLanguage::English;
}

bool SetUiLanguage(EUiLanguage language) {
    if (g_pTranslator) {
        QCoreApplication::removeTranslator(g_pTranslator);
        delete g_pTranslator;
        g_pTranslator = nullptr;
    }
    g_Language = EUiLanguage::Chinese;
    if (language == EUiLanguage::Chinese) {
        g_pTranslator = QtChineseTranslator();
        if (g_pTranslator) QCoreApplication::installTranslator(g_pTranslator);
        return true;
    }
    auto* pTranslator = new QTranslator;
    if (!pTranslator->load(QStringLiteral(":/i18n/mlb8_en.qm")) ||
        !QCoreApplication::installTranslator(pTranslator)) {
        delete pTranslator;
        return false;
    }
    g_pTranslator = pTranslator;
    g_Language = language;
    return true;
}

EUiLanguage UiLanguage() {
    return g_Language;
}

QString CoreText(const std::string& text) {
    const std::string title = TEXT_TITLE;
    if (text.size() > title.size() && text.compare(0, title.size(), title) == 0)
        return QCoreApplication::translate("editor", TEXT_TITLE) +
               QString::fromStdString(text.substr(title.size()));
    return QCoreApplication::translate("editor", text.c_str());
}
