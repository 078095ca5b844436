// The DSP parameter store: per output channel the ten equalizer bands, the VEQ filter and the two
// crossover filters as the processor receives them, with one enable flag per group, and the magnitude
// response of one channel on the fixed grid, drawn by the response graph.
//
// Used from the GUI thread only.
#pragma once

#include "comm/sfiltercoef.h"
#include "orvix/filtersection.h"

#include <cstdint>
#include <memory>

class CRev8001Lib {
public:
    static constexpr int CHANNELS = 8;
    static constexpr int EQ_BANDS = 10;
    static constexpr int XOVER_FILTERS = 2; // 0 high-pass, 1 low-pass
    static constexpr int XOVER_HIGHPASS = 0;
    static constexpr int XOVER_LOWPASS = 1;
    // Longest cascade of one crossover filter, and most sections of one channel.
    static constexpr int MAX_XOVER_SECTIONS = 4;
    static constexpr int MAX_CHANNEL_SECTIONS = EQ_BANDS + XOVER_FILTERS * MAX_XOVER_SECTIONS;
    // Centre frequencies of the default equalizer bands.
    static constexpr std::uint16_t DEFAULT_EQ_FREQ[EQ_BANDS] = {31,   63,   125,  250,  500,
                                                                1000, 2000, 4000, 8000, 16000};

    CRev8001Lib();
    ~CRev8001Lib();
    CRev8001Lib(const CRev8001Lib&) = delete;
    CRev8001Lib& operator=(const CRev8001Lib&) = delete;

    // Writes the start-up contents into every channel: flat peaking bands at the default centres, a
    // VEQ of -3 dB at 80 Hz, both crossover filters off (500 Hz and 5000 Hz, Q 0.577), every flag 0.
    void WriteDefaults();

    // Channel 0..7, band 0..9, crossover filter 0..1. An index out of range reads an all-zero record
    // (or flag 0) and writes nothing.
    SFilterCoef GetEqCoef(std::uint8_t nChannel, std::uint8_t nBand) const;
    void SetEqCoef(std::uint8_t nChannel, std::uint8_t nBand, SFilterCoef coef);
    SFilterCoef GetXoverCoef(std::uint8_t nChannel, std::uint8_t nIndex) const;
    void SetXoverCoef(std::uint8_t nChannel, std::uint8_t nIndex, SFilterCoef coef);
    SFilterCoef GetVeqCoef(std::uint8_t nChannel) const;
    void SetVeqCoef(std::uint8_t nChannel, SFilterCoef coef);

    // Store 1 for any non-zero flag, else 0, and return the stored value.
    int SetEqFlag(std::uint8_t nChannel, int bFlag);
    int SetXoverFlag(std::uint8_t nChannel, int bFlag);
    int SetVeqFlag(std::uint8_t nChannel, int bFlag);
    int GetEqFlag(std::uint8_t nChannel) const;
    int GetXoverFlag(std::uint8_t nChannel) const;
    int GetVeqFlag(std::uint8_t nChannel) const;

    // The curve in dB, one value per grid point; always RESPONSE_POINTS finite values.
    const double* GetResponse() const { return m_pResponse.get(); }
    int GetResponseCount() const { return m_nResponseCount; }

    void ClearResponse();
    // Recomputes the curve of one channel: its equalizer bands when bEq is non-zero, then its high-pass
    // and low-pass filters when bXover is non-zero. The store's own flags and the VEQ take no part.
    // A channel out of range gives a flat curve.
    void CalcChannelResponse(int bEq, int nChannel, int bXover);
    // Adds a crossover filter drawn as its cascade of sections.
    void AddXoverResponse(SFilterCoef coef);
    // Designs one section and adds its response. Off records and types above 3 add nothing.
    void AddSectionResponse(SFilterCoef coef, std::uint8_t bFirstOrder);

    // The sections CalcChannelResponse draws for the same arguments, designed, in the same order (off
    // records left out); returns their count, at most MAX_CHANNEL_SECTIONS.
    int ChannelSections(int bEq, int nChannel, int bXover, ZUtils::SBiquad* pOut) const;
    // The working records of a crossover filter's cascade as they are drawn, with each section's
    // order; returns the count (0 for a slope index out of 0..7 or a type that is no pass filter).
    static int XoverSectionRecords(const SFilterCoef& coef, SFilterCoef* pWork, std::uint8_t* pFirstOrder);

    // Evaluates sections point by point without the precomputed grid tables. The results are the same;
    // only the time differs. For comparisons and measurements.
    void SetReferenceEvaluation(int bOn) { m_bReferenceEval = bOn ? 1 : 0; }

private:
    std::unique_ptr<double[]> m_pResponse;
    SFilterCoef m_EqCoef[CHANNELS][EQ_BANDS];
    SFilterCoef m_XoverCoef[CHANNELS][XOVER_FILTERS];
    SFilterCoef m_VeqCoef[CHANNELS];
    int m_bEqFlag[CHANNELS];
    int m_bXoverFlag[CHANNELS];
    int m_bVeqFlag[CHANNELS];
    int m_nResponseCount;
    int m_bReferenceEval = 0;
};
