#include "simconfig.h"

#include "comm/sfiltercoef.h"

#include <cstring>

namespace Sim {

SFilterBytes MakeFilterBytes(std::uint8_t nType, int nGainOrSlope, float fQ, std::uint16_t nFreq) {
    SFilterCoef coef{};
    coef.Filtertype = nType;
    coef.Gain = static_cast<std::int8_t>(nGainOrSlope);
    coef.BandWidth = fQ;
    coef.Freq = nFreq;
    SFilterBytes bytes{};
    std::memcpy(bytes.data(), &coef, sizeof coef);
    return bytes;
}

namespace {

// Output channels of the installation the tune is made for.
enum EOut { FL_TWEETER, FR_TWEETER, FL_MID, FR_MID, RL_COAX, RR_COAX, SUB_A, SUB_B };

constexpr std::uint16_t kBandFreq[kEqBands] = {31, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 1000};
constexpr float kButterworthQ = 0.707f;

// Slope indices: 0..7 stand for 6..48 dB/oct.
constexpr int kSlope12 = 1;
constexpr int kSlope18 = 2;
constexpr int kSlope24 = 3;

void SetBand(SSimConfig& cfg, int nChannel, int nBand, int nGain, float fQ = 1.0f) {
    cfg.Eq[nChannel][nBand] = MakeFilterBytes(FT_PEAKING, nGain, fQ, kBandFreq[nBand]);
}

void SetCrossover(SSimConfig& cfg, int nChannel, std::uint16_t nHighPass, int nHpSlope,
                  std::uint16_t nLowPass, int nLpSlope) {
    cfg.Xover[nChannel][0] = nHighPass ? MakeFilterBytes(FT_HIGHPASS, nHpSlope, kButterworthQ, nHighPass)
                                       : MakeFilterBytes(FT_OFF, 0, 0.577f, 500);
    cfg.Xover[nChannel][1] = nLowPass ? MakeFilterBytes(FT_LOWPASS, nLpSlope, kButterworthQ, nLowPass)
                                      : MakeFilterBytes(FT_OFF, 0, 0.577f, 5000);
    cfg.bXoverFlag[nChannel] = (nHighPass || nLowPass) ? 1 : 0;
}

void SetPair(std::array<std::uint16_t, kChannels>& delays, int nChannel, std::uint16_t nLeft,
             std::uint16_t nRight) {
    delays[nChannel] = nLeft;
    delays[nChannel + 1] = nRight;
}

// Memory 0, "daily": a 2-way front stage (tweeters on outputs 1-2, mid-woofers on 3-4), rear coaxials
// on 5-6 and a subwoofer on 7-8 fed with the sum of the front pair, from the head unit's four wired
// outputs. The driver sits on the left, so the left front speakers are delayed most.
SSimConfig DailyTune() {
    SSimConfig cfg;
    cfg.nMainVolume = 104; // -12 dB
    cfg.nVolume = {116, 116, 124, 124, 110, 110, 128, 128};
    cfg.nMuteMask = 0;
    cfg.Map = {0x01, 0x01, 0x40, 0x02, 0x02, 0x80, 0x01, 0x01, 0x40, 0x02, 0x02, 0x80,
               0x04, 0x01, 0x40, 0x08, 0x02, 0x80, 0x03, 0x03, 0xC0, 0x03, 0x03, 0xC0};
    cfg.Easy_Expert = 0;
    cfg.Input = 0; // four wired inputs
    cfg.SubInput = 1;
    cfg.nLevelMain = {10, 10, 10, 10, 10, 10};
    cfg.nLevelAux = {8, 8, 8, 8, 8, 8};
    cfg.bHighLow = 0;
    // 5.1 rows for every kind: front 2-way, rear pair, summed sub; the AUX routing bytes above feed the
    // rear pair, which only the AUX 5.1 row does.
    cfg.Output = {4, 4, 4, 4, 4};

    for (int ch = 0; ch < kChannels; ++ch) {
        for (int band = 0; band < kEqBands; ++band)
            SetBand(cfg, ch, band, 0);
        cfg.Eq[ch][10] = MakeFilterBytes(FT_OFF, 0, 1.0f, 1000);
        cfg.Veq[ch] = MakeFilterBytes(FT_PEAKING, -3, 1.0f, 80);
        cfg.Xover[ch][2] = MakeFilterBytes(FT_OFF, 0, 0.577f, 1000);
        cfg.bEqFlag[ch] = 1;
        cfg.bPhase[ch] = 0;
    }
    for (int ch : {FL_TWEETER, FR_TWEETER}) {
        SetBand(cfg, ch, 7, -3, 2.0f); // 4 kHz windscreen glare
        SetBand(cfg, ch, 8, -2);
        SetCrossover(cfg, ch, 3500, kSlope24, 0, 0);
    }
    for (int ch : {FL_MID, FR_MID}) {
        SetBand(cfg, ch, 2, 2);
        SetBand(cfg, ch, 4, -3, 2.5f); // door resonance
        SetBand(cfg, ch, 5, -2);
        SetCrossover(cfg, ch, 80, kSlope18, 3500, kSlope24);
    }
    for (int ch : {RL_COAX, RR_COAX}) {
        SetBand(cfg, ch, 3, 1);
        SetBand(cfg, ch, 9, -4);
        SetCrossover(cfg, ch, 100, kSlope12, 0, 0);
    }
    for (int ch : {SUB_A, SUB_B}) {
        SetBand(cfg, ch, 0, 3);
        SetBand(cfg, ch, 1, 2, 1.4f);
        SetBand(cfg, ch, 2, -4, 3.0f); // cabin peak
        SetCrossover(cfg, ch, 25, kSlope12, 80, kSlope24);
    }
    cfg.bPhase[SUB_A] = cfg.bPhase[SUB_B] = 1;
    SetPair(cfg.nDelay, FL_TWEETER, 96, 34); // 2.0 ms, 0.71 ms
    SetPair(cfg.nDelay, FL_MID, 101, 38);
    SetPair(cfg.nDelay, RL_COAX, 0, 0);
    SetPair(cfg.nDelay, SUB_A, 12, 12);

    cfg.nVeqVoltage = 0;
    cfg.nVeqLed = 0;
    cfg.System = {0x08, 0x01, 0x02, 0x07}; // model 8, firmware 1.2, hardware revision 7
    cfg.Password = {'0', '0', '0', '0', '0', '0', 0, 0, 0, 0};
    return cfg;
}

// Memory 1, "bass": the daily tune with more subwoofer, a louder main volume and quieter rears.
SSimConfig BassTune() {
    SSimConfig cfg = DailyTune();
    cfg.nMainVolume = 112;
    cfg.nVolume[RL_COAX] = cfg.nVolume[RR_COAX] = 100;
    for (int ch : {SUB_A, SUB_B}) {
        SetBand(cfg, ch, 0, 6);
        SetBand(cfg, ch, 1, 4, 1.4f);
        SetCrossover(cfg, ch, 25, kSlope12, 63, kSlope24);
    }
    return cfg;
}

// Memory 2, "front stage": rears muted, the stage centred on the driver with larger delays and
// brighter tweeters.
SSimConfig FrontStageTune() {
    SSimConfig cfg = DailyTune();
    cfg.nMuteMask = (1u << RL_COAX) | (1u << RR_COAX);
    for (int ch : {FL_TWEETER, FR_TWEETER}) {
        SetBand(cfg, ch, 8, 2);
        SetBand(cfg, ch, 9, 3);
        SetCrossover(cfg, ch, 3150, kSlope24, 0, 0);
    }
    SetPair(cfg.nDelay, FL_TWEETER, 130, 40);
    SetPair(cfg.nDelay, FL_MID, 136, 45);
    SetPair(cfg.nDelay, SUB_A, 30, 30);
    return cfg;
}

// Memory 3, "AUX expert": expert routing from the AUX input at high level, equalizers off, no delays.
SSimConfig AuxExpertTune() {
    SSimConfig cfg = DailyTune();
    cfg.Easy_Expert = 1;
    cfg.Input = 1;
    cfg.SubInput = 0;
    cfg.bHighLow = 1;
    cfg.nLevelAux = {6, 6, 6, 6, 6, 6};
    cfg.nMainVolume = 96;
    cfg.nVolume.fill(120);
    cfg.bEqFlag.fill(0);
    cfg.nDelay.fill(0);
    for (int o = 0; o < kChannels; ++o)
        cfg.Map[3 * o + 1] = static_cast<std::uint8_t>((o == SUB_A || o == SUB_B) ? 0x03u : 1u << (o & 1));
    return cfg;
}

} // namespace

SSimConfig MakeTune(int nMemory) {
    switch (nMemory) {
    case 1:
        return BassTune();
    case 2:
        return FrontStageTune();
    case 3:
        return AuxExpertTune();
    default:
        return DailyTune();
    }
}

} // namespace Sim
