// The editor's reply handling fed an arbitrary byte stream in chunks, as the reader thread posts it.
// Afterwards the model holds only values the editor can show and the response curve is finite.
#include <new>
#include <string>

#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "fuzz/modelcheck.h"

namespace {

// What the replies ask of the window goes nowhere: posted messages (the graph is computed below
// directly), timers, pauses and message boxes.
class CFuzzHost : public CConsoleHost {
public:
    void PostToSelf(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
    void PostMessage(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
    void SetTimer(int, std::uint32_t) override {}
    void KillTimer(int) override {}
    void Sleep(std::uint32_t) override {}
    void MessageBox(const std::string&) override {}
};

// One editor for the whole run: building one per input (its two links with their receive rings)
// cost more than the input itself. Reset() gives every input the state of a new editor.
struct SEditor {
    CFuzzHost host;
    CEditorCore core{host};

    SEditor() { host.Attach(&core); }

    // What reply handling changes: the model (rebuilt in place, as a new editor holds it), the form
    // and the receive record.
    void Reset() {
        core.Model().~CSettingsModel();
        new (&core.Model()) CSettingsModel;
        core.Model().WriteStartupDefaults();
        core.Form() = CFormState{};
        core.Replies().m_RxPacket = SIpcPacket{};
    }
};

SEditor& Editor() {
    static auto* pEditor = new SEditor; // lives for the whole run
    return *pEditor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 3) return 0;
    SEditor& editor = Editor();
    editor.Reset();
    CEditorCore& core = editor.core;
    CSettingsModel& m = core.Model();
    // Byte 0: the page shown and the selected channel, so that every refresh path runs.
    m.m_nPage = static_cast<std::uint8_t>(pData[0] % 5);
    m.m_nChannel = static_cast<std::uint8_t>((pData[0] >> 3) % MLB8_CHANNELS);
    m.m_bEasyExp = (pData[0] >> 6) & 1;

    FuzzCheck::ForEachChunk(pData + 1, nSize - 1, [&](const std::uint8_t* pChunk, std::size_t nLength) {
        core.OnMessage(WM_IPC_RECEIVE, reinterpret_cast<std::uintptr_t>(pChunk),
                       static_cast<std::intptr_t>(nLength));
    });
    FuzzCheck::CheckModelRanges(m);

    core.Replies().OnGraphTimer();
    FuzzCheck::CheckResponse(m.m_Lib);
    // The graph of every channel, with equalizer and crossover on, from whatever records arrived (the
    // VEQ and filter types are stored as received): eight whole curves, so on a sample of inputs.
    if (FuzzCheck::Sampled(pData, nSize, 16)) {
        for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
            m.m_Lib.CalcChannelResponse(1, ch, 1);
            FuzzCheck::CheckResponse(m.m_Lib);
        }
    }
    return 0;
}
