// The port watch: what a new look at the port numbers reports, and a watch that stops at once.
#include "comm/portwatch.h"

#include <gtest/gtest.h>

#include <atomic>

TEST(PortWatch, DiffReportsEachChangeOnceRemovalsFirst) {
    using E = EPortEvent;
    const struct {
        std::set<int> before, now;
        std::vector<SPortEvent> changes;
    } cases[] = {
        {{}, {}, {}},
        {{1, 33}, {1, 33}, {}},
        {{}, {34, 33}, {{E::Arrived, 33}, {E::Arrived, 34}}},
        {{33, 65}, {}, {{E::Removed, 33}, {E::Removed, 65}}},
        // An adapter swapped between two looks: the old number goes before the new one comes.
        {{1, 33}, {1, 34}, {{E::Removed, 33}, {E::Arrived, 34}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DiffPortSets(c.before, c.now), c.changes);
}

// Destroying a watch ends its thread; a watch that saw no change called nothing. Where the system
// gives no notifications (no udev netlink in a container) there is no watch to stop.
TEST(PortWatch, StopsWithoutCallingTheHandler) {
    std::atomic<int> nCalls{0};
    for (int i = 0; i < 3; ++i) {
        auto pWatch = WatchSerialPorts([&](const SPortEvent&) { ++nCalls; });
        if (!pWatch) GTEST_SKIP() << "no device notifications here";
    }
    EXPECT_EQ(nCalls.load(), 0);
}
