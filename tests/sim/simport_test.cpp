// The simulated processor on its real pseudo-terminal, driven from the terminal side as the manager
// drives a serial port.
#include "simtestutil.h"

#include "sim/simprocessor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

using namespace Sim;
using namespace SimTest;

namespace {

const Bytes kProbe = {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x77, 0xE4};

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "mlb8sim_" + std::to_string(::getpid()) + "_" + name;
}

// Splits a stream of well-formed frames.
std::vector<Bytes> SplitFrames(const Bytes& stream) {
    std::vector<Bytes> frames;
    std::size_t at = 0;
    while (at + 7 <= stream.size() && at + 9u + stream[at + 6] <= stream.size()) {
        const std::size_t n = 9u + stream[at + 6];
        frames.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(at),
                            stream.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    EXPECT_EQ(at, stream.size()) << "trailing bytes";
    return frames;
}

class SimPort : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void Open(const SFaults& faults = {}) {
        term.reset();
        sim.Stop();
        sim.SetFaults(faults);
        std::string err;
        ASSERT_TRUE(sim.Start(&err)) << err;
        term = std::make_unique<CTerminal>(sim.PortPath());
        ASSERT_TRUE(term->IsOpen());
    }

    // The reads of volume channel 0..n-1 in one write; returns the channels whose replies came back.
    std::vector<int> AnsweredVolumeReads(int n) {
        Bytes all;
        for (int ch = 0; ch < n; ++ch) {
            const Bytes r = Read(4, static_cast<std::uint8_t>(ch));
            all.insert(all.end(), r.begin(), r.end());
        }
        EXPECT_TRUE(term->Send(all));
        std::vector<int> channels;
        for (const Bytes& f : SplitFrames(term->Collect(250))) {
            EXPECT_TRUE(CrcOk(f));
            channels.push_back(f[4]);
        }
        return channels;
    }

    CSimProcessor sim;
    std::unique_ptr<CTerminal> term;
};

TEST_F(SimPort, ProbeForAddressZeroGetsTheSystemBlock) {
    const std::string log = TempPath("probe.log");
    ASSERT_TRUE(sim.SetLogFile(log));
    const auto reply = term->Transact(kProbe);
    ASSERT_TRUE(reply);
    ASSERT_TRUE(CrcOk(*reply));
    const SSimConfig cfg = sim.Running();
    Bytes expected = {0x00, 0x80, 0x80, 0x00, 0x00, 0x00, 0x04};
    expected.insert(expected.end(), cfg.System.begin(), cfg.System.end());
    EXPECT_EQ(Bytes(reply->begin(), reply->end() - 2), expected);
    EXPECT_EQ(sim.ReceivedFrames(), std::vector<Bytes>{kProbe});

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("rx 00 00 80 00 00 00 00 77 E4 | probe addr 0 -> reply\n"), std::string::npos)
        << text.str();
    sim.SetLogFile("");
    std::remove(log.c_str());
}

TEST_F(SimPort, OnlyTheProbeOfItsOwnAddressIsAnswered) {
    sim.SetAddress(3);
    EXPECT_EQ(sim.Address(), 3);
    sim.SetAddress(10); // refused
    EXPECT_EQ(sim.Address(), 3);
    Bytes probes;
    for (std::uint8_t addr = 0; addr <= 9; ++addr) {
        const Bytes p = Read(0, 0, 0, addr);
        probes.insert(probes.end(), p.begin(), p.end());
    }
    ASSERT_TRUE(term->Send(probes));
    const std::vector<Bytes> replies = SplitFrames(term->Collect(400));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][0], 3);
    EXPECT_EQ(replies[0][1], 0x80);
    EXPECT_EQ(sim.ReceivedFrameCount(), 10u);
}

TEST_F(SimPort, WriteIsAcknowledgedAndChangesTheModel) {
    // Main volume 100, then a linked pair's volume sent once for channel 2.
    auto ack = term->Transact(Write(4, 8, 0, {0, 100}));
    ASSERT_TRUE(ack);
    EXPECT_EQ(*ack, Request(0, 0x84, 1, 8, 0));
    ack = term->Transact(Write(4, 2, 0, {1, 66}));
    ASSERT_TRUE(ack);
    EXPECT_EQ(*ack, Request(0, 0x84, 1, 2, 0));
    const SSimConfig cfg = sim.Running();
    EXPECT_EQ(cfg.nMainVolume, 100);
    EXPECT_EQ(cfg.nVolume[2], 66);
    EXPECT_EQ(cfg.nVolume[3], 66);
    EXPECT_EQ(cfg.nVolume[1], MakeTune(0).nVolume[1]);

    // A value the device cannot take is refused with VA_ERROR and changes nothing.
    ack = term->Transact(Write(5, 0, 0, {0xFF, 0xFF, 0, 0}));
    ASSERT_TRUE(ack);
    EXPECT_EQ(*ack, Request(0, 0xA5, 1, 0, 0));
    EXPECT_TRUE(sim.Running() == cfg);

    SSimConfig mine = MakeTune(3);
    sim.SetRunning(mine);
    EXPECT_TRUE(sim.Running() == mine);
}

