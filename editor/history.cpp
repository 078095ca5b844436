#include "editor/history.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "editor/writer.h"

namespace {

constexpr int kLiveMode = 1;

template <typename T, std::size_t N> bool Same(const T (&a)[N], const T (&b)[N]) {
    return std::equal(std::begin(a), std::end(a), std::begin(b));
}

template <typename T, std::size_t N> void Copy(T (&to)[N], const T (&from)[N]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

std::uint8_t U8(int n) {
    return static_cast<std::uint8_t>(n);
}

SFilterCoef CoefOf(const SEditSnapshot::Coef& bytes) {
    SFilterCoef c{};
    std::memcpy(&c, bytes, sizeof c);
    return c;
}

void PutCoef(SEditSnapshot::Coef& bytes, const SFilterCoef& c) {
    std::memcpy(bytes, &c, sizeof c);
}

} // namespace

SEditSnapshot SEditSnapshot::Of(const CSettingsModel& m) {
    SEditSnapshot s;
    s.nMainVolume = m.m_nMainVolume;
    Copy(s.nVolume, m.m_nVolume);
    Copy(s.bPhase, m.m_bPhase);
    Copy(s.bMute, m.m_bMute);
    s.nSoloMask = m.m_nSoloMask;
    const int io[7] = {m.m_bEasyExp,
                       m.m_nDSPInput,
                       m.m_nDSPExpInput,
                       m.m_bEasyConfigInputHighLow,
                       m.m_bExpertConfigInputHighLow,
                       m.m_nEasyConfigInputSensitivity,
                       m.m_bProcessorExpert};
    Copy(s.io, io);
    Copy(s.nSensMain, m.m_nInputSensitivityMain);
    Copy(s.nSensAux, m.m_nInputSensitivityAux);
    Copy(s.nOutput, m.m_nDSPOutput);
    Copy(s.maps[0], m.m_MapM);
    Copy(s.maps[1], m.m_MapA);
    Copy(s.maps[2], m.m_MapD);
    Copy(s.bEqEnable, m.m_bEqEnable);
    Copy(s.bXoverEnable, m.m_bXoverEnable);
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        Copy(s.nXoverType[ch], m.m_nXoverType[ch]);
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
            PutCoef(s.eq[ch][b], m.m_Lib.GetEqCoef(U8(ch), U8(b)));
        for (int n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n)
            PutCoef(s.xover[ch][n], m.m_Lib.GetXoverCoef(U8(ch), U8(n)));
    }
    Copy(s.nDelay, m.m_nDelay);
    return s;
}

void SEditSnapshot::PutIo(CSettingsModel& m) const {
    m.m_bEasyExp = io[0];
    m.m_nDSPInput = io[1];
    m.m_nDSPExpInput = io[2];
    m.m_bEasyConfigInputHighLow = io[3];
    m.m_bExpertConfigInputHighLow = io[4];
    m.m_nEasyConfigInputSensitivity = io[5];
    m.m_bProcessorExpert = io[6];
    Copy(m.m_nInputSensitivityMain, nSensMain);
    Copy(m.m_nInputSensitivityAux, nSensAux);
    Copy(m.m_nDSPOutput, nOutput);
    Copy(m.m_MapM, maps[0]);
    Copy(m.m_MapA, maps[1]);
    Copy(m.m_MapD, maps[2]);
}

bool SEditSnapshot::SameOnProcessor(const SEditSnapshot& o) const {
    auto held = [](SEditSnapshot s) {
        s.nSoloMask = 0;
        s.nOutput[0] = 0;
        if (s.io[0]) {
            s.io[1] = s.io[3] = s.io[5] = 0;
        } else {
            s.io[2] = s.io[4] = 0;
        }
        return s;
    };
    return held(*this) == held(o);
}

bool SEditSnapshot::SameIo(const SEditSnapshot& o) const {
    return Same(io, o.io) && Same(nSensMain, o.nSensMain) && Same(nSensAux, o.nSensAux) &&
           Same(nOutput, o.nOutput) && std::memcmp(maps, o.maps, sizeof maps) == 0;
}

