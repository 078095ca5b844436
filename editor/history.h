// Undo and redo of the edits that change the processor. A step is the settings before and after one
// gesture (a drag, a held stepper, a wheel burst, a typed value, a menu action); going back or
// forward writes only the groups in which the two settings differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "orvix/settingsmodel.h"

class CSettingsWriter;

// Everything an edit can change on the processor, copied out of the model (whose filter store is
// not copyable).
struct SEditSnapshot {
    using Coef = std::uint8_t[sizeof(SFilterCoef)];
    int nMainVolume = 0;
    int nVolume[MLB8_CHANNELS] = {};
    int bPhase[MLB8_CHANNELS] = {};
    int bMute[MLB8_CHANNELS] = {};
    int nSoloMask = 0;
    // mode, standard input, expert input, both high/low switches, standard sensitivity, the mode the
    // processor was last told
    int io[7] = {};
    int nSensMain[MLB8_MAIN_INPUTS] = {};
    int nSensAux[MLB8_AUX_INPUTS] = {};
    int nOutput[MLB8_INPUT_KINDS] = {};
    std::uint8_t maps[3][MLB8_CHANNELS] = {};
    int bEqEnable[MLB8_CHANNELS] = {};
    int bXoverEnable[MLB8_CHANNELS] = {};
    int nXoverType[MLB8_CHANNELS][2] = {};
    std::uint16_t nDelay[MLB8_CHANNELS] = {};
    Coef eq[MLB8_CHANNELS][CRev8001Lib::EQ_BANDS] = {};
    Coef xover[MLB8_CHANNELS][CRev8001Lib::XOVER_FILTERS] = {};

    static SEditSnapshot Of(const CSettingsModel& m);
    bool SameIo(const SEditSnapshot& o) const;
    // Writes the input and output configuration into the model, without sending it.
    void PutIo(CSettingsModel& m) const;
    bool operator==(const SEditSnapshot&) const = default;
    // Equal as the processor holds them: without the solo (the window's own) and the fields of the
    // mode not in force, which a load does not read back.
    bool SameOnProcessor(const SEditSnapshot& o) const;
};

// Brings the model and the processor to `wanted`: copies the edited values and sends, for each
// group that differs, the commands an edit of it sends. Returns the commands sent.
int ApplyEdits(CSettingsModel& model, const SEditSnapshot& wanted, CSettingsWriter& writer);

class CEditHistory {
public:
    static constexpr std::size_t MAX_STEPS = 256;

    // The settings the next step starts from (after a connect, a preset recall or store).
    void Rebase(const CSettingsModel& now);
    // A gesture ended: records a step when the settings changed since the last one.
    bool Commit(const CSettingsModel& now);
    // The settings the window last knew: where the last step, undo, redo or rebase left them.
    const SEditSnapshot& Base() const { return m_Base; }
    // The same settings read back: the base takes the model's form of them, the steps stay.
    void Refresh(const CSettingsModel& now) { m_Base = SEditSnapshot::Of(now); }
    bool CanUndo() const { return !m_Undo.empty(); }
    bool CanRedo() const { return !m_Redo.empty(); }
    std::size_t UndoCount() const { return m_Undo.size(); }
    std::size_t RedoCount() const { return m_Redo.size(); }
    // The settings to go to; the caller applies them and the history's base moves there.
    const SEditSnapshot* Undo();
    const SEditSnapshot* Redo();

private:
    const SEditSnapshot* Step(std::deque<SEditSnapshot>& from, std::deque<SEditSnapshot>& to);
    SEditSnapshot m_Base;
    std::deque<SEditSnapshot> m_Undo;
    std::deque<SEditSnapshot> m_Redo;
};