TEST_F(SimPort, ReadRepliesHaveTheLengthOfTheirLayout) {
    struct {
        std::uint8_t id, ch, sub, length;
    } const cases[] = {
        {1, 9, 0, 25},
        {1, 4, 0, 3},
        {2, 0, 0, 1},
        {3, 9, 0, 6},
        {3, 9, 1, 6},
        {3, 2, 0, 2},
        {4, 9, 0, 8},
        {4, 8, 0, 2},
        {4, 5, 0, 2},
        {5, 9, 0, 16},
        {5, 7, 0, 4},
        {5, 0, 0, 4},
        {6, 0, 0, 2},
        {7, 0, 0, 9},
        {7, 7, 10, 9},
        {8, 0, 0, 2},
        {9, 0, 0, 1},
        {10, 0, 0, 1},
        {11, 3, 0, 9},
        {11, 3, 1, 9},
        {12, 6, 0, 2},
        {13, 7, 0, 2},
        {14, 0, 0, 2},
        {15, 1, 0, 2},
        {16, 2, 0, 9},
        {17, 0, 0, 10},
        {18, 0, 0, 1},
        {19, 0, 0, 1},
        {20, 0, 0, 5},
        // Nothing to read there: an empty reply with VA_ERROR.
        {1, 8, 0, 0},
        {7, 8, 0, 0},
        {7, 0, 11, 0},
        {11, 0, 3, 0},
        {12, 9, 0, 0},
        {3, 9, 2, 0},
    };
    for (const auto& c : cases) {
        const auto reply = term->Transact(Read(c.id, c.ch, c.sub));
        ASSERT_TRUE(reply) << "ID " << int(c.id) << " ch " << int(c.ch);
        ASSERT_TRUE(CrcOk(*reply));
        const std::uint8_t status = c.length ? 0x80 : 0xA0;
        EXPECT_EQ(Bytes(reply->begin(), reply->begin() + 7),
                  (Bytes{0, std::uint8_t(status | c.id), 0x80, 0, c.ch, c.sub, c.length}))
            << "ID " << int(c.id) << " ch " << int(c.ch) << " sub " << int(c.sub);
    }
    // Contents of a few: main volume, levels on the wire, delays little-endian.
    const SSimConfig cfg = sim.Running();
    EXPECT_EQ(BodyOf(*term->Transact(Read(4, 8))), (Bytes{0, cfg.nMainVolume}));
    const Bytes levels = BodyOf(*term->Transact(Read(3, 9, 0)));
    EXPECT_EQ(levels[0], 13 - cfg.nLevelMain[0]);
    const Bytes delays = BodyOf(*term->Transact(Read(5, 9)));
    EXPECT_EQ(delays[0] | delays[1] << 8, cfg.nDelay[0]);
}

TEST_F(SimPort, PresetStoreAndRecall) {
    const SSimConfig running = sim.Running();
    for (const Bytes& req : {Write(9, 0, 0, {1}, 3), Write(4, 8, 0, {0, 55}, 2), Write(2, 0, 0, {0xFF}, 2)}) {
        const auto ack = term->Transact(req);
        ASSERT_TRUE(ack);
        EXPECT_EQ((*ack)[1], 0x80 | req[1]);
    }
    EXPECT_TRUE(sim.Running() == running);
    EXPECT_EQ(sim.Memory(1).nMainVolume, 55);
    EXPECT_EQ(sim.Memory(1).nMuteMask, 0xFF);
    for (int n : {0, 2, 3})
        EXPECT_TRUE(sim.Memory(n) == MakeTune(n)) << n;

    ASSERT_TRUE(term->Transact(Write(9, 0, 0, {1}, 1)));
    EXPECT_EQ(sim.CurrentPreset(), 1);
    EXPECT_TRUE(sim.Running() == sim.Memory(1));
    EXPECT_EQ(BodyOf(*term->Transact(Read(9))), Bytes{1});
    EXPECT_EQ(BodyOf(*term->Transact(Read(2))), Bytes{0xFF});
}

