#include "comm/comnames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

using namespace ZUtils;

namespace {

class ComNames : public ::testing::Test {
protected:
    void SetUp() override { ClearExtraPorts(); }
    void TearDown() override { ClearExtraPorts(); }
};

TEST_F(ComNames, DevicePathsAndComNumbersMapBothWays) {
    struct {
        const char* path;
        int nCom; // 0: the path has no number
    } const cases[] = {
        {"/dev/ttyS0", 1},
        {"/dev/ttyS9", 10},
        {"/dev/ttyS31", 32},
        {"/dev/ttyUSB0", 33},
        {"/dev/ttyUSB31", 64},
        {"/dev/ttyACM0", 65},
        {"/dev/ttyACM31", 96},
        {"/dev/ttyS32", 0},
        {"/dev/ttyUSB32", 0},
        {"/dev/ttyACM100", 0},
        {"/dev/ttyS", 0},
        {"/dev/ttyS01", 0},
        {"/dev/ttyS-1", 0},
        {"/dev/ttyS+1", 0},
        {"/dev/ttyS1x", 0},
        {"/dev/ttyS 1", 0},
        {"/dev/ttySAC0", 0},
        {"/dev/ttyAMA0", 0},
        {"ttyS0", 0},
        {"/dev/pts/0", 0},
        {"/dev/tty0", 0},
        {"/dev/console", 0},
        {"", 0},
        {"/dev/ttyUSB0/", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ComNumberFromDevicePath(c.path), c.nCom) << c.path;
        if (c.nCom > 0) {
            EXPECT_EQ(DevicePathFromComNumber(c.nCom), c.path);
        }
    }
    for (int n = 1; n <= 96; ++n)
        EXPECT_EQ(ComNumberFromDevicePath(DevicePathFromComNumber(n)), n) << n;
    for (int n : {-1, 0, 97, 199, 200, 255, 256, 100000})
        EXPECT_EQ(DevicePathFromComNumber(n), "") << n;
    EXPECT_EQ(ComPortName(33), "COM33");
}

TEST_F(ComNames, ExtraPortsAreNumberedInTheOrderGiven) {
    EXPECT_EQ(RegisterExtraPort("/tmp/a"), 200);
    EXPECT_EQ(RegisterExtraPort("/dev/ttyUSB0"), 201); // a numbered device given by hand
    EXPECT_EQ(RegisterExtraPort("/tmp/a"), 200);
    EXPECT_EQ(RegisterExtraPort(""), 0);
    EXPECT_EQ(ExtraPorts(), (std::vector<std::string>{"/tmp/a", "/dev/ttyUSB0"}));

    EXPECT_EQ(ComNumberFromDevicePath("/tmp/a"), 200);
    EXPECT_EQ(ComNumberFromDevicePath("/dev/ttyUSB0"), 201);
    EXPECT_EQ(DevicePathFromComNumber(201), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathFromComNumber(33), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathFromComNumber(202), "");

    // COM200..COM255, the numbers the device search can take.
    for (int i = 2; i < kMaxExtraPorts; ++i)
        EXPECT_EQ(RegisterExtraPort("/tmp/p" + std::to_string(i)), 200 + i);
    EXPECT_EQ(RegisterExtraPort("/tmp/one-too-many"), 0);
    EXPECT_EQ(ComNumberFromDevicePath("/tmp/one-too-many"), 0);
    EXPECT_EQ(DevicePathFromComNumber(255), "/tmp/p55");

    ClearExtraPorts();
    EXPECT_TRUE(ExtraPorts().empty());
    EXPECT_EQ(ComNumberFromDevicePath("/tmp/a"), 0);
    EXPECT_EQ(ComNumberFromDevicePath("/dev/ttyUSB0"), 33);
    EXPECT_EQ(DevicePathFromComNumber(200), "");
}

TEST_F(ComNames, ConcurrentRegistrationGivesEachPathOneNumber) {
    constexpr int kPaths = 16;
    constexpr int kThreads = 4;
    int numbers[kThreads][kPaths] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &numbers] {
            for (int i = 0; i < kPaths; ++i) {
                int nPath = (i * (2 * t + 1) + t) % kPaths; // each thread in its own order
                numbers[t][nPath] = RegisterExtraPort("/tmp/port" + std::to_string(nPath));
                (void)DevicePathFromComNumber(200 + i);
                (void)ExtraPorts();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();

    std::vector<std::string> extras = ExtraPorts();
    ASSERT_EQ(extras.size(), static_cast<std::size_t>(kPaths));
    std::set<int> distinct;
    for (int nPath = 0; nPath < kPaths; ++nPath) {
        int n = numbers[0][nPath];
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(numbers[t][nPath], n) << "path " << nPath;
        EXPECT_EQ(DevicePathFromComNumber(n), "/tmp/port" + std::to_string(nPath));
        distinct.insert(n);
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kPaths));
    EXPECT_EQ(*distinct.begin(), 200);
    EXPECT_EQ(*distinct.rbegin(), 200 + kPaths - 1);
}

} // namespace
