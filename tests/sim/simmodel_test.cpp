// The simulated processor without its port: frames, parser, device rules, factory tune, command line.
#include "simtestutil.h"
#include "tests/common/filterrecord.h"

#include "comm/sfiltercoef.h"
#include "sim/simdevice.h"
#include "sim/simframe.h"
#include "sim/simoptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace Sim;
using SimTest::Bytes;
using SimTest::Request;

namespace {

TEST(SimFrame, CrcAndKnownFrames) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(CalcCrc16(abc, 3), 0x8AF5);
    struct {
        Bytes frame, expected;
    } const cases[] = {
        {BuildFrame(0, 0, 0x80, 0, 0), {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x77, 0xE4}},
        {BuildFrame(1, 4, 1, 8, 0, {0, 100}),
         {0x01, 0x04, 0x01, 0x00, 0x08, 0x00, 0x02, 0x00, 0x64, 0xB7, 0x94}},
        {BuildFrame(0, 9, 1, 0, 0, {2}), {0x00, 0x09, 0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0xA6, 0x7D}},
        {BuildFrame(0, 7, 0x80, 3, 5), {0x00, 0x07, 0x80, 0x00, 0x03, 0x05, 0x00, 0x7A, 0x69}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.frame, c.expected) << HexString(c.expected);
}

std::vector<SParseEvent> Parse(CSimFrameParser& parser, const std::vector<Bytes>& chunks) {
    std::vector<SParseEvent> events;
    for (const Bytes& chunk : chunks)
        parser.Feed(chunk, events);
    return events;
}

std::vector<Bytes> FramesOf(const std::vector<SParseEvent>& events) {
    std::vector<Bytes> frames;
    for (const auto& ev : events)
        if (ev.eKind == SParseEvent::EKind::Frame) frames.push_back(ev.Frame.Raw);
    return frames;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(SimFrameParser, FindsFramesWhateverTheChunking) {
    const Bytes probe = Request(0, 0, 0x80);
    const Bytes filter = Request(0, 7, 1, 2, 4, {1, 0xFD, 0, 0, 0x80, 0x3F, 0xF4, 0x01, 0});
    const Bytes map = Request(0, 1, 1, 9, 0, Bytes(25, 0x41));
    const Bytes stream = Cat({probe, filter, map});

    // One chunk, byte by byte, and every split point of the stream in two.
    std::vector<std::vector<Bytes>> chunkings = {{stream}};
    std::vector<Bytes> single;
    for (std::uint8_t b : stream)
        single.push_back({b});
    chunkings.push_back(single);
    for (std::size_t cut = 1; cut < stream.size(); ++cut)
        chunkings.push_back(
            {Bytes(stream.begin(), stream.begin() + cut), Bytes(stream.begin() + cut, stream.end())});

    for (const auto& chunks : chunkings) {
        CSimFrameParser parser;
        const auto events = Parse(parser, chunks);
        ASSERT_EQ(events.size(), 3u) << chunks.size() << " chunks";
        EXPECT_EQ(FramesOf(events), (std::vector<Bytes>{probe, filter, map}));
        EXPECT_EQ(parser.Pending(), 0u);
    }
    CSimFrameParser parser;
    const auto events = Parse(parser, {filter});
    ASSERT_EQ(events.size(), 1u);
    const SSimFrame& f = events[0].Frame;
    EXPECT_EQ(f.Id, 7);
    EXPECT_EQ(f.Mode, 1);
    EXPECT_EQ(f.Channel, 2);
    EXPECT_EQ(f.SubIndex, 4);
    EXPECT_EQ(f.Body, Bytes(filter.begin() + 7, filter.end() - 2));
}

TEST(SimFrameParser, ResynchronisesAfterGarbageAndBadCrc) {
    const Bytes probe = Request(0, 0, 0x80);
    Bytes corrupt = Request(0, 4, 1, 8, 0, {0, 100});
    corrupt[8] ^= 0x01; // body changed after the CRC was made
    struct {
        const char* pszName;
        Bytes prefix;
        bool bMismatchReported;
    } const cases[] = {
        {"ID above 20", {0x00, 0x15}, false},
        {"Length above 25", {0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x1A}, false},
        {"a frame with a bad CRC", corrupt, true},
        {"a header that swallows the frame", {0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0x05}, true},
        {"random bytes", {0xFF, 0xFE, 0x37, 0x99, 0xC4}, false},
    };
    for (const auto& c : cases) {
        CSimFrameParser parser;
        const auto events = Parse(parser, {Cat({c.prefix, probe})});
        EXPECT_EQ(FramesOf(events), std::vector<Bytes>{probe}) << c.pszName;
        // Every byte in front of the frame is accounted for: dropped as garbage, or as the first byte
        // of a candidate whose CRC did not match.
        std::size_t nDropped = 0, nMismatches = 0;
        for (const auto& ev : events) {
            nMismatches += ev.eKind == SParseEvent::EKind::CrcMismatch;
            if (ev.eKind == SParseEvent::EKind::Garbage) nDropped += ev.Bytes.size();
        }
        EXPECT_EQ(nDropped + nMismatches, c.prefix.size()) << c.pszName;
        if (c.bMismatchReported) {
            EXPECT_GE(nMismatches, 1u) << c.pszName;
        }
        EXPECT_EQ(parser.Pending(), 0u) << c.pszName;
    }
}

TEST(SimFrameParser, QuietLineReleasesAFrameHiddenInALongCandidate) {
    // Garbage that looks like the header of a 25-byte body swallows the request after it.
    const Bytes probe = Request(0, 0, 0x80);
    const Bytes stream = Cat({{0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0x19}, probe});
    CSimFrameParser parser;
    std::vector<SParseEvent> events;
    parser.Feed(stream, events);
    EXPECT_TRUE(FramesOf(events).empty());
    EXPECT_EQ(parser.Pending(), stream.size());
    parser.Expire(events);
    EXPECT_EQ(FramesOf(events), std::vector<Bytes>{probe});
    EXPECT_EQ(parser.Pending(), 0u);
    // Each byte in front of the request went as garbage or as the start of a candidate with a bad CRC.
    std::size_t nDropped = 0;
    for (const auto& ev : events)
        nDropped += ev.eKind == SParseEvent::EKind::Garbage ? ev.Bytes.size()
                                                            : ev.eKind == SParseEvent::EKind::CrcMismatch;
    EXPECT_EQ(nDropped, 7u);
}

TEST(SimFrameParser, RandomNoiseNeverHidesFramesOrGrowsTheBuffer) {
    std::mt19937 rng(7);
    const Bytes frame = Request(0, 12, 1, 3, 0, {0, 1});
    CSimFrameParser parser;
    std::size_t nFound = 0;
    for (int round = 0; round < 300; ++round) {
        Bytes noise(rng() % 40);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(rng());
        std::vector<SParseEvent> events;
        parser.Feed(noise, events);
        EXPECT_LT(parser.Pending(), kMaxFrame);
        // Quiet line between the noise and the frame, as between two requests of the manager.
        parser.Reset();
        parser.Feed(frame, events);
        nFound += FramesOf(events).size();
        for (const Bytes& f : FramesOf(events))
            EXPECT_TRUE(SimTest::CrcOk(f));
    }
    EXPECT_GE(nFound, 300u);
}

// --- device rules ----------------------------------------------------------------------------------

struct SimDevice : ::testing::Test {
    CSimDevice device;

    // Runs one request through the device; returns the reply frame (empty when there is none).
    Bytes Run(const Bytes& request) {
        CSimFrameParser parser;
        std::vector<SParseEvent> events;
        parser.Feed(request, events);
        EXPECT_EQ(events.size(), 1u);
        const SSimReply reply = device.Handle(events.at(0).Frame);
        return reply.bReply ? reply.Frame : Bytes{};
    }
    Bytes WriteOk(std::uint8_t id, std::uint8_t ch, std::uint8_t sub, const Bytes& body,
                  std::uint8_t mode = 1) {
        const Bytes ack = Run(Request(0, id, mode, ch, sub, body));
        EXPECT_EQ(ack, BuildFrame(0, 0x80 | id, 1, ch, sub)) << "write of " << IdName(id);
        return ack;
    }
    Bytes ReadBodyOf(std::uint8_t id, std::uint8_t ch = 0, std::uint8_t sub = 0) {
        const Bytes reply = Run(Request(0, id, 0x80, ch, sub));
        EXPECT_TRUE(SimTest::CrcOk(reply));
        EXPECT_EQ(reply.at(1), 0x80 | id);
        return SimTest::BodyOf(reply);
    }
};

TEST_F(SimDevice, WritesReadBackInTheirWireForm) {
    const Bytes rec = {3, 1, 0x46, 0xB6, 0x13, 0x3F, 0xF4, 0x01};
    Bytes sumRec = {0};
    sumRec.insert(sumRec.end(), rec.begin(), rec.end());
    Bytes map25;
    for (int i = 0; i < 24; ++i)
        map25.push_back(static_cast<std::uint8_t>(i + 1));
    map25.push_back(1);
    struct {
        std::uint8_t id, ch, sub;
        Bytes body;
        Bytes readBack; // empty: the body itself
    } const cases[] = {
        {1, 9, 0, map25, {}},
        {1, 5, 0, {0x04, 0x01, 0x40}, {}},
        {2, 0, 0, {0xA5}, {}},
        {3, 2, 0, {2, 3}, {}},
        {3, 9, 1, {8, 6, 0, 0, 0, 0}, {}},
        {4, 9, 0, {1, 2, 3, 4, 5, 6, 7, 128}, {}},
        {4, 8, 0, {0, 100}, {}},
        {4, 6, 0, {0, 90}, {}},
        {5, 9, 0, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0xFF, 0x1F}, {}},
        {5, 2, 0, {0xE0, 0x01, 0x00, 0x00}, {}},
        {6, 0, 0, {0, 2}, {}},
        {7, 3, 10, sumRec, {}},
        {10, 0, 0, {1}, {}},
        {11, 7, 2, sumRec, {}},
        {12, 1, 0, {0, 1}, {}},
        {13, 4, 0, {0, 7}, {0, 1}}, // flags are kept as 0 or 1
        {14, 4, 0, {0, 0}, {}},
        {15, 0, 0, {0, 1}, {}},
        {16, 2, 0, sumRec, {}},
        {18, 0, 0, {3}, {}},
        {20, 0, 0, {4, 1, 0, 3, 2}, {}},
        {0, 0, 0, {9, 8, 7, 6}, {}},
    };
    for (const auto& c : cases) {
        WriteOk(c.id, c.ch, c.sub, c.body);
        Bytes expected = c.readBack.empty() ? c.body : c.readBack;
        EXPECT_EQ(ReadBodyOf(c.id, c.ch, c.sub), expected) << IdName(c.id) << " ch " << int(c.ch);
    }
    const SSimConfig& cfg = device.Running();
    EXPECT_EQ(cfg.nDelay[2], 480);
    EXPECT_EQ(cfg.nDelay[3], 0);
    EXPECT_EQ(cfg.nDelay[7], 8191);
    EXPECT_EQ(cfg.nLevelMain[2], 11);
    EXPECT_EQ(cfg.nLevelMain[3], 10);
    EXPECT_EQ(cfg.nLevelAux[0], 5);
    EXPECT_EQ(cfg.nLevelAux[1], 7);
    EXPECT_EQ(cfg.nMainVolume, 100);
    EXPECT_EQ(cfg.Easy_Expert, 1);
    EXPECT_EQ(cfg.Map[15], 0x04); // output 5 was written after the all-channel map
    EXPECT_EQ(std::memcmp(cfg.Eq[3][10].data(), rec.data(), 8), 0);
}

TEST_F(SimDevice, SumFlagAlsoWritesThePartnerChannel) {
    const Bytes rec = {1, 0xFA, 0, 0, 0x20, 0x40, 0xE8, 0x03};
    Bytes body9 = {0};
    body9.insert(body9.end(), rec.begin(), rec.end());
    struct {
        std::uint8_t id, sub;
        Bytes body; // SumFlag first, filled in below
    } const cases[] = {
        {4, 0, {0, 33}}, {12, 0, {0, 1}}, {13, 0, {0, 0}}, {14, 0, {0, 0}},
        {15, 0, {0, 1}}, {7, 6, body9},   {11, 1, body9},  {16, 0, body9},
    };
    for (const auto& c : cases) {
        for (const std::uint8_t ch : {std::uint8_t{4}, std::uint8_t{5}}) {
            for (const std::uint8_t sum : {std::uint8_t{0}, std::uint8_t{1}}) {
                device.SetRunning(MakeTune(0));
                const SSimConfig before = device.Running();
                Bytes body = c.body;
                body[0] = sum;
                WriteOk(c.id, ch, c.sub, body);
                const Bytes written = ReadBodyOf(c.id, ch, c.sub);
                Bytes partnerBefore;
                std::string why;
                ReadBody(before, c.id, ch ^ 1, c.sub, partnerBefore, why);
                const Bytes partner = ReadBodyOf(c.id, ch ^ 1, c.sub);
                EXPECT_EQ(written[1], body[1]);
                EXPECT_EQ(partner, sum ? written : partnerBefore) << IdName(c.id) << " ch " << int(ch);
                // Nobody else changed.
                for (int other = 0; other < kChannels; ++other) {
                    if (other == ch || other == (ch ^ 1)) continue;
                    Bytes b0, b1;
                    ReadBody(before, c.id, static_cast<std::uint8_t>(other), c.sub, b0, why);
                    ReadBody(device.Running(), c.id, static_cast<std::uint8_t>(other), c.sub, b1, why);
                    EXPECT_EQ(b0, b1) << IdName(c.id) << " channel " << other;
                }
            }
        }
    }
}

TEST_F(SimDevice, ChannelNineFlagWriteReachesEveryChannel) {
    WriteOk(13, 9, 0, {0, 0});
    for (int ch = 0; ch < kChannels; ++ch)
        EXPECT_EQ(device.Running().bEqFlag[ch], 0) << ch;
}

TEST_F(SimDevice, RefusedRequestsChangeNothingAndSayError) {
    const Bytes rec9 = {0, 1, 0, 0, 0, 0x80, 0x3F, 0xE8, 0x03};
    struct {
        const char* pszWhy;
        Bytes request;
    } const cases[] = {
        {"volume above 128", Request(0, 4, 1, 2, 0, {0, 129})},
        {"main volume above 128", Request(0, 4, 1, 8, 0, {0, 200})},
        {"all volumes, one above 128", Request(0, 4, 1, 9, 0, {1, 2, 3, 4, 5, 6, 7, 255})},
        {"delay above 8191", Request(0, 5, 1, 0, 0, {0x00, 0x20, 0, 0})},
        {"level byte above 13", Request(0, 3, 1, 0, 0, {14, 0})},
        {"level group 2", Request(0, 3, 1, 9, 2, {0, 0, 0, 0, 0, 0})},
        {"band 11", Request(0, 7, 1, 0, 11, rec9)},
        {"filter on channel 8", Request(0, 7, 1, 8, 0, rec9)},
        {"crossover filter 3", Request(0, 11, 1, 0, 3, rec9)},
        {"routing channel 8", Request(0, 1, 1, 8, 0, {1, 2, 3})},
        {"routing body too short", Request(0, 1, 1, 9, 0, Bytes(24, 1))},
        {"phase body too long", Request(0, 12, 1, 0, 0, {0, 1, 1})},
        {"input kind 3", Request(0, 6, 1, 0, 0, {3, 0})},
        {"architecture 5", Request(0, 20, 1, 0, 0, {4, 5, 0, 0, 0})},
        {"mode 3 on a volume", Request(0, 4, 3, 0, 0, {0, 10})},
        {"unknown mode", Request(0, 4, 5, 0, 0, {0, 10})},
        {"password is read-only", Request(0, 17, 1, 0, 0, Bytes(10, 1))},
        {"preset 4", Request(0, 9, 1, 0, 0, {4})},
        {"preset selected with mode 2", Request(0, 9, 2, 0, 0, {1})},
    };
    const SSimConfig before = device.Running();
    for (const auto& c : cases) {
        const Bytes reply = Run(c.request);
        ASSERT_TRUE(SimTest::CrcOk(reply)) << c.pszWhy;
        EXPECT_EQ(reply[1], 0xA0 | c.request[1]) << c.pszWhy;
        EXPECT_EQ(reply[2], 1) << c.pszWhy;
        EXPECT_EQ(reply[6], 0) << c.pszWhy;
        EXPECT_TRUE(device.Running() == before) << c.pszWhy;
        for (int n = 0; n < kPresets; ++n)
            EXPECT_TRUE(device.Memory(n) == MakeTune(n)) << c.pszWhy;
        EXPECT_EQ(device.CurrentPreset(), 0) << c.pszWhy;
    }
    const Bytes badRead = Run(Request(0, 12, 0x80, 9, 0)); // no all-channel phase reply exists
    EXPECT_EQ(badRead, BuildFrame(0, 0xA0 | 12, 0x80, 9, 0));
}

TEST_F(SimDevice, FactoryTuneIsRealisticAndSurvivesTheManagersClamping) {
    for (int n = 0; n < kPresets; ++n)
        for (int m = n + 1; m < kPresets; ++m)
            EXPECT_FALSE(MakeTune(n) == MakeTune(m)) << n << " vs " << m;
    EXPECT_TRUE(device.Running() == MakeTune(0));
    for (int n = 0; n < kPresets; ++n) {
        const SSimConfig cfg = MakeTune(n);
        EXPECT_LE(cfg.nMainVolume, kMaxVolume);
        EXPECT_LE(cfg.Input, 2);
        EXPECT_LE(cfg.SubInput, 2);
        EXPECT_EQ(cfg.Output[0], 4);
        for (int ch = 0; ch < kChannels; ++ch) {
            EXPECT_LE(cfg.nVolume[ch], kMaxVolume);
            EXPECT_LE(cfg.nDelay[ch], kMaxDelay);
            for (int band = 0; band < 10; ++band) {
                const SFilterCoef c = FilterRecord::FromBytes(cfg.Eq[ch][band].data());
                EXPECT_EQ(c.Filtertype, FT_PEAKING);
                EXPECT_TRUE(c.Gain >= -15 && c.Gain <= 15 && c.BandWidth >= 1.0f && c.BandWidth <= 10.0f &&
                            c.Freq >= 16 && c.Freq <= 20000)
                    << "memory " << n << " ch " << ch << " band " << band;
            }
            for (int x = 0; x < 2; ++x) {
                const SFilterCoef c = FilterRecord::FromBytes(cfg.Xover[ch][x].data());
                EXPECT_TRUE(c.Filtertype == FT_OFF || c.Filtertype == (x == 0 ? FT_HIGHPASS : FT_LOWPASS));
                EXPECT_LE(c.Slop, 7);
                EXPECT_TRUE(c.BandWidth == 0.707f || c.BandWidth == 0.577f);
                EXPECT_TRUE(c.Freq >= 16 && c.Freq <= 20000);
            }
        }
        for (int i = 0; i < kLevels; ++i)
            EXPECT_TRUE(cfg.nLevelMain[i] <= kMaxLevel && cfg.nLevelAux[i] <= kMaxLevel);
    }
    // The install: high-pass tweeters, band-pass mids, low-passed subwoofer.
    using FilterRecord::FromBytes;
    const SSimConfig& cfg = device.Running();
    EXPECT_EQ(FromBytes(cfg.Xover[0][0].data()).Filtertype, FT_HIGHPASS);
    const SFilterCoef hp = FromBytes(cfg.Xover[2][0].data()), lp = FromBytes(cfg.Xover[2][1].data());
    EXPECT_TRUE(hp.Filtertype == FT_HIGHPASS && lp.Filtertype == FT_LOWPASS && hp.Freq < lp.Freq);
    const SFilterCoef sub = FromBytes(cfg.Xover[6][1].data());
    EXPECT_EQ(sub.Filtertype, FT_LOWPASS);
    EXPECT_LE(sub.Freq, 120);
}

TEST_F(SimDevice, PresetStoreGoesToTheSelectedMemoryAndRecallCopiesIt) {
    const SSimConfig running = device.Running();
    WriteOk(9, 0, 0, {2}, 3);
    WriteOk(4, 8, 0, {0, 77}, 2);
    WriteOk(12, 3, 0, {1, 1}, 2);
    EXPECT_TRUE(device.Running() == running);
    EXPECT_EQ(device.Memory(2).nMainVolume, 77);
    EXPECT_EQ(device.Memory(2).bPhase[2], 1);
    EXPECT_EQ(device.Memory(2).bPhase[3], 1);
    for (int n : {0, 1, 3})
        EXPECT_TRUE(device.Memory(n) == MakeTune(n)) << n;
    EXPECT_EQ(ReadBodyOf(9), Bytes{0});

    WriteOk(9, 0, 0, {2}, 1);
    EXPECT_TRUE(device.Running() == device.Memory(2));
    EXPECT_EQ(ReadBodyOf(9), Bytes{2});
    EXPECT_EQ(ReadBodyOf(4, 8), (Bytes{0, 77}));
    WriteOk(4, 8, 0, {0, 10}, 1); // a live edit leaves the memory alone
    EXPECT_EQ(device.Memory(2).nMainVolume, 77);
}

TEST_F(SimDevice, OnlyItsOwnAddressIsAnswered) {
    device.SetAddress(3);
    for (std::uint8_t addr = 0; addr < 12; ++addr) {
        const Bytes reply = Run(Request(addr, 0, 0x80));
        if (addr != 3) {
            EXPECT_TRUE(reply.empty()) << int(addr);
            continue;
        }
        ASSERT_TRUE(SimTest::CrcOk(reply));
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 7), (Bytes{3, 0x80, 0x80, 0, 0, 0, 4}));
    }
}

