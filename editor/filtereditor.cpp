#include "editor/filtereditor.h"

#include "comm/formstate.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"
#include "orvix/valuelaws.h"
#include "presets/textparse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kFreqMin = 16;
constexpr int kFreqMax = 20000;

std::string Format(const char* pszFormat, double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, f);
    return sz;
}
std::string FormatInt(const char* pszFormat, int n) {
    char sz[32];
    std::snprintf(sz, sizeof sz, pszFormat, n);
    return sz;
}

// Crossover control IDs of the high-pass (0) and low-pass (1) filter.
constexpr int kSlider[2] = {ctl::HP_SLIDER, ctl::LP_SLIDER};
constexpr int kFreqBox[2] = {ctl::HP_FREQ_BOX, ctl::LP_FREQ_BOX};
constexpr int kSlopeBox[2] = {ctl::HP_SLOPE_BOX, ctl::LP_SLOPE_BOX};

// Pen index per channel and colour column of the response graph.
constexpr int kPens[8][6] = {{1, 1, 4, 0, 1, 1}, {2, 2, 5, 3, 2, 2}, {5, 0, 0, 5, 0, 0}, {4, 3, 0, 4, 3, 3},
                             {0, 5, 0, 5, 5, 5}, {0, 4, 0, 0, 4, 4}, {6, 6, 6, 6, 6, 6}, {7, 7, 7, 7, 7, 7}};

} // namespace

// ---- equalizer ----

void CFilterEditor::RefreshEqValues() {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const int ch = m.m_nChannel;
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        if (m.m_bEqEnable[ch]) {
            const SFilterCoef c =
                m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(b));
            f.SetText(ctl::EQ_GAIN_BOX.first + b, FormatInt("%d", c.Gain));
            f.SetPos(ctl::EQ_GAIN_SLIDER.first + b, EqGainToPos(c.Gain));
            f.SetText(ctl::EQ_Q_BOX.first + b, Format("%2.1f", c.BandWidth));
            f.SetPos(ctl::EQ_Q_KNOB.first + b, EqQToPos(c.BandWidth));
        } else {
            f.SetText(ctl::EQ_GAIN_BOX.first + b, "0");
            f.SetPos(ctl::EQ_GAIN_SLIDER.first + b, EqGainToPos(0));
            f.SetText(ctl::EQ_Q_BOX.first + b, "1.0");
            f.SetPos(ctl::EQ_Q_KNOB.first + b, EqQToPos(EQ_Q_MIN));
        }
    }
}

void CFilterEditor::RefreshEqPage(int nChannel) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    m_Ctx.RefreshLevelDisplays();
    const int bEq = m.m_bEqEnable[m.m_nChannel];
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        SFilterCoef c = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(nChannel), static_cast<std::uint8_t>(b));
        int nGain = c.Gain;
        float fQ = c.BandWidth;
        if (!bEq) {
            nGain = 0;
            fQ = EQ_Q_MIN;
        }
        if (EqGainOnFader(nGain)) f.SetPos(ctl::EQ_GAIN_SLIDER.first + b, EqGainToPos(nGain));
        if (const std::optional<int> nKnob = EqQExactPos(fQ)) f.SetPos(ctl::EQ_Q_KNOB.first + b, *nKnob);
        f.SetText(ctl::EQ_GAIN_BOX.first + b, FormatInt("%d", nGain));
        f.SetText(ctl::EQ_Q_BOX.first + b, Format("%2.1f", fQ));
        f.SetText(ctl::EQ_FREQ_BOX.first + b, FormatInt("%d", c.Freq));
    }
    UpdateResponseGraph(bEq, m.m_nChannel, m.m_bXoverEnable[m.m_nChannel]);
}

