// Editing the equalizer bands and the crossover filters of the selected channel, with the carry-over
// to the second channel of a selected pair, and the redraw request of the response graph.
#pragma once

#include <cstdint>

#include "editor/editcontext.h"
#include "orvix/valuelaws.h"

class CFilterEditor {
public:
    enum ESource { FROM_BOX = 0, FROM_CONTROL = 1, FROM_STEP_UP = 2, FROM_STEP_DOWN = 3 };

    static constexpr int GAIN_STEPS = EQ_GAIN_POSITIONS; // slider positions: -12 .. +12 dB
    static constexpr int Q_STEPS = EQ_Q_POSITIONS;       // knob positions: 1.0 .. 10.0
    static constexpr int XOVER_POSITIONS = ::XOVER_POSITIONS;
    static constexpr int SLOPES[8] = {6, 12, 18, 24, 30, 36, 42, 48};

    explicit CFilterEditor(const SEditContext& ctx) : m_Ctx(ctx) {}

    void RefreshEqPage(int nChannel);
    void RefreshEqValues();
    void OnEqFreqEdit(int nBand, ESource source);
    void OnEqGainEdit(int nBand, ESource source, int nPosition = 0);
    void OnEqBandWidthEdit(int nBand, ESource source, int nPosition = 0);
    void ApplyEqBand(int nBand);
    void OnEqEnable();

    void RefreshXoverPage(int nChannel);
    void OnXoverType(int nId);
    // nFilter 0 high-pass, 1 low-pass; nPosition for FROM_CONTROL (the slider).
    void OnXoverFreq(int nFilter, ESource source, int nPosition = 0);
    void OnXoverSlope(int nFilter, ESource source);

    // Sends after an edit was committed.
    void CommitEqBand(int nBand, bool bEnableToo);
    void CommitEqEnable();
    void CommitXover(bool bFlagToo);

    void UpdateResponseGraph(int bEq, int nChannel, int bXover);
    // The pen index the graph draws a channel with in the current configuration.
    static int GraphPen(const CSettingsModel& m, int nChannel);

    static int XoverFreqFromSlider(int nPosition);
    static int XoverSliderFromFreq(int nFreq);
    static int XoverStep(int nFreq, bool bUp);
    static int SlopeIndexFromText(int nTyped);

private:
    void ShowXoverValues(int nFilter);
    SEditContext m_Ctx;
};
