// Frames as the simulated processor reads and writes them, and its own incremental request parser.
//
// Frame: SlaveAddr, ID (bits 0..4) with the status (bits 5..7), Mode, Reserved, Channel, SubIndex,
// Length, Length body bytes, CRC-16 of all of that, low byte first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Sim {

constexpr std::size_t kHeaderSize = 7;
constexpr std::size_t kMaxBody = 25;
constexpr std::size_t kMaxFrame = kHeaderSize + kMaxBody + 2;
constexpr std::uint8_t kMaxId = 20;

constexpr std::uint8_t kModeWrite = 1; // also the mode of an acknowledgement
constexpr std::uint8_t kModeStore = 2;
constexpr std::uint8_t kModeSelectStore = 3;
constexpr std::uint8_t kModeRead = 0x80; // also the mode of a data reply

constexpr std::uint8_t kStatusOk = 0x80;
constexpr std::uint8_t kStatusError = 0xA0;
constexpr std::uint8_t kStatusSnError = 0xC0;

// Command IDs (the processor's VA_SYSTEM .. VA_OUTPUT).
enum class EId : std::uint8_t {
    System = 0,
    Map = 1,
    Mute = 2,
    Level = 3,
    Volume = 4,
    Delay = 5,
    Input = 6,
    Filter = 7,
    Update = 8,
    Preset = 9,
    HighLow = 10,
    Xover = 11,
    Phase = 12,
    EqFlag = 13,
    XoverFlag = 14,
    VeqFlag = 15,
    VeqFilter = 16,
    Password = 17,
    VeqVSel = 18,
    VeqLed = 19,
    Output = 20,
};

// "VA_VOLUME" for 4, "ID 25" for an undefined ID.
std::string IdName(std::uint8_t nId);

struct SSimFrame {
    std::uint8_t SlaveAddr = 0;
    std::uint8_t Id = 0;     // five ID bits
    std::uint8_t Status = 0; // top three bits of byte 1, as they stand in the byte
    std::uint8_t Mode = 0;
    std::uint8_t Reserved = 0;
    std::uint8_t Channel = 0;
    std::uint8_t SubIndex = 0;
    std::vector<std::uint8_t> Body;
    std::vector<std::uint8_t> Raw; // the whole frame as received
};

// Header + body + CRC. The body is cut to kMaxBody bytes.
std::vector<std::uint8_t> BuildFrame(std::uint8_t nSlaveAddr, std::uint8_t nIdByte, std::uint8_t nMode,
                                     std::uint8_t nChannel, std::uint8_t nSubIndex,
                                     const std::vector<std::uint8_t>& body = {});

// "00 00 80 ..." (upper-case hex separated by spaces).
std::string HexString(const std::uint8_t* pData, std::size_t nLength);
inline std::string HexString(const std::vector<std::uint8_t>& bytes) {
    return HexString(bytes.data(), bytes.size());
}

struct SParseEvent {
    enum class EKind {
        Frame,       // Bytes: a complete frame with a valid CRC (also in Frame)
        CrcMismatch, // Bytes: a frame-shaped candidate whose CRC is wrong; its first byte is dropped
        Garbage,     // Bytes: bytes dropped because no frame can start with them
    };
    EKind eKind = EKind::Frame;
    std::vector<std::uint8_t> Bytes;
    SSimFrame Frame;
    std::uint16_t nCrcReceived = 0;
    std::uint16_t nCrcComputed = 0;
};

// Byte-wise frame parser with resynchronisation. Bytes are kept until they form a frame. A header with
// an ID above 20 or a Length above 25, or a complete candidate with a wrong CRC, drops the first kept
// byte and the rest is scanned again, so a frame hidden behind garbage or behind a corrupted frame is
// still found. At most kMaxFrame bytes are ever kept. Such a piece of garbage can also claim a body
// longer than what follows it; Expire() settles that once the line is quiet.
class CSimFrameParser {
public:
    void Feed(const std::uint8_t* pData, std::size_t nLength, std::vector<SParseEvent>& events);
    void Feed(const std::vector<std::uint8_t>& bytes, std::vector<SParseEvent>& events) {
        Feed(bytes.data(), bytes.size(), events);
    }
    // The line went quiet: the kept bytes cannot be waiting for the rest of a frame any more. They are
    // scanned again from each next byte, so a request that followed a frame-shaped piece of garbage
    // (which claimed more body bytes than ever came) is still found; the rest is garbage.
    void Expire(std::vector<SParseEvent>& events);
    void Reset();
    std::size_t Pending() const { return m_nKept; }

private:
    void Scan(std::vector<SParseEvent>& events);
    void DropFront(std::size_t nCount, bool bGarbage);
    void FlushGarbage(std::vector<SParseEvent>& events);

    std::uint8_t m_Kept[kMaxFrame] = {};
    std::size_t m_nKept = 0;
    std::vector<std::uint8_t> m_Garbage;
};

} // namespace Sim
