// The serial port, the thread framework and the reader, on real pseudo-terminals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "comm/posix/portreader.h"
#include "comm/posix/zcomport.h"
#include "comm/w32thread.h"
#include "comm/zqueue.h"
#include "ptypair.h"
#include "testutil.h"

using namespace ZUtils;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

namespace {

long MsSince(Clock::time_point t) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

} // namespace

TEST(ZComport, OpensExclusivelyAndOnlyOverlapped) {
    testutil::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    ZComport port;
    EXPECT_EQ(port.Open(pty.SlavePath(), 0), 0); // not overlapped: refused
    EXPECT_FALSE(port.IsOpen());
    ASSERT_EQ(port.Open(pty.SlavePath(), FILE_FLAG_OVERLAPPED), 1);
    EXPECT_EQ(port.SetLineState(115200, 8, NOPARITY, ONESTOPBIT), 1); // no modem lines on a pty: fine
    EXPECT_EQ(port.SetTimeouts(), 1);

    ZComport second; // held by the first, also for root
    EXPECT_EQ(second.Open(pty.SlavePath(), FILE_FLAG_OVERLAPPED), 0);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.Read(nullptr, 0), 0);

    ZComport missing;
    EXPECT_EQ(missing.Open("/dev/no-such-port", FILE_FLAG_OVERLAPPED), 0);

    std::uint8_t buf[16];
    EXPECT_EQ(port.Read(buf, sizeof buf), 0); // nothing queued: returns at once
    port.Close();
    EXPECT_EQ(second.Open(pty.SlavePath(), FILE_FLAG_OVERLAPPED), 1); // free again
}

TEST(ZComport, ClearedMaskEndsAPendingWait) {
    testutil::PtyPair pty;
    ZComport port;
    ASSERT_EQ(port.Open(pty.SlavePath(), FILE_FLAG_OVERLAPPED), 1);
    port.SetMask(EV_RXCHAR);
    std::uint32_t nMask = 0;
    ASSERT_EQ(port.WaitEvent(&nMask), 0);
    ASSERT_EQ(port.LastError(), ERROR_IO_PENDING);
    const auto t0 = Clock::now();
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        port.SetMask(0);
    });
    port.WaitPending();
    closer.join();
    EXPECT_EQ(nMask, 0u);
    EXPECT_LT(MsSince(t0), 1000);
}

TEST(ZComputeQueue, AllOrNothingAcrossTheWrap) {
    ZHeapQueue q;
    q.SetCapacity(10); // grows to one 512-byte step
    ASSERT_EQ(q.Capacity(), 512u);
    Bytes in(300, 1), out(300);
    EXPECT_EQ(ZComputeQueue::Push(q, in.data(), 300), 1);
    EXPECT_EQ(ZComputeQueue::Push(q, in.data(), 300), 0); // 212 free: nothing pushed
    EXPECT_EQ(q.Count(), 300u);
    EXPECT_EQ(ZComputeQueue::Pop(q, out.data(), 300), 1);
    for (int i = 0; i < 300; ++i)
        in[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(ZComputeQueue::Push(q, in.data(), 300), 1); // wraps at 512
    EXPECT_EQ(ZComputeQueue::Pop(q, out.data(), 301), 0);
    EXPECT_EQ(ZComputeQueue::Pop(q, out.data(), 300), 1);
    EXPECT_EQ(out, in);
}

TEST(W32Thread, RunsPostedWorkAndRefusesPostsWithoutAThread) {
    W32SimpleThread thread;
    EXPECT_EQ(thread.PostThreadMessage(WM_USER, 0, 0, 1), 0); // no thread: refused at once
    EXPECT_EQ(thread.LastPostError(), ERROR_INVALID_THREAD_ID);
    ASSERT_EQ(thread.Create(0, WM_USER, WM_USER + 1), 1);
    EXPECT_EQ(thread.Create(0, WM_USER, WM_USER + 1), 0); // one thread per object
    std::atomic<int> nCalls{0};
    auto work = [](void* p) { ++*static_cast<std::atomic<int>*>(p); };
    EXPECT_EQ(thread.PostWork(WM_USER, reinterpret_cast<void*>(+work), &nCalls, 0), 1);
    EXPECT_EQ(thread.PostWork(WM_USER, reinterpret_cast<void*>(+work), &nCalls, 1000), 1);
    EXPECT_EQ(nCalls.load(), 2); // the waited item ran after the first
    thread.Destroy();
    EXPECT_EQ(thread.ThreadId(), 0u);
}

TEST(W32ThreadDeathTest, ProgrammingErrorsAssert) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            W32SimpleThread thread;
            thread.Create(0, WM_USER, WM_USER + 1);
            thread.PostThreadMessage(WM_USER, 0, 0, 0);
        },
        "Assertion failed: 0");
    EXPECT_DEATH(
        {
            auto* pThread = new W32SimpleThread;
            pThread->Create(0, WM_USER, WM_USER + 1);
            delete pThread; // still running
        },
        "Assertion failed: 0");
}

