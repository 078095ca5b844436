// The simulated processor's request handling: an arbitrary byte stream in chunks through its frame
// parser, every frame handled by the device. The parser accounts for every byte, each reply is one
// well-formed frame, and the device's configuration stays within its ranges.
#include <vector>

#include "comm/crc16.h"
#include "fuzz/fuzzcheck.h"
#include "sim/simdevice.h"
#include "sim/simframe.h"

namespace {

void CheckConfig(const Sim::SSimConfig& c) {
    FUZZ_CHECK(c.nMainVolume <= Sim::kMaxVolume);
    for (int ch = 0; ch < Sim::kChannels; ++ch) {
        FUZZ_CHECK(c.nVolume[ch] <= Sim::kMaxVolume);
        FUZZ_CHECK(FuzzCheck::IsFlag(c.bPhase[ch]) && FuzzCheck::IsFlag(c.bEqFlag[ch]));
        FUZZ_CHECK(FuzzCheck::IsFlag(c.bVeqFlag[ch]) && FuzzCheck::IsFlag(c.bXoverFlag[ch]));
        FUZZ_CHECK(c.nDelay[ch] <= Sim::kMaxDelay);
    }
    for (int i = 0; i < Sim::kLevels; ++i)
        FUZZ_CHECK(c.nLevelMain[i] <= Sim::kMaxLevel && c.nLevelAux[i] <= Sim::kMaxLevel);
    FUZZ_CHECK(FuzzCheck::IsFlag(c.Easy_Expert) && FuzzCheck::IsFlag(c.bHighLow));
    FUZZ_CHECK(c.Input <= 2 && c.SubInput <= 2);
    for (std::uint8_t n : c.Output)
        FUZZ_CHECK(n <= 4);
}

void CheckReply(const Sim::SSimFrame& request, const Sim::SSimReply& reply) {
    if (!reply.bReply) return;
    FUZZ_CHECK(request.SlaveAddr <= 9);
    const std::vector<std::uint8_t>& f = reply.Frame;
    FUZZ_CHECK(f.size() >= Sim::kHeaderSize + 2 && f.size() <= Sim::kMaxFrame);
    FUZZ_CHECK(f.size() == Sim::kHeaderSize + f[6] + 2);
    const std::uint16_t crc = CalcCrc16(f.data(), f.size() - 2);
    FUZZ_CHECK(f[f.size() - 2] == (crc & 0xFF) && f[f.size() - 1] == (crc >> 8));
    FUZZ_CHECK(f[0] == request.SlaveAddr && (f[1] & 0x1F) == request.Id);
    if (request.Id == 0 && request.Mode == Sim::kModeRead) // the probe's reply carries channel 0, index 0
        FUZZ_CHECK(f[4] == 0 && f[5] == 0);
    else
        FUZZ_CHECK(f[4] == request.Channel && f[5] == request.SubIndex);
    FUZZ_CHECK(f[2] == Sim::kModeRead || (f[2] == Sim::kModeWrite && f[6] == 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 2) return 0;
    Sim::CSimDevice device;
    device.SetAddress(pData[0] % 10);
    Sim::CSimFrameParser parser;
    std::vector<Sim::SParseEvent> events;
    std::size_t nAccounted = 0;

    auto handle = [&]() {
        for (const Sim::SParseEvent& ev : events) {
            switch (ev.eKind) {
            case Sim::SParseEvent::EKind::Frame: {
                FUZZ_CHECK(ev.nCrcReceived == ev.nCrcComputed && ev.Frame.Raw == ev.Bytes);
                FUZZ_CHECK(ev.Bytes.size() <= Sim::kMaxFrame);
                nAccounted += ev.Bytes.size();
                const Sim::SSimReply reply = device.Handle(ev.Frame);
                CheckReply(ev.Frame, reply);
                break;
            }
            case Sim::SParseEvent::EKind::CrcMismatch:
                FUZZ_CHECK(ev.nCrcReceived != ev.nCrcComputed && ev.Bytes.size() <= Sim::kMaxFrame);
                nAccounted += 1; // only its first byte is dropped
                break;
            case Sim::SParseEvent::EKind::Garbage:
                FUZZ_CHECK(!ev.Bytes.empty());
                nAccounted += ev.Bytes.size();
                break;
            }
        }
        events.clear();
    };

    std::size_t nFed = 0;
    FuzzCheck::ForEachChunk(pData, nSize, [&](const std::uint8_t* pChunk, std::size_t nLength) {
        parser.Feed(pChunk, nLength, events);
        nFed += nLength;
        handle();
        FUZZ_CHECK(parser.Pending() < Sim::kMaxFrame);
        FUZZ_CHECK(nAccounted + parser.Pending() == nFed);
    });
    parser.Expire(events);
    handle();
    FUZZ_CHECK(parser.Pending() == 0 && nAccounted == nFed);

    CheckConfig(device.Running());
    for (int n = 0; n < Sim::kPresets; ++n)
        CheckConfig(device.Memory(n));
    FUZZ_CHECK(device.CurrentPreset() >= 0 && device.CurrentPreset() < Sim::kPresets);
    FUZZ_CHECK(device.StoreTarget() >= 0 && device.StoreTarget() < Sim::kPresets);
    return 0;
}
