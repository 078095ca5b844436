// A/B comparison while listening: two complete settings in memory, one of them live on the processor.
// Switching sends only the groups in which the two differ; edits go to the live side.
#pragma once

#include "editor/history.h"
#include "editor/uitext.h"

// Said in the help area when a connect found other settings than the window knew.
constexpr const char* TEXT_COMPARE_RESET = MLB8_TRANSLATE_NOOP(
    "help", "The settings read back differ from those this window knew: the A/B comparison "
            "and the undo history start afresh, and nothing of the earlier settings is sent.");

class CSettingsWriter;

class CAbCompare {
public:
    enum ESide { SIDE_A = 0, SIDE_B = 1 };

    ESide Live() const { return m_Live; }
    char LiveName() const { return m_Live == SIDE_A ? 'A' : 'B'; }
    // Keeps the live settings for their side and brings the model and the processor to the other
    // side's (the other side starts as a copy of the live one). Returns the commands sent.
    int Switch(CSettingsModel& model, CSettingsWriter& writer);
    // The other side becomes a copy of the live settings ("Copy A -> B" while A is live).
    void CopyLiveToOther(const CSettingsModel& model);
    // Settings read from the processor (a connect, a preset recall) are the live side's; the other
    // side is kept.
    bool HasOther() const { return m_bHasOther; }
    // Both sides forgotten: A is live, B starts as its copy at the next switch.
    void Reset() {
        m_Live = SIDE_A;
        m_bHasOther = false;
    }

private:
    ESide m_Live = SIDE_A;
    bool m_bHasOther = false;
    SEditSnapshot m_Other;
};
