#include "orvix/rev8001lib.h"

#include "comm/trace.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kMaxCascade = CRev8001Lib::MAX_XOVER_SECTIONS;
constexpr std::uint16_t kXoverMinFreq = 16;
constexpr std::uint16_t kXoverMaxFreq = 20000;
constexpr float kButterworthQ = static_cast<float>(0.70710678118654752440); // 1/sqrt(2)

// One section of a crossover cascade: frequency = trunc(factor × F), Q, order.
struct SXoverSection {
    double fFactor;
    float fQ; // unused by first-order sections
    std::uint8_t bFirstOrder;
};

struct SXoverCascade {
    int nSections;
    SXoverSection sections[kMaxCascade];
};

constexpr SXoverSection Second(double fFactor, float fQ) {
    return {fFactor, fQ, 0};
}
constexpr SXoverSection First(double fFactor) {
    return {fFactor, 0.0f, 1};
}

// Per slope index 0..7 (6..48 dB/oct as the editor labels them).
constexpr SXoverCascade kHighPass[8] = {
    {1, {First(1.0)}},
    {1, {Second(1.0, kButterworthQ)}},
    {2, {Second(1.08f, 1.0f), First(1.0)}},
    {2, {Second(1.0, 0.83f), Second(1.0, kButterworthQ)}},
    {3, {Second(1.0, kButterworthQ), Second(0.2, 0.13f), Second(1.06, 1.85f)}},
    {3, {Second(1.0, kButterworthQ), Second(0.9, 0.5f), Second(1.04, 1.9f)}},
    {4, {Second(1.0, kButterworthQ), Second(0.715, 0.4f), Second(1.045, 2.8f), Second(1.045, 0.7f)}},
    {4, {Second(1.0, kButterworthQ), Second(1.26, 0.6f), Second(1.04, 3.4f), Second(1.04, 0.65f)}},
};

// The low-pass cascades do not mirror the high-pass ones: index 2 falls at about 24 dB/oct, index 3
// at about 18, and indexes 6 and 7 both at about 42. The drawn curves follow these cascades.
constexpr SXoverCascade kLowPass[8] = {
    {1, {First(1.0)}},
    {1, {Second(1.0, kButterworthQ)}},
    {2, {Second(1.0, kButterworthQ), Second(1.15, 0.9f)}},
    {2, {Second(0.908, 1.08f), First(1.0)}},
    {3, {Second(1.0, kButterworthQ), Second(1.0, 1.05f), First(2.26)}},
    {3, {Second(1.0, kButterworthQ), Second(1.0, 1.02f), Second(1.3, 0.75f)}},
    {4, {Second(1.0, kButterworthQ), Second(0.9, 0.95f), Second(1.2, 1.6f), First(1.0)}},
    {4, {Second(1.0, kButterworthQ), Second(0.8, 0.85f), Second(1.0, 2.2f), First(0.8)}},
};

// trunc(factor × F) in the 16-bit field; a product beyond the field reads as its largest value.
std::uint16_t SectionFreq(double fFactor, std::uint16_t nFreq) {
    const double fFreq = std::trunc(fFactor * nFreq);
    if (fFreq >= std::numeric_limits<std::uint16_t>::max()) return std::numeric_limits<std::uint16_t>::max();
    return static_cast<std::uint16_t>(fFreq);
}

bool ValidIndex(unsigned n, unsigned nLimit) {
    return n < nLimit;
}

} // namespace

CRev8001Lib::CRev8001Lib() : m_pResponse(new double[RESPONSE_POINTS]) {
    std::memset(m_EqCoef, 0, sizeof(m_EqCoef));
    std::memset(m_XoverCoef, 0, sizeof(m_XoverCoef));
    std::memset(m_VeqCoef, 0, sizeof(m_VeqCoef));
    std::memset(m_bEqFlag, 0, sizeof(m_bEqFlag));
    std::memset(m_bXoverFlag, 0, sizeof(m_bXoverFlag));
    std::memset(m_bVeqFlag, 0, sizeof(m_bVeqFlag));
    m_nResponseCount = RESPONSE_POINTS;
    ClearResponse();
}

CRev8001Lib::~CRev8001Lib() = default;