TEST_F(SimDevice, AnyRequestGetsAWellFormedAnswerAndKeepsTheModelInRange) {
    std::mt19937 rng(2024);
    const std::uint8_t modes[] = {0, 1, 2, 3, 4, 0x80, 0x81, 0xFF};
    for (int i = 0; i < 20000; ++i) {
        const std::uint8_t id = static_cast<std::uint8_t>(rng() % 21);
        const std::uint8_t mode = modes[rng() % std::size(modes)];
        // Mostly sensible channels and indices, sometimes anything.
        const std::uint8_t ch = static_cast<std::uint8_t>(rng() % 4 ? rng() % 11 : rng());
        const std::uint8_t sub = static_cast<std::uint8_t>(rng() % 4 ? rng() % 12 : rng());
        Bytes body(rng() % 26);
        for (auto& b : body)
            b = static_cast<std::uint8_t>(rng() % 3 ? rng() % 16 : rng());
        const Bytes reply = Run(Request(0, id, mode, ch, sub, body));
        ASSERT_TRUE(SimTest::CrcOk(reply)) << i;
        ASSERT_EQ(reply[1] & 0x1F, id);
        ASSERT_TRUE(reply[2] == 1 || reply[2] == 0x80);
        ASSERT_TRUE(reply[2] == 0x80 || reply[6] == 0) << "an acknowledgement has no body";
        for (int n = -1; n < kPresets; ++n) {
            const SSimConfig& cfg = n < 0 ? device.Running() : device.Memory(n);
            ASSERT_LE(cfg.nMainVolume, kMaxVolume);
            ASSERT_TRUE(cfg.Input <= 2 && cfg.SubInput <= 2 && cfg.bHighLow <= 1 && cfg.Easy_Expert <= 1);
            for (int k = 0; k < kChannels; ++k) {
                ASSERT_LE(cfg.nVolume[k], kMaxVolume);
                ASSERT_LE(cfg.nDelay[k], kMaxDelay);
                ASSERT_TRUE(cfg.bPhase[k] <= 1 && cfg.bEqFlag[k] <= 1 && cfg.bXoverFlag[k] <= 1 &&
                            cfg.bVeqFlag[k] <= 1);
            }
            for (int k = 0; k < kLevels; ++k)
                ASSERT_TRUE(cfg.nLevelMain[k] <= kMaxLevel && cfg.nLevelAux[k] <= kMaxLevel);
            for (std::uint8_t o : cfg.Output)
                ASSERT_LE(o, 4);
        }
        ASSERT_TRUE(device.CurrentPreset() >= 0 && device.CurrentPreset() < kPresets);
    }
}

