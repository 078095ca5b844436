// Frames, CRC, the byte-wise parser and reply decoding: no port involved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "comm/crc16.h"
#include "comm/protocol.h"
#include "testutil.h"

using testutil::Frame;
using Bytes = std::vector<std::uint8_t>;

TEST(Crc16, PublishedVectorAndProbeFrame) {
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(CalcCrc16(abc, 3), 0x8AF5);

    const std::uint8_t header[7] = {0, VA_SYSTEM, MODE_READ, 0, 0, 0, 0};
    std::uint8_t frame[9];
    ASSERT_EQ(CProtocol::BuildPacket(frame, header, 7, nullptr, 0), 9);
    EXPECT_EQ(Bytes(frame, frame + 9), (Bytes{0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x77, 0xE4}));
    EXPECT_EQ(CProtocol::BuildPacket(frame, nullptr, 7, nullptr, 0), 0);
    EXPECT_EQ(CProtocol::BuildPacket(nullptr, header, 7, nullptr, 0), 0);
}

namespace {

// Feeds bytes to a parser and returns the IDs of the frames it completed.
std::vector<int> Feed(SIpcPacket& rec, const Bytes& bytes) {
    std::vector<int> ids;
    for (std::uint8_t b : bytes)
        if (CProtocol::ParsePacketByte(rec, b)) ids.push_back(rec.ID);
    return ids;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(FrameParser, FramesSpanChunksAndShareThem) {
    const Bytes volume = Frame({0, 0x84, 0x80, 0, 8, 0, 2, 0, 100});
    const Bytes ack = Frame({0, 0x80 | VA_PRESET, 1, 0, 0, 0, 0});
    SIpcPacket rec;
    // Header in one chunk, body and CRC in the next.
    EXPECT_TRUE(Feed(rec, Bytes(volume.begin(), volume.begin() + 7)).empty());
    EXPECT_EQ(Feed(rec, Bytes(volume.begin() + 7, volume.end())), std::vector<int>{VA_VOLUME});
    EXPECT_EQ(rec.Status, 4); // VA_OK in the top bits
    EXPECT_EQ(rec.Volume(8), 100);
    // Two frames in one chunk, in order; an acknowledgement has no body and keeps the decoded area.
    EXPECT_EQ(Feed(rec, Concat({ack, volume})), (std::vector<int>{VA_PRESET, VA_VOLUME}));
    EXPECT_EQ(rec.state, 0);
}

TEST(FrameParser, RefusedFramesResetWithoutWritingPastTheRecord) {
    SIpcPacket rec;
    // ID above 20: reset at the ID byte; the next frame still parses.
    EXPECT_EQ(Feed(rec, Concat({{0x00, 0x15}, Frame({0, VA_MUTE, 0x80, 0, 0, 0, 1, 0x0F})})),
              std::vector<int>{VA_MUTE});
    // A frame announcing 255 body bytes is dropped at its length byte.
    Bytes huge = {0, VA_MUTE, 0x80, 0, 0, 0, 255};
    huge.resize(huge.size() + 300, 0xEE);
    Feed(rec, huge);
    EXPECT_LE(rec.nDataLen, IPC_DATA_CAPACITY);
    rec.ResetParser();
    // A level reply of 7 bytes fails decoding: dropped, nothing completes.
    EXPECT_THAT(Feed(rec, Frame({0, VA_LEVEL, 0x80, 0, 9, 0, 7, 1, 2, 3, 4, 5, 6, 7})),
                testing::Not(testing::Contains(VA_LEVEL)));
}

TEST(FrameParser, WrongCrcIsDroppedAndCounted) {
    Bytes bad = Frame({0, VA_PRESET, 0x80, 0, 0, 0, 1, 2});
    bad[7] = 3; // the body changed on the line, the CRC did not
    const Bytes good = Frame({0, VA_PRESET, 0x80, 0, 0, 0, 1, 1});
    SIpcPacket rec;
    EXPECT_THAT(Feed(rec, bad), testing::IsEmpty());
    EXPECT_EQ(rec.nCrcErrors, 1);
    // The frame after it is taken, with its own value.
    EXPECT_EQ(Feed(rec, good), std::vector<int>{VA_PRESET});
    EXPECT_EQ(rec.Byte(0), 1);
    EXPECT_EQ(rec.nCrcErrors, 1);
    // Whole frames count nothing, whatever false frames their own bytes hold.
    const Bytes delays =
        Frame({0, VA_DELAY, 0x80, 0, 9, 0, 16, 0, 0, 1, 0x80, 0, 0, 0, 0, 0x80, 0, 0, 0, 4, 0, 0, 0});
    const Bytes ack = Frame({0, 0x80 | VA_FILTER, 1, 0, 3, 4, 0});
    for (int n = 0; n < 50; ++n)
        EXPECT_EQ(Feed(rec, Concat({delays, ack, good})), (std::vector<int>{VA_DELAY, VA_FILTER, VA_PRESET}));
    EXPECT_EQ(rec.nCrcErrors, 1);
}

namespace {

// Noise that looks like the start of a frame: a valid ID and a length that reaches into the reply.
struct SNoiseCase {
    const char* pszName;
    Bytes noise;
};

} // namespace

TEST(FrameParser, ReplyAfterNoiseIsFoundFromTheByteAfterTheFalseStart) {
    const Bytes reply = Frame({3, 0x80 | VA_VOLUME, 0x80, 0, 8, 0, 2, 0, 100});
    const SNoiseCase cases[] = {
        {"one byte", {0x55}},
        {"a bad ID", {0x00, 0x1F}},
        {"a header whose body swallows the reply", {0x01, VA_MAP, 0x80, 0, 9, 0, 25}},
        {"a header of an empty frame", {0x00, VA_PRESET, 0x01, 0, 0, 0, 0}},
        {"a whole frame with a wrong CRC", {0x00, VA_MUTE, 0x80, 0, 0, 0, 1, 0x0F, 0x12, 0x34}},
        {"twelve bytes", {0x09, 0x04, 0x80, 0x00, 0x08, 0x00, 0x02, 0x07, 0x09, 0x04, 0x80, 0x00}},
        {"the reply's own first bytes", Bytes(reply.begin(), reply.begin() + 5)},
    };
    for (const SNoiseCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        SIpcPacket rec;
        EXPECT_EQ(Feed(rec, Concat({c.noise, reply})), std::vector<int>{VA_VOLUME});
        EXPECT_EQ(rec.SlaveAddr, 3);
        EXPECT_EQ(rec.Volume(8), 100);
        // One byte at a time gives the same, and the parser is at rest afterwards.
        SIpcPacket byByte;
        std::vector<int> ids;
        for (std::uint8_t b : Concat({c.noise, reply}))
            for (int id : Feed(byByte, {b}))
                ids.push_back(id);
        EXPECT_EQ(ids, std::vector<int>{VA_VOLUME});
        EXPECT_EQ(byByte.state, 0);
    }
}

TEST(FrameParser, RandomNoiseBeforeEveryReplyLosesNoReply) {
    std::mt19937 rng(5);
    const Bytes reply =
        Frame({0, VA_DELAY, 0x80, 0, 9, 0, 16, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0});
    SIpcPacket rec;
    int nFound = 0;
    for (int n = 0; n < 2000; ++n) {
        Bytes noise(1 + rng() % 12);
        for (std::uint8_t& b : noise)
            b = static_cast<std::uint8_t>(rng());
        for (int id : Feed(rec, Concat({noise, reply}))) {
            EXPECT_EQ(id, VA_DELAY);
            ++nFound;
        }
        EXPECT_EQ(rec.Delay(7), 8);
    }
    EXPECT_EQ(nFound, 2000);
}

namespace {

struct DecodeCase {
    const char* name;
    Bytes header; // ID, Channel, SubIndex
    Bytes body;
    bool bAccepted;
    Bytes expect; // decoded bytes from offset 0 (checked only when accepted)
};

Bytes DecodeOf(const DecodeCase& c, bool* pAccepted) {
    SIpcPacket rec;
    std::memset(rec.Decoded, 0xAA, sizeof rec.Decoded);
    rec.ID = c.header[0];
    rec.Channel = c.header[1];
    rec.SubIndex = c.header[2];
    rec.Length = static_cast<std::uint8_t>(c.body.size());
    rec.nDataLen = static_cast<int>(c.body.size());
    std::memcpy(rec.data, c.body.data(), c.body.size());
    *pAccepted = CProtocol::DecodeBody(rec) == 1;
    return Bytes(rec.Decoded, rec.Decoded + c.expect.size());
}

constexpr std::uint8_t X = 0xAA; // untouched

} // namespace

TEST(DecodeBody, LengthChannelAndValueRules) {
    const DecodeCase cases[] = {
        {"levels inverted and limited",
         {VA_LEVEL, 9, 0},
         {13, 0, 5, 14, 200, 12},
         true,
         {0, 13, 8, 13, 13, 1}},
        {"level pair at its channel", {VA_LEVEL, 2, 1}, {13, 3}, true, {X, X, 0, 10, X}},
        {"level of seven bytes", {VA_LEVEL, 9, 0}, {1, 2, 3, 4, 5, 6, 7}, false, {}},
        {"level short all-channel form", {VA_LEVEL, 9, 0}, {1, 2}, false, {}},
        {"level channel 6", {VA_LEVEL, 6, 0}, {1, 2}, false, {}},
        {"delay limited",
         {VA_DELAY, 9, 0},
         {0x45, 0x23, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0},
         true,
         {0xFF, 0x1F, 1, 0, 2, 0, 3, 0}},
        {"delay pair",
         {VA_DELAY, 2, 0},
         {0xE0, 0x01, 0x10, 0x00},
         true,
         {X, X, X, X, 0xE0, 0x01, 0x10, 0x00}},
        {"delay channel 7 only",
         {VA_DELAY, 7, 0},
         {1, 0, 2, 0},
         true,
         {X, X, X, X, X, X, X, X, X, X, X, X, X, X, 1, 0}},
        {"delay other channel", {VA_DELAY, 8, 0}, {1, 0, 2, 0}, true, {X, X}},
        {"delay too short", {VA_DELAY, 0, 0}, {1, 0}, false, {}},
        {"main volume", {VA_VOLUME, 8, 0}, {0, 100}, true, {0, 0, 0, 0, X, X, X, X, X, X, X, X, 100}},
        {"channel volume with sum flag", {VA_VOLUME, 1, 0}, {1, 77}, true, {1, 0, 0, 0, X, 77}},
        {"all volumes",
         {VA_VOLUME, 9, 0},
         {1, 2, 3, 4, 5, 6, 7, 8},
         true,
         {X, X, X, X, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"volume without its value", {VA_VOLUME, 3, 0}, {1}, false, {}},
        {"volume channel 10", {VA_VOLUME, 10, 0}, {0, 1}, false, {}},
        {"map one output", {VA_MAP, 2, 0}, {7, 8, 9}, true, {X, X, X, X, X, X, 7, 8, 9}},
        {"map channel 8", {VA_MAP, 8, 0}, {7, 8, 9}, false, {}},
        {"map too short", {VA_MAP, 0, 0}, {7, 8}, false, {}},
        {"input", {VA_INPUT, 0, 0}, {3, 1}, true, {3, 1}},
        {"input wrong length", {VA_INPUT, 0, 0}, {3}, false, {}},
        {"filter record",
         {VA_FILTER, 3, 5},
         {1, 1, 0, 0, 0, 0x80, 0x3F, 0xE8, 0x03},
         true,
         {1, 1, 0, 0, 0, 0x80, 0x3F, 0xE8, 0x03}},
        {"output", {VA_OUTPUT, 0, 0}, {4, 1, 2, 3, 0}, true, {4, 1, 2, 3, 0}},
        {"password",
         {VA_PASSWORD, 0, 0},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         true,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"system too long", {VA_SYSTEM, 0, 0}, {1, 2, 3, 4, 5}, false, {}},
    };
    for (const DecodeCase& c : cases) {
        bool bAccepted = false;
        Bytes decoded = DecodeOf(c, &bAccepted);
        EXPECT_EQ(bAccepted, c.bAccepted) << c.name;
        if (c.bAccepted && bAccepted) {
            EXPECT_EQ(decoded, c.expect) << c.name;
        }
    }
}

TEST(DecodeBody, AllChannelMapTracesEveryByte) {
    testutil::TraceCapture trace;
    Bytes body(25);
    for (int i = 0; i < 25; ++i)
        body[i] = static_cast<std::uint8_t>(i + 0x10);
    bool bAccepted = false;
    Bytes decoded = DecodeOf({"map", {VA_MAP, 9, 0}, body, true, Bytes(25)}, &bAccepted);
    ASSERT_TRUE(bAccepted);
    EXPECT_EQ(decoded, body);
    const std::string text = trace.Text();
    EXPECT_THAT(text, testing::HasSubstr("\r\n ParserMap "));
    EXPECT_THAT(text, testing::HasSubstr("\r\n Map0_0[10]"));
    EXPECT_THAT(text, testing::HasSubstr("\r\n Map8_0[28]"));
}