void CRev8001Lib::WriteDefaults() {
    for (int nChannel = 0; nChannel < CHANNELS; ++nChannel) {
        for (int nBand = 0; nBand < EQ_BANDS; ++nBand) {
            SFilterCoef& band = m_EqCoef[nChannel][nBand];
            band.Filtertype = FT_PEAKING;
            band.Gain = 0;
            band.BandWidth = 1.0f;
            band.Freq = DEFAULT_EQ_FREQ[nBand];
        }
        SFilterCoef& veq = m_VeqCoef[nChannel];
        veq.Filtertype = FT_PEAKING;
        veq.Gain = -3;
        veq.BandWidth = 1.0f;
        veq.Freq = 80;
        for (int nIndex = 0; nIndex < XOVER_FILTERS; ++nIndex) {
            SFilterCoef& xover = m_XoverCoef[nChannel][nIndex];
            xover.Filtertype = FT_OFF;
            xover.Slop = 0;
            xover.BandWidth = 0.577f;
            xover.Freq = nIndex == XOVER_HIGHPASS ? 500 : 5000;
        }
        m_bEqFlag[nChannel] = 0;
        m_bXoverFlag[nChannel] = 0;
        m_bVeqFlag[nChannel] = 0;
    }
}

SFilterCoef CRev8001Lib::GetEqCoef(std::uint8_t nChannel, std::uint8_t nBand) const {
    if (!ValidIndex(nChannel, CHANNELS) || !ValidIndex(nBand, EQ_BANDS)) return SFilterCoef{};
    return m_EqCoef[nChannel][nBand];
}

void CRev8001Lib::SetEqCoef(std::uint8_t nChannel, std::uint8_t nBand, SFilterCoef coef) {
    if (!ValidIndex(nChannel, CHANNELS) || !ValidIndex(nBand, EQ_BANDS)) {
        TRACE("\r\n SetEqCoef: channel %u band %u out of range\r\n", unsigned(nChannel), unsigned(nBand));
        return;
    }
    m_EqCoef[nChannel][nBand] = coef;
}

SFilterCoef CRev8001Lib::GetXoverCoef(std::uint8_t nChannel, std::uint8_t nIndex) const {
    if (!ValidIndex(nChannel, CHANNELS) || !ValidIndex(nIndex, XOVER_FILTERS)) return SFilterCoef{};
    return m_XoverCoef[nChannel][nIndex];
}

void CRev8001Lib::SetXoverCoef(std::uint8_t nChannel, std::uint8_t nIndex, SFilterCoef coef) {
    if (!ValidIndex(nChannel, CHANNELS) || !ValidIndex(nIndex, XOVER_FILTERS)) {
        TRACE("\r\n SetXoverCoef: channel %u filter %u out of range\r\n", unsigned(nChannel),
              unsigned(nIndex));
        return;
    }
    m_XoverCoef[nChannel][nIndex] = coef;
}

SFilterCoef CRev8001Lib::GetVeqCoef(std::uint8_t nChannel) const {
    if (!ValidIndex(nChannel, CHANNELS)) return SFilterCoef{};
    return m_VeqCoef[nChannel];
}

void CRev8001Lib::SetVeqCoef(std::uint8_t nChannel, SFilterCoef coef) {
    if (!ValidIndex(nChannel, CHANNELS)) {
        TRACE("\r\n SetVeqCoef: channel %u out of range\r\n", unsigned(nChannel));
        return;
    }
    m_VeqCoef[nChannel] = coef;
}

namespace {

int StoreFlag(int* pFlags, std::uint8_t nChannel, int bFlag) {
    if (!ValidIndex(nChannel, CRev8001Lib::CHANNELS)) return 0;
    pFlags[nChannel] = bFlag ? 1 : 0;
    return pFlags[nChannel];
}

int ReadFlag(const int* pFlags, std::uint8_t nChannel) {
    return ValidIndex(nChannel, CRev8001Lib::CHANNELS) ? pFlags[nChannel] : 0;
}

} // namespace

int CRev8001Lib::SetEqFlag(std::uint8_t nChannel, int bFlag) {
    return StoreFlag(m_bEqFlag, nChannel, bFlag);
}
int CRev8001Lib::SetXoverFlag(std::uint8_t nChannel, int bFlag) {
    return StoreFlag(m_bXoverFlag, nChannel, bFlag);
}
int CRev8001Lib::SetVeqFlag(std::uint8_t nChannel, int bFlag) {
    return StoreFlag(m_bVeqFlag, nChannel, bFlag);
}
int CRev8001Lib::GetEqFlag(std::uint8_t nChannel) const {
    return ReadFlag(m_bEqFlag, nChannel);
}
int CRev8001Lib::GetXoverFlag(std::uint8_t nChannel) const {
    return ReadFlag(m_bXoverFlag, nChannel);
}
int CRev8001Lib::GetVeqFlag(std::uint8_t nChannel) const {
    return ReadFlag(m_bVeqFlag, nChannel);
}

void CRev8001Lib::ClearResponse() {
    for (int i = 0; i < RESPONSE_POINTS; ++i)
        m_pResponse[i] = 0.0;
    m_nResponseCount = RESPONSE_POINTS;
}