// --- command line ----------------------------------------------------------------------------------

TEST(SimOptions, AcceptsEveryOptionAndRefusesBadValues) {
    SSimOptions o;
    std::string err;
    ASSERT_TRUE(ParseSimArgs(
        {"--address=3", "--link",   "/tmp/l",         "--log",   "x.log",  "--drop-every", "4",
         "--drop-prob", "0.25",     "--drop-next=2",  "--delay", "50",     "--split",      "--garbage",
         "7",           "--silent", "--hangup-after", "9",       "--seed", "4294967295",   "--corrupt"},
        o, err))
        << err;
    EXPECT_EQ(o.nAddress, 3);
    EXPECT_EQ(o.szLink, "/tmp/l");
    EXPECT_EQ(o.szLog, "x.log");
    SFaults f;
    f.nDropEvery = 4;
    f.fDropProbability = 0.25;
    f.nDropNext = 2;
    f.nDelayMs = 50;
    f.bSplit = true;
    f.nGarbage = 7;
    f.bCorrupt = true;
    f.bSilent = true;
    f.nHangUpAfter = 9;
    f.nSeed = 4294967295u;
    EXPECT_TRUE(o.Faults == f);

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--address", "10"}, "--address: '10' is not a whole number in 0..9"},
        {{"--address", "-1"}, "--address: '-1' is not a whole number in 0..9"},
        {{"--address"}, "--address needs a value"},
        {{"--address", "2x"}, "--address: '2x' is not a whole number in 0..9"},
        {{"--drop-prob", "1.5"}, "--drop-prob: '1.5' is not a probability in 0..1"},
        {{"--drop-prob", "nan"}, "--drop-prob: 'nan' is not a probability in 0..1"},
        {{"--delay", "-5"}, "--delay: '-5' is not a whole number in 0..600000"},
        {{"--seed", "4294967296"}, "--seed: '4294967296' is not a whole number in 0..4294967295"},
        {{"--split=yes"}, "--split takes no value"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus=1"}, "unknown option '--bogus'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"-x"}, "unexpected argument '-x'"},
        {{"--log="}, "--log needs a path"},
        {{"--garbage", "99999"}, "--garbage: '99999' is not a whole number in 0..4096"},
        {{"--hangup-after", ""}, "--hangup-after: '' is not a whole number in 0..2147483647"},
        {{"--address", "12", "--bogus"}, "--address: '12' is not a whole number in 0..9"},
    };
    for (const auto& [args, message] : bad) {
        SSimOptions untouched;
        untouched.nAddress = 5;
        err.clear();
        EXPECT_FALSE(ParseSimArgs(args, untouched, err)) << args[0];
        EXPECT_EQ(err, message) << args[0];
        EXPECT_EQ(untouched.nAddress, 5) << args[0];
    }
}

} // namespace