int ApplyEdits(CSettingsModel& m, const SEditSnapshot& w, CSettingsWriter& writer) {
    const SEditSnapshot cur = SEditSnapshot::Of(m);
    int nSent = 0;
    auto sent = [&](int bOk) { nSent += bOk ? 1 : 0; };
    if (cur.nMainVolume != w.nMainVolume) {
        m.m_nMainVolume = w.nMainVolume;
        sent(writer.SendSetMainVolume(kLiveMode, m.m_nMainVolume));
    }
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        if (cur.nVolume[ch] != w.nVolume[ch]) {
            m.m_nVolume[ch] = w.nVolume[ch];
            sent(writer.SendSetChannelVolume(kLiveMode, ch, 0, &m.m_nVolume[ch]));
        }
        if (cur.bPhase[ch] != w.bPhase[ch]) {
            m.m_bPhase[ch] = w.bPhase[ch];
            sent(writer.SendSetPhase(kLiveMode, ch, 0, m.m_bPhase[ch]));
        }
    }
    if (!Same(cur.bMute, w.bMute) || cur.nSoloMask != w.nSoloMask) {
        Copy(m.m_bMute, w.bMute);
        m.m_nSoloMask = w.nSoloMask;
        sent(writer.SendMuteState(kLiveMode, m.m_nSoloMask));
    }
    // A full write sends both sensitivity groups; the configuration apply only the active input's.
    if (!Same(cur.nSensMain, w.nSensMain)) {
        Copy(m.m_nInputSensitivityMain, w.nSensMain);
        sent(writer.SendSetLevel(kLiveMode, 9, m.m_nInputSensitivityMain, 0));
    }
    if (!Same(cur.nSensAux, w.nSensAux)) {
        Copy(m.m_nInputSensitivityAux, w.nSensAux);
        sent(writer.SendSetLevel(kLiveMode, 9, m.m_nInputSensitivityAux, 1));
    }
    if (!cur.SameIo(w)) {
        // The mode switch alone sent nothing; the rest goes in the mode the processor was in.
        SEditSnapshot pageOnly = cur;
        pageOnly.io[0] = w.io[0];
        w.PutIo(m);
        if (!pageOnly.SameIo(w)) {
            m.m_bEasyExp = w.io[6];
            writer.ApplyIoConfig();
            m.m_bEasyExp = w.io[0];
            m.m_bProcessorExpert = w.io[6];
            ++nSent;
        }
    }
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        if (cur.bEqEnable[ch] != w.bEqEnable[ch]) {
            m.m_bEqEnable[ch] = w.bEqEnable[ch];
            sent(writer.SendSetEqFlag(kLiveMode, ch, m.m_bEqEnable[ch], 0));
        }
        for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
            if (std::memcmp(cur.eq[ch][b], w.eq[ch][b], sizeof(SFilterCoef)) == 0) continue;
            m.m_Lib.SetEqCoef(U8(ch), U8(b), CoefOf(w.eq[ch][b]));
            sent(writer.SendSetFilterCoef(kLiveMode, ch, b, 0));
        }
        if (cur.bXoverEnable[ch] != w.bXoverEnable[ch]) {
            m.m_bXoverEnable[ch] = w.bXoverEnable[ch];
            sent(writer.SendSetXoverFlag(kLiveMode, ch, m.m_bXoverEnable[ch], 0));
        }
        Copy(m.m_nXoverType[ch], w.nXoverType[ch]);
        for (int n = 0; n < CRev8001Lib::XOVER_FILTERS; ++n) {
            if (std::memcmp(cur.xover[ch][n], w.xover[ch][n], sizeof(SFilterCoef)) == 0) continue;
            m.m_Lib.SetXoverCoef(U8(ch), U8(n), CoefOf(w.xover[ch][n]));
            sent(writer.SendXoverFilter(kLiveMode, ch, n, 0));
        }
    }
    if (!Same(cur.nDelay, w.nDelay)) {
        Copy(m.m_nDelay, w.nDelay);
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch)
            m.m_fDelayMs[ch] = CSettingsModel::DelayMsFromSamples(m.m_nDelay[ch]);
        sent(writer.SendSetDelay(kLiveMode, 9, m.m_nDelay));
    }
    return nSent;
}

void CEditHistory::Rebase(const CSettingsModel& now) {
    m_Base = SEditSnapshot::Of(now);
    m_Undo.clear();
    m_Redo.clear();
}

bool CEditHistory::Commit(const CSettingsModel& now) {
    SEditSnapshot s = SEditSnapshot::Of(now);
    if (s == m_Base) return false;
    m_Undo.push_back(m_Base);
    if (m_Undo.size() > MAX_STEPS) m_Undo.pop_front();
    m_Redo.clear();
    m_Base = s;
    return true;
}

const SEditSnapshot* CEditHistory::Undo() {
    return Step(m_Undo, m_Redo);
}

const SEditSnapshot* CEditHistory::Redo() {
    return Step(m_Redo, m_Undo);
}

// Goes to the newest step of `from`; where the history stood goes onto `to`.
const SEditSnapshot* CEditHistory::Step(std::deque<SEditSnapshot>& from, std::deque<SEditSnapshot>& to) {
    if (from.empty()) return nullptr;
    to.push_back(m_Base);
    m_Base = from.back();
    from.pop_back();
    return &m_Base;
}