void CFilterEditor::OnEqFreqEdit(int nBand, ESource source) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (nBand < 0 || nBand >= CRev8001Lib::EQ_BANDS) return;
    int nFreq;
    if (source == FROM_BOX) {
        nFreq = ParseBoxInt(f.Text(ctl::EQ_FREQ_BOX.first + nBand));
    } else {
        nFreq = m.m_Lib.GetEqCoef(m.m_nChannel, static_cast<std::uint8_t>(nBand)).Freq;
        nFreq += source == FROM_STEP_UP ? 1 : -1;
    }
    nFreq = std::clamp(nFreq, kFreqMin, kFreqMax);
    f.SetText(ctl::EQ_FREQ_BOX.first + nBand, FormatInt("%d", nFreq));
    ApplyEqBand(nBand);
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::OnEqGainEdit(int nBand, ESource source, int nPosition) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const int ch = m.m_nChannel;
    if (nBand < 0 || nBand >= CRev8001Lib::EQ_BANDS) return;
    if (source == FROM_BOX) {
        const int nGain = ClampEqGain(ParseBoxInt(f.Text(ctl::EQ_GAIN_BOX.first + nBand)));
        f.SetText(ctl::EQ_GAIN_BOX.first + nBand, FormatInt("%d", nGain));
        f.SetPos(ctl::EQ_GAIN_SLIDER.first + nBand, EqGainToPos(nGain));
    } else if (source == FROM_CONTROL) {
        if (nPosition < 0 || nPosition >= EQ_GAIN_POSITIONS) return;
        f.SetText(ctl::EQ_GAIN_BOX.first + nBand, FormatInt("%2d", EqGainFromPos(nPosition)));
    } else {
        int nGain = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(nBand)).Gain;
        nGain = ClampEqGain(nGain + (source == FROM_STEP_UP ? 1 : -1));
        f.SetText(ctl::EQ_GAIN_BOX.first + nBand, FormatInt("%d", nGain));
    }
    ApplyEqBand(nBand);
    if (!m.m_bEqEnable[ch]) {
        m.m_bEqEnable[ch] = 1;
        RefreshEqValues();
    }
    if (m.m_bPair && ch + 1 < MLB8_CHANNELS) m.m_bEqEnable[ch + 1] = 1;
    f.SetToggle(ctl::EQ_SWITCH, m.m_bEqEnable[ch]);
    const int nStored =
        m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(nBand)).Gain;
    if (EqGainOnFader(nStored)) f.SetPos(ctl::EQ_GAIN_SLIDER.first + nBand, EqGainToPos(nStored));
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::OnEqBandWidthEdit(int nBand, ESource source, int nPosition) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const int ch = m.m_nChannel;
    if (nBand < 0 || nBand >= CRev8001Lib::EQ_BANDS) return;
    float fQ;
    if (source == FROM_BOX) {
        fQ = static_cast<float>(ClampEqQ(ParseBoxDouble(f.Text(ctl::EQ_Q_BOX.first + nBand))));
    } else if (source == FROM_CONTROL) {
        if (nPosition < 0 || nPosition >= EQ_Q_POSITIONS) return;
        fQ = EqQFromPos(nPosition);
    } else {
        fQ = m.m_Lib.GetEqCoef(static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(nBand)).BandWidth;
        fQ = ClampEqQ(fQ + (source == FROM_STEP_UP ? EQ_Q_STEP : -EQ_Q_STEP));
    }
    f.SetText(ctl::EQ_Q_BOX.first + nBand, Format("%2.1f", fQ));
    f.SetPos(ctl::EQ_Q_KNOB.first + nBand, EqQToPos(fQ));
    ApplyEqBand(nBand);
    if (!m.m_bEqEnable[ch]) {
        m.m_bEqEnable[ch] = 1;
        RefreshEqValues();
    }
    f.SetToggle(ctl::EQ_SWITCH, m.m_bEqEnable[ch]);
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::ApplyEqBand(int nBand) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const auto ch = static_cast<std::uint8_t>(m.m_nChannel);
    const auto b = static_cast<std::uint8_t>(nBand);
    if (nBand < 0 || nBand >= CRev8001Lib::EQ_BANDS) return;
    const SFilterCoef old = m.m_Lib.GetEqCoef(ch, b);
    SFilterCoef band{};
    band.Filtertype = FT_PEAKING;
    // The boxes are the band's working copy; whatever they hold is kept within the model's limits.
    const double fGain = ParseBoxDouble(f.Text(ctl::EQ_GAIN_BOX.first + nBand));
    band.Gain = static_cast<std::int8_t>(std::clamp(static_cast<int>(std::clamp(fGain, -100.0, 100.0)),
                                                    EQ_GAIN_STORED_MIN_DB, EQ_GAIN_STORED_MAX_DB));
    band.BandWidth = static_cast<float>(ClampEqQ(ParseBoxDouble(f.Text(ctl::EQ_Q_BOX.first + nBand))));
    band.Freq = static_cast<std::uint16_t>(
        std::clamp(ParseBoxInt(f.Text(ctl::EQ_FREQ_BOX.first + nBand)), kFreqMin, kFreqMax));
    m.m_Lib.SetEqCoef(ch, b, band);
    if (m.m_bPair && ch + 1 < MLB8_CHANNELS) {
        const auto partner = static_cast<std::uint8_t>(ch + 1);
        SFilterCoef p = m.m_Lib.GetEqCoef(partner, b);
        p.Filtertype = FT_PEAKING;
        p.Freq = band.Freq;
        p.Gain = static_cast<std::int8_t>(ClampEqGain(p.Gain + (band.Gain - old.Gain)));
        p.BandWidth = ClampEqQ(p.BandWidth + (band.BandWidth - old.BandWidth));
        m.m_Lib.SetEqCoef(partner, b, p);
    }
}

