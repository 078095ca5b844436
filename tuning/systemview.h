// The system view of the response graph: every output the configuration drives, each with its
// filters, level, polarity and delay, and the complex sum of a chosen group of outputs. It decides
// what the view shows; the graph widget only draws it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "orvix/complexresponse.h"
#include "orvix/settingsmodel.h"

struct CSettingsModel;
struct SChannelTuning;

struct SSystemPicture; // what the view computes for the graph, below

class CSystemView {
public:
    enum EPhase { PHASE_OFF = 0, PHASE_WRAPPED = 1, PHASE_UNWRAPPED = 2 };

    bool IsOn() const { return m_bOn; }
    void SetOn(bool bOn) { m_bOn = bOn; }
    EPhase Phase() const { return m_Phase; }
    // A number outside the enum is held at its nearest end.
    void SetPhase(int nPhase);
    // The switches: the view on or off; the phase shown or not; the phase unwrapped or wrapped (shows it).
    void ToggleOn() { m_bOn = !m_bOn; }
    void TogglePhase() { SetPhase(m_Phase == PHASE_OFF ? PHASE_WRAPPED : PHASE_OFF); }
    void ToggleUnwrap() { SetPhase(m_Phase == PHASE_UNWRAPPED ? PHASE_WRAPPED : PHASE_UNWRAPPED); }
    // Adds the channel to the summed group or takes it out. Until the first change the group is the
    // left side of the configuration.
    void ToggleSumMember(const CSettingsModel& m, int nChannel);
    unsigned SumMask(const CSettingsModel& m) const;

    // The outputs the configuration drives: those of the architecture in standard mode, all eight in
    // expert mode.
    static std::vector<int> ActiveOutputs(const CSettingsModel& m);
    // The output as the window names it, with the speaker the architecture puts on it.
    static std::string OutputName(const CSettingsModel& m, int nChannel);
    // The outputs the processor keeps silent, one bit per channel: the muted ones, or while a solo is
    // active every output outside it (the mute bits the processor is sent).
    static unsigned SilencedMask(const CSettingsModel& m);
    // Level of the channel (the master level is common to every output and left out), polarity and delay.
    static ZUtils::SOutputTrim Trim(const CSettingsModel& m, int nChannel);
    // The channel's complex response with its enabled equalizer and crossover and its trim.
    static void OutputResponse(const CSettingsModel& m, int nChannel, ZUtils::ZComplexCurve* pOut);

    // The measurements kept for the session, one per output; the sum uses them when every output of
    // its group has one with phase. Null: none.
    void SetTunings(const std::array<SChannelTuning, MLB8_CHANNELS>* pTunings) { m_pTunings = pTunings; }

    // Everything the graph draws.
    void Compute(const CSettingsModel& m, SSystemPicture* pOut) const;

private:
    bool m_bOn = false;
    EPhase m_Phase = PHASE_OFF;
    bool m_bSumChosen = false;
    unsigned m_nSumMask = 0;
    const std::array<SChannelTuning, MLB8_CHANNELS>* m_pTunings = nullptr;
};

struct SSystemOutput {
    int nChannel = 0;
    int nPen = 0;
    std::string name; // "Out 1 Tweeter L"
    bool bSelected = false;
    bool bInSum = false;
    bool bMuted = false; // silent on the processor: drawn as muted, adds nothing to the sum
    ZUtils::ZComplexCurve curve;
    bool operator==(const SSystemOutput&) const = default;
};

struct SSystemPicture {
    std::vector<SSystemOutput> outputs;
    bool bHaveSum = false;
    // "Sum Out 1 + Out 3 (muted) + Out 7", with " (measured)" when measured, or with the shift it is drawn
    // at, " (measured, drawn 85.3 dB lower)"; set whenever the group has a member, even when every member
    // is muted and there is nothing to draw.
    std::string sumName;
    bool bMeasuredSum = false; // measured response × processor response of every output in the sum
    std::string sumNote;       // why a sum with measurements fell back to the processor's alone
    // The sum as it is drawn: a measured one moved by fSumShiftDb (DrawnShiftDb) from the microphone's
    // level; the processor's alone at its own level (shift 0).
    ZUtils::ZComplexCurve sum;
    double fSumShiftDb = 0.0;
    CSystemView::EPhase phase = CSystemView::PHASE_OFF;
    bool operator==(const SSystemPicture&) const = default;
};
