// What the fault soak and the unplug tests compare: the configuration as a flat list of named values
// taken either from the editor's model or from the simulated processor, a three-way check of a
// sequence's outcome against them, and a watcher that re-parses the received bytes and checks every
// taken frame's CRC on its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "comm/protocol.h"
#include "editor/consolehost.h"
#include "orvix/settingsmodel.h"
#include "sim/simconfig.h"

namespace Soak {

struct SField {
    std::string szName;
    std::int64_t nValue = 0;
};
using CFields = std::vector<SField>;

// The values a load makes authoritative, in the same order from both sides. The input kind only
// means something in standard mode: with bExpert (the processor's mode for a load, the model's own
// for a write) it is listed as -1.
CFields ModelFields(const CSettingsModel& m, bool bExpert);
CFields SimFields(const Sim::SSimConfig& c);

// Names whose values differ between two lists of the same layout.
std::vector<std::string> Differences(const CFields& a, const CFields& b);

// The target of a sequence (the model for a load, a preset memory for a store, the running
// configuration for a file load) before and after, against the values the sequence carries.
struct SCheck {
    int nStale = 0;                 // still the old value where the new one belongs
    int nForeign = 0;               // neither the old nor the new value: nobody sent it
    std::vector<std::string> names; // the first few offending fields, for the report
};
// On success every field must hold the new value; on failure each field may hold either.
// Fields named in skip are not compared.
SCheck CheckTarget(const CFields& before, const CFields& after, const CFields& truth, bool bSucceeded,
                   const std::vector<std::string>& skip = {});

// A configuration of the simulated processor within the editor's ranges, different each call.
Sim::SSimConfig RandomConfig(std::mt19937& rng);
// Random edits of levels, phases, mutes, delays and equalizer gains in the model.
void RandomEdits(CSettingsModel& m, std::mt19937& rng);

// A console host that checks again the CRC of every frame the editor takes, on its own. It sees the
// same chunks in the same order as the editor's reply handler and parses them the same way, so each
// mismatch it counts is a frame with a wrong CRC that the editor accepted.
class CCheckingHost : public CConsoleHost {
public:
    void PostMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam) override;
    int CrcMismatches() const { return m_nMismatches.load(); }
    int FramesSeen() const { return m_nFrames.load(); }
    // The save-as dialog is answered "cancel" like every dialog of the console host; counted here.
    std::string SaveFileDialog(const std::string& filter, const std::string& defaultPath) override {
        ++m_nSaveDialogs;
        return CConsoleHost::SaveFileDialog(filter, defaultPath);
    }
    int SaveDialogs() const { return m_nSaveDialogs; }

private:
    SIpcPacket m_Packet; // reader thread only
    std::atomic<int> m_nMismatches{0};
    std::atomic<int> m_nFrames{0};
    int m_nSaveDialogs = 0; // GUI thread only
};

// True when the CRC of the frame the parser just completed matches the bytes it was built from.
bool FrameCrcMatches(const SIpcPacket& rec);

} // namespace Soak