void CFilterEditor::OnEqEnable() {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = m.m_nChannel;
    m.m_bEqEnable[ch] = 1 - m.m_bEqEnable[ch];
    if (m.m_bPair && ch <= 6) m.m_bEqEnable[ch + 1] = m.m_bEqEnable[ch];
    m_Ctx.m_Form.SetToggle(ctl::EQ_SWITCH, m.m_bEqEnable[ch]);
    RefreshEqValues();
    m.m_Lib.SetEqFlag(static_cast<std::uint8_t>(ch), m.m_bEqEnable[ch]);
    if (m.m_bPair && ch + 1 <= 7) m.m_Lib.SetEqFlag(static_cast<std::uint8_t>(ch + 1), m.m_bEqEnable[ch + 1]);
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
    CommitEqEnable();
}

void CFilterEditor::CommitEqBand(int nBand, bool bEnableToo) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = m.m_nChannel;
    if (bEnableToo) m_Ctx.m_Writer.SendSetEqFlag(1, ch, m.m_bEqEnable[ch], m.m_bPair);
    m_Ctx.m_Writer.SendSetFilterCoef(1, ch, nBand, m.m_bPair);
}

void CFilterEditor::CommitEqEnable() {
    CSettingsModel& m = m_Ctx.m_Model;
    m_Ctx.m_Writer.SendSetEqFlag(1, m.m_nChannel, m.m_bEqEnable[m.m_nChannel], m.m_bPair);
}

// ---- crossover ----

int CFilterEditor::XoverFreqFromSlider(int nPosition) {
    if (nPosition <= 0) return kFreqMin;
    const float fExponent = std::log10(16.0f) + static_cast<float>(nPosition) / 40.0f;
    const double f = std::trunc(std::pow(10.0, static_cast<double>(fExponent)));
    return static_cast<int>(std::min(f, static_cast<double>(kFreqMax)));
}

int CFilterEditor::XoverSliderFromFreq(int nFreq) {
    if (nFreq <= kFreqMin) return 0;
    if (nFreq > kFreqMax) return XOVER_POSITIONS - 1;
    return static_cast<int>((std::log10(static_cast<float>(nFreq)) - std::log10(16.0f)) * 40.0f);
}

int CFilterEditor::XoverStep(int f, bool bUp) {
    if (bUp) {
        if (f < 100)
            f += 1;
        else if (f < 1000)
            f = (f / 10 + 1) * 10;
        else
            f = (f / 100 + 1) * 100;
        return std::min(f, kFreqMax);
    }
    if (f <= 100)
        f -= 1;
    else if (f <= 1000)
        f = (f - 1) / 10 * 10;
    else
        f = (f - 1) / 100 * 100;
    return std::max(f, kFreqMin);
}

int CFilterEditor::SlopeIndexFromText(int nTyped) {
    const auto nByte = static_cast<std::uint8_t>(nTyped); // modulo 256
    for (int i = 0; i < 8; ++i)
        if (SLOPES[i] >= nByte) return i;
    return 0;
}

void CFilterEditor::ShowXoverValues(int nFilter) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    const SFilterCoef c = m.m_Lib.GetXoverCoef(m.m_nChannel, static_cast<std::uint8_t>(nFilter));
    f.SetText(kFreqBox[nFilter], FormatInt("%d", c.Freq));
    f.SetPos(kSlider[nFilter], XoverSliderFromFreq(c.Freq));
    f.SetText(kSlopeBox[nFilter], FormatInt("%d", SLOPES[std::min<int>(c.Slop, 7)]));
}