struct SDropCase {
    const char* pszName;
    SFaults faults;
    std::vector<int> answered; // of the volume reads of channels 0..7
};

class SimDrops : public SimPort, public ::testing::WithParamInterface<SDropCase> {};

TEST_P(SimDrops, DropsTheRepliesItShould) {
    Open(GetParam().faults);
    EXPECT_EQ(AnsweredVolumeReads(8), GetParam().answered);
    EXPECT_EQ(sim.ReceivedFrameCount(), 8u);
    EXPECT_EQ(sim.Faults().nDropNext, 0);
}

SFaults Make(int every, double prob, int next, bool silent = false) {
    SFaults f;
    f.nDropEvery = every;
    f.fDropProbability = prob;
    f.nDropNext = next;
    f.bSilent = silent;
    return f;
}

INSTANTIATE_TEST_SUITE_P(Faults, SimDrops,
                         ::testing::Values(SDropCase{"none", Make(0, 0, 0), {0, 1, 2, 3, 4, 5, 6, 7}},
                                           SDropCase{"every_third", Make(3, 0, 0), {0, 1, 3, 4, 6, 7}},
                                           SDropCase{"next_two", Make(0, 0, 2), {2, 3, 4, 5, 6, 7}},
                                           SDropCase{"next_one_then_every_second", Make(2, 0, 1), {2, 4, 6}},
                                           SDropCase{"always", Make(0, 1.0, 0), {}},
                                           SDropCase{"silent", Make(0, 0, 0, true), {}}),
                         [](const auto& testInfo) { return std::string(testInfo.param.pszName); });

TEST_F(SimPort, SilentDeviceAppliesNothing) {
    Open(Make(0, 0, 0, true));
    ASSERT_TRUE(term->Send(Write(4, 8, 0, {0, 1})));
    EXPECT_FALSE(term->ReadFrame(300));
    EXPECT_EQ(sim.ReceivedFrameCount(), 1u);
    EXPECT_EQ(sim.Running().nMainVolume, MakeTune(0).nMainVolume);
}

TEST_F(SimPort, RandomDropsRepeatWithTheSeed) {
    std::vector<std::vector<int>> runs;
    for (int run = 0; run < 2; ++run) {
        Open(Make(0, 0.5, 0));
        SFaults f = sim.Faults();
        f.nSeed = 42;
        sim.SetFaults(f);
        std::vector<int> answered;
        for (int batch = 0; batch < 3; ++batch)
            for (int ch : AnsweredVolumeReads(8))
                answered.push_back(batch * 8 + ch);
        runs.push_back(answered);
    }
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_GT(runs[0].size(), 0u);
    EXPECT_LT(runs[0].size(), 24u);
}

TEST_F(SimPort, DelayHoldsTheReplyBack) {
    SFaults f;
    f.nDelayMs = 300;
    Open(f);
    ASSERT_TRUE(term->Send(kProbe));
    EXPECT_FALSE(term->ReadFrame(100)); // the delay is a lower bound: nothing yet
    const auto reply = term->ReadFrame(5000);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(CrcOk(*reply));
}

TEST_F(SimPort, GarbageComesBeforeAnIntactReply) {
    SFaults f;
    f.nGarbage = 6;
    Open(f);
    const SSimConfig cfg = sim.Running();
    const Bytes expected = Request(0, 0x80, 0x80, 0, 0, {cfg.System.begin(), cfg.System.end()});
    std::vector<Bytes> garbage;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(term->Send(kProbe));
        const Bytes got = term->Collect(200);
        ASSERT_EQ(got.size(), 6 + expected.size());
        EXPECT_EQ(Bytes(got.begin() + 6, got.end()), expected);
        garbage.emplace_back(got.begin(), got.begin() + 6);
    }
    EXPECT_NE(garbage[0], garbage[1]);
}

TEST_F(SimPort, SplitRepliesArriveInPiecesAndReassemble) {
    SFaults f;
    f.bSplit = true;
    Open(f);
    std::size_t nChunks = 0;
    const Bytes request = Read(1, 9);
    const Bytes expected = [&] {
        const SSimConfig cfg = sim.Running();
        Bytes body(cfg.Map.begin(), cfg.Map.end());
        body.push_back(cfg.Easy_Expert);
        return Request(0, 0x81, 0x80, 9, 0, body);
    }();
    for (int i = 0; i < 6; ++i) {
        std::vector<std::size_t> chunks;
        ASSERT_TRUE(term->Send(request));
        EXPECT_EQ(term->Collect(100, 3000, &chunks), expected);
        nChunks += chunks.size();
    }
    EXPECT_GT(nChunks, 6u);
}