void CRev8001Lib::CalcChannelResponse(int bEq, int nChannel, int bXover) {
    ClearResponse();
    if (nChannel < 0 || nChannel >= CHANNELS) return;
    if (bEq) {
        for (int nBand = 0; nBand < EQ_BANDS; ++nBand)
            AddSectionResponse(m_EqCoef[nChannel][nBand], 1);
    }
    if (bXover) {
        AddXoverResponse(m_XoverCoef[nChannel][XOVER_HIGHPASS]);
        AddXoverResponse(m_XoverCoef[nChannel][XOVER_LOWPASS]);
    }
}

void CRev8001Lib::AddXoverResponse(SFilterCoef coef) {
    SFilterCoef work[MAX_XOVER_SECTIONS];
    std::uint8_t bFirstOrder[MAX_XOVER_SECTIONS];
    const int nSections = XoverSectionRecords(coef, work, bFirstOrder);
    for (int i = 0; i < nSections; ++i)
        AddSectionResponse(work[i], bFirstOrder[i]);
}

int CRev8001Lib::XoverSectionRecords(const SFilterCoef& coef, SFilterCoef* pWork, std::uint8_t* pFirstOrder) {
    // One working record for the whole cascade: a section only sets the type when its own frequency
    // lies in 16..20000 Hz, and nothing resets it, so once a section has been drawn every later one is
    // drawn too, and sections before the first one in range draw nothing.
    SFilterCoef work;
    std::memset(&work, 0, sizeof(work));

    const int nSlope = static_cast<std::int8_t>(coef.Slop);
    if (nSlope < 0 || nSlope > 7) return 0;
    if (coef.Filtertype == FT_HIGHPASS) {
        const SXoverCascade& cascade = kHighPass[nSlope];
        for (int i = 0; i < cascade.nSections; ++i) {
            const SXoverSection& section = cascade.sections[i];
            work.Freq = SectionFreq(section.fFactor, coef.Freq);
            work.BandWidth = section.fQ;
            if (work.Freq >= kXoverMinFreq && work.Freq <= kXoverMaxFreq) work.Filtertype = FT_HIGHPASS;
            pWork[i] = work;
            pFirstOrder[i] = section.bFirstOrder;
        }
        return cascade.nSections;
    }
    if (coef.Filtertype == FT_LOWPASS) {
        const SXoverCascade& cascade = kLowPass[nSlope];
        for (int i = 0; i < cascade.nSections; ++i) {
            const SXoverSection& section = cascade.sections[i];
            work.Freq = SectionFreq(section.fFactor, coef.Freq);
            work.BandWidth = section.fQ;
            if (work.Freq < kXoverMinFreq)
                work.Freq = kXoverMinFreq;
            else if (work.Freq > kXoverMaxFreq)
                work.Freq = kXoverMaxFreq;
            else
                work.Filtertype = FT_LOWPASS;
            pWork[i] = work;
            pFirstOrder[i] = section.bFirstOrder;
        }
        return cascade.nSections;
    }
    return 0;
}

int CRev8001Lib::ChannelSections(int bEq, int nChannel, int bXover, ZUtils::SBiquad* pOut) const {
    if (nChannel < 0 || nChannel >= CHANNELS) return 0;
    int n = 0;
    ZUtils::SBiquad biquad;
    if (bEq) {
        for (int nBand = 0; nBand < EQ_BANDS; ++nBand)
            if (ZUtils::DesignSection(m_EqCoef[nChannel][nBand], 1, &biquad)) pOut[n++] = biquad;
    }
    if (bXover) {
        for (int nIndex : {XOVER_HIGHPASS, XOVER_LOWPASS}) {
            SFilterCoef work[MAX_XOVER_SECTIONS];
            std::uint8_t bFirstOrder[MAX_XOVER_SECTIONS];
            const int nSections = XoverSectionRecords(m_XoverCoef[nChannel][nIndex], work, bFirstOrder);
            for (int i = 0; i < nSections; ++i)
                if (ZUtils::DesignSection(work[i], bFirstOrder[i], &biquad)) pOut[n++] = biquad;
        }
    }
    return n;
}

void CRev8001Lib::AddSectionResponse(SFilterCoef coef, std::uint8_t bFirstOrder) {
    ZUtils::SBiquad biquad;
    if (!ZUtils::DesignSection(coef, bFirstOrder, &biquad)) return;
    m_nResponseCount = m_bReferenceEval ? ZUtils::AddSectionCurveReference(biquad, m_pResponse.get())
                                        : ZUtils::AddSectionCurve(biquad, m_pResponse.get());
}