void CFilterEditor::RefreshXoverPage(int nChannel) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    const auto ch = static_cast<std::uint8_t>(nChannel);
    m.m_nXoverType[ch][1] = m.m_Lib.GetXoverCoef(ch, CRev8001Lib::XOVER_HIGHPASS).Filtertype;
    m.m_nXoverType[ch][0] = m.m_Lib.GetXoverCoef(ch, CRev8001Lib::XOVER_LOWPASS).Filtertype;
    for (int id = ctl::HP_SLIDER; id <= ctl::HP_SLOPE_DOWN; ++id)
        f.Show(id, false);
    for (int id : {ctl::XOVER_HP, ctl::XOVER_BP, ctl::XOVER_LP})
        f.SetToggle(id, 0);
    if (m.m_bXoverEnable[ch]) {
        const bool bHigh = m.m_nXoverType[ch][1] == FT_HIGHPASS;
        const bool bLow = m.m_nXoverType[ch][0] == FT_LOWPASS;
        for (int nFilter = 0; nFilter < 2; ++nFilter) {
            if (nFilter == 0 ? !bHigh : !bLow) continue;
            f.Show(kSlider[nFilter], true);
            f.Show(kFreqBox[nFilter], true);
            f.Show(kSlopeBox[nFilter], true);
            ShowXoverValues(nFilter);
        }
        if (bHigh && bLow)
            f.SetToggle(ctl::XOVER_BP, 1);
        else if (bHigh)
            f.SetToggle(ctl::XOVER_HP, 1);
        else if (bLow)
            f.SetToggle(ctl::XOVER_LP, 1);
    }
    m_Ctx.m_Host.Repaint(AREA_PAGE);
    UpdateResponseGraph(m.m_bEqEnable[ch], ch, m.m_bXoverEnable[ch]);
}

void CFilterEditor::OnXoverType(int nId) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = m.m_nChannel;
    if (nId != ctl::XOVER_HP && nId != ctl::XOVER_BP && nId != ctl::XOVER_LP) return;
    const int bOn = m_Ctx.m_Form.Control(nId).bToggle ? 1 : 0; // the button's state after the click
    const int nHigh = bOn && (nId == ctl::XOVER_HP || nId == ctl::XOVER_BP) ? FT_HIGHPASS : FT_OFF;
    const int nLow = bOn && (nId == ctl::XOVER_LP || nId == ctl::XOVER_BP) ? FT_LOWPASS : FT_OFF;
    const int nLast = m.m_bPair && ch + 1 < MLB8_CHANNELS ? ch + 1 : ch;
    for (int c = ch; c <= nLast; ++c) {
        const auto cc = static_cast<std::uint8_t>(c);
        m.m_bXoverEnable[c] = bOn;
        m.m_nXoverType[c][0] = nLow;
        m.m_nXoverType[c][1] = nHigh;
        SFilterCoef high = m.m_Lib.GetXoverCoef(cc, CRev8001Lib::XOVER_HIGHPASS);
        high.Filtertype = static_cast<std::uint8_t>(nHigh);
        m.m_Lib.SetXoverCoef(cc, CRev8001Lib::XOVER_HIGHPASS, high);
        SFilterCoef low = m.m_Lib.GetXoverCoef(cc, CRev8001Lib::XOVER_LOWPASS);
        low.Filtertype = static_cast<std::uint8_t>(nLow);
        m.m_Lib.SetXoverCoef(cc, CRev8001Lib::XOVER_LOWPASS, low);
        m.m_Lib.SetXoverFlag(cc, bOn);
    }
    RefreshXoverPage(ch);
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::OnXoverFreq(int nFilter, ESource source, int nPosition) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (nFilter < 0 || nFilter > 1) return;
    const auto ch = static_cast<std::uint8_t>(m.m_nChannel);
    const auto n = static_cast<std::uint8_t>(nFilter);
    SFilterCoef c = m.m_Lib.GetXoverCoef(ch, n);
    const int nOld = c.Freq;
    int nNew, nChange;
    if (source == FROM_CONTROL) {
        nNew = XoverFreqFromSlider(nPosition);
        nChange = nNew - nOld;
    } else if (source == FROM_BOX) {
        const int nTyped = ParseBoxInt(f.Text(kFreqBox[nFilter]));
        nNew = std::clamp(nTyped, kFreqMin, kFreqMax);
        nChange = std::clamp(nTyped - nOld, -100000, 100000);
    } else {
        nNew = XoverStep(nOld, source == FROM_STEP_UP);
        nChange = 0;
    }
    c.Freq = static_cast<std::uint16_t>(nNew);
    m.m_Lib.SetXoverCoef(ch, n, c);
    if (m.m_bPair && ch + 1 < MLB8_CHANNELS) {
        const auto partner = static_cast<std::uint8_t>(ch + 1);
        SFilterCoef p = m.m_Lib.GetXoverCoef(partner, n);
        const int nPartner = source == FROM_STEP_UP || source == FROM_STEP_DOWN
                                 ? XoverStep(p.Freq, source == FROM_STEP_UP)
                                 : std::clamp(p.Freq + nChange, kFreqMin, kFreqMax);
        p.Freq = static_cast<std::uint16_t>(nPartner);
        m.m_Lib.SetXoverCoef(partner, n, p);
    }
    f.SetText(kFreqBox[nFilter], FormatInt("%d", nNew));
    if (source != FROM_CONTROL) f.SetPos(kSlider[nFilter], XoverSliderFromFreq(nNew));
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::OnXoverSlope(int nFilter, ESource source) {
    CSettingsModel& m = m_Ctx.m_Model;
    CFormState& f = m_Ctx.m_Form;
    if (nFilter < 0 || nFilter > 1) return;
    const auto ch = static_cast<std::uint8_t>(m.m_nChannel);
    const auto n = static_cast<std::uint8_t>(nFilter);
    SFilterCoef c = m.m_Lib.GetXoverCoef(ch, n);
    const int nOld = std::min<int>(c.Slop, 7);
    int nNew;
    if (source == FROM_BOX)
        nNew = SlopeIndexFromText(ParseBoxInt(f.Text(kSlopeBox[nFilter])));
    else
        nNew = std::clamp(nOld + (source == FROM_STEP_UP ? 1 : -1), 0, 7);
    c.Slop = static_cast<std::uint8_t>(nNew);
    m.m_Lib.SetXoverCoef(ch, n, c);
    if (m.m_bPair && ch + 1 <= 7) {
        const auto partner = static_cast<std::uint8_t>(ch + 1);
        SFilterCoef p = m.m_Lib.GetXoverCoef(partner, n);
        p.Slop = static_cast<std::uint8_t>(std::clamp<int>(std::min<int>(p.Slop, 7) + (nNew - nOld), 0, 7));
        m.m_Lib.SetXoverCoef(partner, n, p);
    }
    f.SetText(kSlopeBox[nFilter], FormatInt("%d", SLOPES[nNew]));
    m_Ctx.m_Host.PostToSelf(WM_GRAPH_REFRESH, 0, 0);
}

