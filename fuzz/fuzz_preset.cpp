// The preset file reader fed arbitrary files, read as a user's file (and, for one input in 8, as the
// factory file). The model then holds only values the editor can show; and, for one input in 64, the
// profile's own text reads the same, and saving the model and reading the saved file back gives the
// same model without a value to clamp.
#include <ctime>
#include <string_view>

#include "editor/presetfile.h"
#include "fuzz/modelcheck.h"
#include "presets/profile.h"

namespace {

void CheckFilterTypes(const CSettingsModel& m) {
    for (std::uint8_t ch = 0; ch < MLB8_CHANNELS; ++ch) {
        for (std::uint8_t b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            FUZZ_CHECK(m.m_Lib.GetEqCoef(ch, b).Filtertype <= FT_HIGHPASS);
        const std::uint8_t nHigh = m.m_Lib.GetXoverCoef(ch, CRev8001Lib::XOVER_HIGHPASS).Filtertype;
        const std::uint8_t nLow = m.m_Lib.GetXoverCoef(ch, CRev8001Lib::XOVER_LOWPASS).Filtertype;
        FUZZ_CHECK(nHigh == FT_OFF || nHigh == FT_HIGHPASS);
        FUZZ_CHECK(nLow == FT_OFF || nLow == FT_LOWPASS);
        FUZZ_CHECK(m.m_nXoverType[ch][1] == nHigh && m.m_nXoverType[ch][0] == nLow);
    }
}

void CheckSameFilters(const CSettingsModel& a, const CSettingsModel& b) {
    for (std::uint8_t ch = 0; ch < MLB8_CHANNELS; ++ch) {
        for (std::uint8_t n = 0; n < CRev8001Lib::EQ_BANDS; ++n) {
            const SFilterCoef x = a.m_Lib.GetEqCoef(ch, n), y = b.m_Lib.GetEqCoef(ch, n);
            FUZZ_CHECK(x.Filtertype == y.Filtertype && x.Gain == y.Gain && x.Freq == y.Freq);
            FUZZ_CHECK(x.BandWidth == y.BandWidth ||
                       (x.BandWidth - y.BandWidth < 1e-5f && y.BandWidth - x.BandWidth < 1e-5f));
        }
        for (std::uint8_t n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n) {
            const SFilterCoef x = a.m_Lib.GetXoverCoef(ch, n), y = b.m_Lib.GetXoverCoef(ch, n);
            FUZZ_CHECK(x.Filtertype == y.Filtertype && x.Slop == y.Slop && x.Freq == y.Freq &&
                       x.BandWidth == y.BandWidth);
        }
    }
}

void CheckSameModel(const CSettingsModel& a, const CSettingsModel& b) {
    FUZZ_CHECK(a.m_nCurPreset == b.m_nCurPreset && a.m_nMainVolume == b.m_nMainVolume);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        FUZZ_CHECK(a.m_nVolume[ch] == b.m_nVolume[ch] && a.m_bPhase[ch] == b.m_bPhase[ch]);
        FUZZ_CHECK(a.m_bMute[ch] == b.m_bMute[ch] && a.m_nDelay[ch] == b.m_nDelay[ch]);
        FUZZ_CHECK(a.m_bEqEnable[ch] == b.m_bEqEnable[ch] && a.m_bXoverEnable[ch] == b.m_bXoverEnable[ch]);
        FUZZ_CHECK(a.m_MapM[ch] == b.m_MapM[ch] && a.m_MapA[ch] == b.m_MapA[ch] &&
                   a.m_MapD[ch] == b.m_MapD[ch]);
    }
    FUZZ_CHECK(a.m_bEasyExp == b.m_bEasyExp && a.m_nDSPInput == b.m_nDSPInput);
    FUZZ_CHECK(a.m_nDSPExpInput == b.m_nDSPExpInput);
    FUZZ_CHECK(a.m_bEasyConfigInputHighLow == b.m_bEasyConfigInputHighLow);
    FUZZ_CHECK(a.m_bExpertConfigInputHighLow == b.m_bExpertConfigInputHighLow);
    FUZZ_CHECK(a.m_nEasyConfigInputSensitivity == b.m_nEasyConfigInputSensitivity);
    for (int k = 0; k < MLB8_INPUT_KINDS; ++k)
        FUZZ_CHECK(a.m_nDSPOutput[k] == b.m_nDSPOutput[k]);
    for (int i = 0; i < MLB8_MAIN_INPUTS; ++i)
        FUZZ_CHECK(a.m_nInputSensitivityMain[i] == b.m_nInputSensitivityMain[i]);
    for (int i = 0; i < MLB8_AUX_INPUTS; ++i)
        FUZZ_CHECK(a.m_nInputSensitivityAux[i] == b.m_nInputSensitivityAux[i]);
    CheckSameFilters(a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);
    ZUtils::ZProfile profile;
    profile.LoadText(text);
    (void)IsPresetProfile(profile);

    // The reads are most of the cost of an input: the factory read runs on a sample of inputs.
    if (FuzzCheck::Sampled(pData, nSize, 8, 1)) {
        CSettingsModel factory;
        factory.WriteStartupDefaults();
        ReadPresetKeys(profile, factory, EPresetRead::Factory);
        FuzzCheck::CheckModelRanges(factory);
        CheckFilterTypes(factory);
    }

    CSettingsModel m;
    m.WriteStartupDefaults();
    SPresetReport report;
    ReadPresetKeys(profile, m, EPresetRead::File, &report);
    FuzzCheck::CheckModelRanges(m);
    CheckFilterTypes(m);

    // The round trips below cost three reads more: they run on a sample of inputs.
    if (!FuzzCheck::Sampled(pData, nSize, 64)) return 0;

    // The profile's own text, loaded again, reads as the same preset with the same notes (line ends
    // may change: a stray carriage return at the end of a line is not kept).
    ZUtils::ZProfile again;
    again.LoadText(profile.Text());
    CSettingsModel second;
    second.WriteStartupDefaults();
    SPresetReport secondReport;
    ReadPresetKeys(again, second, EPresetRead::File, &secondReport);
    CheckSameModel(m, second);
    FUZZ_CHECK(report.clamped == secondReport.clamped);
    FUZZ_CHECK(report.missing == secondReport.missing);
    FUZZ_CHECK(report.unreadable == secondReport.unreadable);

    // What the reader accepted survives a save and a load unchanged, with nothing left to clamp.
    ZUtils::ZProfile saved;
    WritePresetKeys(saved, m, std::tm{});
    ZUtils::ZProfile reread;
    reread.LoadText(saved.Text());
    CSettingsModel back;
    back.WriteStartupDefaults();
    SPresetReport backReport;
    ReadPresetKeys(reread, back, EPresetRead::File, &backReport);
    CheckSameModel(m, back);
    FUZZ_CHECK(backReport.Clean());
    return 0;
}
