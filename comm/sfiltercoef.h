// The filter parameter record the processor designs its filters from. The same eight bytes are held
// in memory, sent in command bodies and received in replies.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

enum EFilterType : std::uint8_t {
    FT_OFF = 0,
    FT_PEAKING = 1,
    FT_LOWPASS = 2,
    FT_HIGHPASS = 3,
};

#pragma pack(push, 1)
struct SFilterCoef {
    std::uint8_t Filtertype; // EFilterType
    union {
        std::int8_t Gain;  // equalizer and VEQ records: whole dB
        std::uint8_t Slop; // crossover records: slope index 0..7 (6..48 dB/oct)
    };
    float BandWidth;    // quality factor Q
    std::uint16_t Freq; // centre or corner frequency in Hz
};
#pragma pack(pop)

static_assert(sizeof(SFilterCoef) == 8);
static_assert(offsetof(SFilterCoef, Filtertype) == 0);
static_assert(offsetof(SFilterCoef, Gain) == 1);
static_assert(offsetof(SFilterCoef, BandWidth) == 2);
static_assert(offsetof(SFilterCoef, Freq) == 6);
static_assert(std::endian::native == std::endian::little, "records are sent as they lie in memory");
