// Filter records for tests. Each starts zeroed, so two records built alike compare equal byte for
// byte; the byte views read and write the eight bytes the processor sends and keeps.
#pragma once

#include "comm/sfiltercoef.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace FilterRecord {

using RecordBytes = std::array<std::uint8_t, sizeof(SFilterCoef)>;

// Any record, as the fields lie: nGainOrSlope is the gain in dB of an equalizer band or the slope
// index of a crossover filter.
inline SFilterCoef Coef(std::uint8_t nType, int nGainOrSlope, float fQ, std::uint16_t nFreq) {
    SFilterCoef coef{};
    coef.Filtertype = nType;
    coef.Gain = static_cast<std::int8_t>(nGainOrSlope);
    coef.BandWidth = fQ;
    coef.Freq = nFreq;
    return coef;
}

inline SFilterCoef Peak(std::uint16_t nFreq, int nGainDb, float fBandWidth) {
    return Coef(FT_PEAKING, nGainDb, fBandWidth, nFreq);
}

// A crossover filter (FT_HIGHPASS, FT_LOWPASS or FT_OFF) with slope index 0..7 (6..48 dB/oct).
inline SFilterCoef Xover(std::uint8_t nType, int nSlope, std::uint16_t nFreq, float fQ = 0.707f) {
    return Coef(nType, nSlope, fQ, nFreq);
}

inline RecordBytes Bytes(const SFilterCoef& coef) {
    RecordBytes bytes;
    std::memcpy(bytes.data(), &coef, sizeof(coef));
    return bytes;
}

// The record in eight bytes as the processor holds them (pBytes points at sizeof(SFilterCoef)).
inline SFilterCoef FromBytes(const std::uint8_t* pBytes) {
    SFilterCoef coef;
    std::memcpy(&coef, pBytes, sizeof(coef));
    return coef;
}

} // namespace FilterRecord