TEST_F(SimPort, RequestsArrivingInAnyPiecesAreParsed) {
    for (std::uint8_t b : kProbe) { // byte by byte
        ASSERT_TRUE(term->Send({b}));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    auto reply = term->ReadFrame();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[1], 0x80);

    // Noise, then two requests in one write.
    Bytes burst = {0xFF, 0x3F, 0x17};
    for (const Bytes& r : {Read(2), Read(10)})
        burst.insert(burst.end(), r.begin(), r.end());
    ASSERT_TRUE(term->Send(burst));
    const std::vector<Bytes> replies = SplitFrames(term->Collect(300));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0][1], 0x82);
    EXPECT_EQ(replies[1][1], 0x8A);
    EXPECT_EQ(sim.ReceivedFrameCount(), 3u);

    // A header claiming a long body, then a request: answered once the line is quiet.
    Bytes hidden = {0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0x19};
    hidden.insert(hidden.end(), kProbe.begin(), kProbe.end());
    reply = term->Transact(hidden);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[1], 0x80);
}

bool WaitForHangUp(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    return ::poll(&pfd, 1, 3000) > 0 && (pfd.revents & POLLHUP);
}

TEST_F(SimPort, HangUpLooksLikeAnUnpluggedDevice) {
    const std::string link = TempPath("link");
    ASSERT_TRUE(sim.MakeLink(link));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    ASSERT_TRUE(term->Transact(kProbe));

    sim.HangUp();
    EXPECT_TRUE(sim.IsHungUp());
    EXPECT_TRUE(WaitForHangUp(term->Fd()));
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link outlived the device";
    sim.SendRaw({1, 2, 3}); // nowhere to go, no harm

    // Plugged in again: a new port that answers.
    std::string err;
    ASSERT_TRUE(sim.Start(&err)) << err;
    EXPECT_FALSE(sim.IsHungUp());
    CTerminal again(sim.PortPath());
    ASSERT_TRUE(again.Transact(kProbe));
}

TEST_F(SimPort, HangUpAfterTheSetNumberOfFrames) {
    SFaults f;
    f.nHangUpAfter = 2;
    Open(f);
    ASSERT_TRUE(term->Transact(kProbe));
    ASSERT_TRUE(term->Send(kProbe));
    EXPECT_TRUE(WaitForHangUp(term->Fd()));
    EXPECT_TRUE(sim.IsHungUp());
    EXPECT_EQ(sim.ReceivedFrameCount(), 2u);
}

TEST_F(SimPort, SendRawArrivesUnchanged) {
    const Bytes raw = {0x00, 0x84, 0x01, 0xFF, 0x13};
    sim.SendRaw(raw);
    EXPECT_EQ(term->Collect(200), raw);
}

// The manager opens the port exclusively (TIOCEXCL and flock) and may close and reopen it. The
// simulator's own descriptor must neither make the master see a hang-up nor keep the exclusive mode
// alive after the manager let go. Root ignores TIOCEXCL, so the child drops to an ordinary user.
TEST_F(SimPort, PortCanBeClosedAndReopenedExclusively) {
    const std::string path = sim.PortPath();
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    term.reset();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        for (int session = 0; session < 3; ++session) {
            int fd = -1;
            for (int attempt = 0; attempt < 60 && fd < 0; ++attempt) {
                fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
                if (fd < 0 && errno != EBUSY) ::_exit(20 + session);
                if (fd < 0) ::usleep(50 * 1000);
            }
            if (fd < 0) ::_exit(30 + session); // still locked out of its own port
            if (::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) ::_exit(40 + session);
            if (::write(fd, kProbe.data(), kProbe.size()) != 9) ::_exit(50 + session);
            std::size_t nGot = 0;
            std::uint8_t buf[64];
            while (nGot < 13) {
                pollfd pfd{fd, POLLIN, 0};
                if (::poll(&pfd, 1, 2000) <= 0 || (pfd.revents & POLLHUP)) ::_exit(60 + session);
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n <= 0) ::_exit(70 + session);
                nGot += static_cast<std::size_t>(n);
            }
            ::close(fd);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "see the exit codes in the child";
    EXPECT_FALSE(sim.IsHungUp());
    EXPECT_EQ(sim.ReceivedFrameCount(), 3u);
}

} // namespace
