// Throughput of the frame parser over the replies of a whole load, as the simulated processor sends
// them, against what the serial link can deliver: 115200 baud at 10 bits a byte, 11520 bytes/s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "comm/protocol.h"
#include "sim/simdevice.h"

namespace {

constexpr double kLinkBytesPerSecond = 11520.0;

// The reads of a load, in its order, answered by the simulated processor.
std::vector<std::uint8_t> LoadReplies() {
    std::vector<std::pair<int, std::pair<int, int>>> reads; // ID, (channel, sub-index)
    auto read = [&](int nId, int nChannel, int nSub) { reads.push_back({nId, {nChannel, nSub}}); };
    read(VA_PRESET, 0, 0);
    read(VA_VOLUME, 8, 0);
    read(VA_VOLUME, 9, 0);
    for (int ch = 0; ch < 8; ++ch)
        read(VA_PHASE, ch, 0);
    read(VA_MUTE, 0, 0);
    read(VA_MAP, 9, 0);
    read(VA_INPUT, 0, 0);
    read(VA_LEVEL, 9, 0);
    read(VA_LEVEL, 9, 1);
    read(VA_HIGHLOW, 0, 0);
    read(VA_OUTPUT, 0, 0);
    for (int ch = 0; ch < 8; ++ch)
        read(VA_EQFLAG, ch, 0);
    for (int ch = 0; ch < 8; ++ch)
        for (int b = 0; b < 10; ++b)
            read(VA_FILTER, ch, b);
    for (int ch = 0; ch < 8; ++ch)
        read(VA_XOVERFLAG, ch, 0);
    for (int ch = 0; ch < 8; ++ch)
        for (int n = 0; n < 2; ++n)
            read(VA_XOVER, ch, n);
    read(VA_DELAY, 9, 0);

    Sim::CSimDevice device;
    std::vector<std::uint8_t> stream;
    for (const auto& [nId, where] : reads) {
        Sim::SSimFrame request;
        request.Id = static_cast<std::uint8_t>(nId);
        request.Mode = MODE_READ;
        request.Channel = static_cast<std::uint8_t>(where.first);
        request.SubIndex = static_cast<std::uint8_t>(where.second);
        const Sim::SSimReply reply = device.Handle(request);
        if (reply.bReply) stream.insert(stream.end(), reply.Frame.begin(), reply.Frame.end());
    }
    return stream;
}

void BM_ParseLoadReplies(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = LoadReplies();
    SIpcPacket rec;
    std::int64_t nFrames = 0;
    for (auto _ : state) {
        for (const std::uint8_t b : stream)
            nFrames += CProtocol::ParsePacketByte(rec, b);
        benchmark::DoNotOptimize(rec.Decoded[0]);
    }
    const double fBytes = static_cast<double>(stream.size()) * static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(fBytes));
    state.counters["frames_per_pass"] =
        state.iterations() ? static_cast<double>(nFrames) / static_cast<double>(state.iterations()) : 0;
    state.counters["bytes_per_pass"] = static_cast<double>(stream.size());
    // Bytes per second as a multiple of the link's rate.
    state.counters["x_link"] = benchmark::Counter(fBytes / kLinkBytesPerSecond, benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ParseLoadReplies)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