void CFilterEditor::CommitXover(bool bFlagToo) {
    CSettingsModel& m = m_Ctx.m_Model;
    const int ch = m.m_nChannel;
    if (bFlagToo) m_Ctx.m_Writer.SendSetXoverFlag(1, ch, m.m_bXoverEnable[ch], m.m_bPair);
    m_Ctx.m_Writer.SendSetXoverFilter(1, ch);
}

// ---- response graph ----

int CFilterEditor::GraphPen(const CSettingsModel& m, int nChannel) {
    const int out = m.m_nDSPOutput[std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1)];
    const int col = m.m_bEasyExp ? 5 : std::clamp(out, 0, 4);
    return kPens[std::clamp(nChannel, 0, MLB8_CHANNELS - 1)][col];
}

void CFilterEditor::UpdateResponseGraph(int bEq, int nChannel, int bXover) {
    CSettingsModel& m = m_Ctx.m_Model;
    if (nChannel < 0 || nChannel >= MLB8_CHANNELS) return;
    const int partner = (nChannel % 2 == 0) ? nChannel + 1 : nChannel - 1;
    const int out = m.m_nDSPOutput[std::clamp(m.m_nDSPInput, 0, MLB8_INPUT_KINDS - 1)];
    const int col = m.m_bEasyExp ? 5 : std::clamp(out, 0, 4);
    CRev8001Lib& lib = m.m_Lib;
    if (!(out == 3 && partner == 5)) {
        lib.CalcChannelResponse(m.m_bEqEnable[partner], partner, m.m_bXoverEnable[partner]);
        m_Ctx.m_Host.DrawCurve(lib.GetResponse(), lib.GetResponseCount(), kPens[partner][col], 1);
        TRACE("\r\n nPairChannel[%d] EQ[%d] XOVER[%d] ", partner, m.m_bEqEnable[partner],
              m.m_bXoverEnable[partner]);
    }
    if (out == 3 && nChannel == 4) {
        lib.CalcChannelResponse(bEq, 4, bXover);
        m_Ctx.m_Host.DrawCurve(lib.GetResponse(), lib.GetResponseCount(), kPens[4][col], 1);
        return;
    }
    lib.CalcChannelResponse(bEq, nChannel, bXover);
    m_Ctx.m_Host.DrawCurve(lib.GetResponse(), lib.GetResponseCount(), kPens[nChannel][col], 0);
    TRACE("\r\n Channel[%d] EQ[%d] XOVER[%d] ", nChannel, m.m_bEqEnable[nChannel],
          m.m_bXoverEnable[nChannel]);
}
