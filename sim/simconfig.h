// The configuration the simulated MLB-8 holds: one running configuration and four preset memories,
// each a complete SSimConfig.
//
// What the device keeps, per group (wire form in brackets):
// - channel volumes nVolume[8] and the main volume nMainVolume, steps 0..128 ((v - 128) / 2 dB);
// - bPhase[8] (0 or 1) and the mute mask nMuteMask (bit i mutes output i);
// - the routing Map: for each output o the bytes MAP_M, MAP_A, MAP_D at 3o, 3o + 1, 3o + 2, and
//   Easy_Expert (0 standard, 1 expert);
// - Input / SubInput (0..2 each), bHighLow (0 low-level, 1 high-level input);
// - input sensitivities nLevelMain[6] and nLevelAux[6], 0..13 (they travel as 13 - level);
// - Output[5], the output architecture of each standard input kind (0..4);
// - per output channel: eleven equalizer records Eq (bands 0..9 plus a spare band 10), one VEQ
//   record, three crossover records Xover (0 high-pass, 1 low-pass, 2 spare), the enable flags
//   bEqFlag, bVeqFlag, bXoverFlag (0 or 1) and the delay nDelay in samples at 48 kHz (0..8191);
// - nVeqVoltage and nVeqLed (one byte each), the 4-byte System block and the 10-byte Password body.
// Filter records are kept as the eight raw bytes they arrived in; the device never rewrites them.
#pragma once

#include <array>
#include <cstdint>

namespace Sim {

constexpr int kChannels = 8;
constexpr int kEqBands = 11;     // bands 0..10 can be addressed; the manager edits 0..9
constexpr int kXoverFilters = 3; // 0 high-pass, 1 low-pass, 2 spare
constexpr int kLevels = 6;
constexpr int kPresets = 4;
constexpr int kMaxVolume = 128;
constexpr int kMaxLevel = 13;
constexpr int kMaxDelay = 8191;

using SFilterBytes = std::array<std::uint8_t, 8>;

struct SSimConfig {
    std::array<std::uint8_t, kChannels> nVolume{};
    std::uint8_t nMainVolume = 0;
    std::array<std::uint8_t, kChannels> bPhase{};
    std::uint8_t nMuteMask = 0;
    std::array<std::uint8_t, 3 * kChannels> Map{};
    std::uint8_t Easy_Expert = 0;
    std::uint8_t Input = 0;
    std::uint8_t SubInput = 0;
    std::array<std::uint8_t, kLevels> nLevelMain{};
    std::array<std::uint8_t, kLevels> nLevelAux{};
    std::uint8_t bHighLow = 0;
    std::array<std::uint8_t, 5> Output{};
    std::array<std::array<SFilterBytes, kEqBands>, kChannels> Eq{};
    std::array<SFilterBytes, kChannels> Veq{};
    std::array<std::array<SFilterBytes, kXoverFilters>, kChannels> Xover{};
    std::array<std::uint8_t, kChannels> bEqFlag{};
    std::array<std::uint8_t, kChannels> bVeqFlag{};
    std::array<std::uint8_t, kChannels> bXoverFlag{};
    std::array<std::uint16_t, kChannels> nDelay{};
    std::uint8_t nVeqVoltage = 0;
    std::uint8_t nVeqLed = 0;
    std::array<std::uint8_t, 4> System{};
    std::array<std::uint8_t, 10> Password{};

    bool operator==(const SSimConfig&) const = default;
};

// The eight bytes of a filter record (type, gain or slope index, Q, frequency in Hz).
SFilterBytes MakeFilterBytes(std::uint8_t nType, int nGainOrSlope, float fQ, std::uint16_t nFreq);

// The tune the device leaves the factory with, in memory n (0..3); memory 0 is also the running
// configuration at power-up. The installation: tweeters on outputs 1-2 (high-pass 3.5 kHz), mid-woofers
// on 3-4 (band-pass 80 Hz - 3.5 kHz), rear coaxials on 5-6 (high-pass 100 Hz), a subwoofer on 7-8
// (25-80 Hz, phase inverted) summed from the front pair of four wired inputs; the driver sits on the
// left, so the left front speakers carry the longest delays.
//   0 "daily": equalizers on with a few corrections per speaker group;
//   1 "bass": more subwoofer (+6 dB at 31 Hz, low-pass at 63 Hz), louder, quieter rears;
//   2 "front stage": rears muted, larger front delays, brighter tweeters;
//   3 "AUX expert": expert mode from the AUX input at high level, equalizers off, no delays.
SSimConfig MakeTune(int nMemory);

} // namespace Sim