namespace {

struct Collector {
    std::mutex lock;
    std::vector<Bytes> chunks;
    std::atomic<std::size_t> nBytes{0};
    std::atomic<int> nHangups{0};
    static void OnChunk(const std::uint8_t* p, int n, void* ctx) {
        auto* self = static_cast<Collector*>(ctx);
        std::lock_guard<std::mutex> guard(self->lock);
        self->chunks.emplace_back(p, p + n);
        self->nBytes += static_cast<std::size_t>(n);
    }
    static void OnHangup(void* ctx) { ++static_cast<Collector*>(ctx)->nHangups; }
};

bool WaitFor(const std::function<bool()>& done, int nMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(nMs);
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

TEST(PortReader, BurstArrivesInOrderInChunksOfAtMost1024) {
    testutil::PtyPair pty;
    Collector sink;
    W32SimplePortReader reader;
    reader.SetReceiver(nullptr, 0, &Collector::OnChunk, &sink);
    ASSERT_EQ(reader.Open(pty.SlavePath(), 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1), 1);
    Bytes burst(3000);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i * 7);
    pty.Write(burst);
    ASSERT_TRUE(WaitFor([&] { return sink.nBytes.load() >= burst.size(); }, 3000));
    reader.Close();
    Bytes all;
    for (const Bytes& c : sink.chunks) {
        EXPECT_GE(c.size(), 1u);
        EXPECT_LE(c.size(), 1024u);
        all.insert(all.end(), c.begin(), c.end());
    }
    EXPECT_EQ(all, burst);
}

TEST(PortReader, CloseWhileWaitingIsPromptAndReopenWorks) {
    testutil::PtyPair pty;
    Collector sink;
    W32SimplePortReader reader;
    reader.SetReceiver(nullptr, 0, &Collector::OnChunk, &sink);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(reader.Open(pty.SlavePath(), 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the reader is in its wait now
        const auto t0 = Clock::now();
        EXPECT_EQ(reader.Close(), 1);
        EXPECT_LT(MsSince(t0), 500);
        EXPECT_FALSE(reader.IsOpen());
    }
    EXPECT_EQ(reader.Close(), 0);
    EXPECT_EQ(reader.Open("", 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1), 0);
}

TEST(PortReader, HangUpEndsTheLoopInsteadOfSpinning) {
    testutil::PtyPair pty;
    Collector sink;
    W32SimplePortReader reader;
    reader.SetReceiver(nullptr, 0, &Collector::OnChunk, &sink);
    reader.SetHangupHandler(&Collector::OnHangup);
    ASSERT_EQ(reader.Open(pty.SlavePath(), 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1), 1);
    pty.Write({1, 2, 3});
    ASSERT_TRUE(WaitFor([&] { return sink.nBytes.load() == 3; }, 2000));
    pty.HangUp();
    ASSERT_TRUE(WaitFor([&] { return reader.IsHungUp() == 1; }, 2000));
    // The loop has ended: the thread uses no processor time from here on.
    clock_t c0 = std::clock();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_LT(static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC, 0.05);
    EXPECT_EQ(sink.nHangups.load(), 1);
    const auto t0 = Clock::now();
    reader.Close();
    EXPECT_LT(MsSince(t0), 500);
}

TEST(PortReader, BufferedDeliveryQueuesChunksForTheWindow) {
    testutil::PtyPair pty;
    testutil::RecordingWindow window;
    W32SimplePortReader reader;
    reader.SetReceiver(&window, WM_USER + 5, nullptr, nullptr);
    ASSERT_EQ(reader.Open(pty.SlavePath(), 115200, 8, NOPARITY, ONESTOPBIT, 4096, 1), 1);
    pty.Write({9, 8, 7, 6});
    Bytes got(4);
    ASSERT_TRUE(WaitFor([&] { return reader.PopQueued(got.data(), 4) == 1; }, 2000));
    EXPECT_EQ(got, (Bytes{9, 8, 7, 6}));
    reader.Close();
}
