#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "comm/trace.h"
#include "testutil.h"

namespace {
std::uint32_t Tick1234() {
    return 1234;
}
} // namespace

TEST(Trace, TickPrefixAndCutAt1023Characters) {
    testutil::TraceCapture trace;
    ZUtils::SetTickSource(&Tick1234);
    W32Trace("+++ W32Thread::Run\r\n");
    EXPECT_EQ(trace.Text(), "00001234: +++ W32Thread::Run\r\n");

    trace.Clear();
    const std::string longText(1500, 'x');
    W32Trace("%s", longText.c_str());
    ZUtils::SetTickSource(nullptr);
    EXPECT_EQ(trace.Text(), "00001234: " + std::string(1023, 'x'));
}

TEST(Trace, LogNamesFileAndLine) {
    testutil::TraceCapture trace;
    TraceLog("comm/protocol.cpp", 42, "\r\n Send Time %d[msec] ID[%d]", 12, 4);
    EXPECT_EQ(trace.Text(), "comm/protocol.cpp(42) : \r\n Send Time 12[msec] ID[4]");
}

TEST(Trace, IsOffWithoutASink) {
    EXPECT_FALSE(TraceIsOn());
    { testutil::TraceCapture trace; }
    EXPECT_FALSE(TraceIsOn());
    TRACE("nobody hears this"); // no sink: nothing happens, nothing crashes
}

TEST(Trace, SinkFromCommandLineOrEnvironment) {
    char arg0[] = "prog", arg1[] = "--trace", arg2[] = "-", arg3[] = "probe";
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    int argc = 4;
    ASSERT_TRUE(TraceSetupFromArgs(argc, argv));
    EXPECT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "probe");
    EXPECT_TRUE(TraceIsOn());
    TraceSetSink({});

    char bad1[] = "--trace=/nonexistent-dir/x.log";
    char* argv2[] = {arg0, bad1, nullptr};
    argc = 2;
    std::string error;
    EXPECT_FALSE(TraceSetupFromArgs(argc, argv2, &error));
    EXPECT_THAT(error, testing::HasSubstr("/nonexistent-dir/x.log"));
    EXPECT_FALSE(TraceIsOn());
}

TEST(Trace, TwoThreadsAtOnceKeepEveryLineWhole) {
    testutil::TraceCapture trace;
    auto writer = [](char c) {
        for (int i = 0; i < 200; ++i)
            TRACE("\r\n%s", std::string(50, c).c_str());
    };
    std::thread a(writer, 'a'), b(writer, 'b');
    a.join();
    b.join();
    const std::string text = trace.Text();
    for (char c : {'a', 'b'}) {
        std::size_t nCount = 0, nPos = 0;
        const std::string line = "\r\n" + std::string(50, c);
        while ((nPos = text.find(line, nPos)) != std::string::npos) {
            ++nCount;
            nPos += line.size();
        }
        EXPECT_EQ(nCount, 200u) << c;
    }
}
