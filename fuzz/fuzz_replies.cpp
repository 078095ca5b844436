// The editor's reply handling fed an arbitrary byte stream in chunks, as the reader thread posts it.
// Afterwards the model holds only values the editor can show and the response curve is finite.
#include <memory>

#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "fuzz/modelcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 3) return 0;
    CConsoleHost host;
    host.SetQuiet(true);
    auto pCore = std::make_unique<CEditorCore>(host);
    host.Attach(pCore.get());
    CSettingsModel& m = pCore->Model();
    m.WriteStartupDefaults();
    // Byte 0: the page shown and the selected channel, so that every refresh path runs.
    m.m_nPage = static_cast<std::uint8_t>(pData[0] % 5);
    m.m_nChannel = static_cast<std::uint8_t>((pData[0] >> 3) % MLB8_CHANNELS);
    m.m_bEasyExp = (pData[0] >> 6) & 1;

    FuzzCheck::ForEachChunk(pData + 1, nSize - 1, [&](const std::uint8_t* pChunk, std::size_t nLength) {
        pCore->OnMessage(WM_IPC_RECEIVE, reinterpret_cast<std::uintptr_t>(pChunk),
                         static_cast<std::intptr_t>(nLength));
    });
    FuzzCheck::CheckModelRanges(m);

    // The graph of every channel, with equalizer and crossover on, from whatever records arrived
    // (the VEQ and filter types are stored as received).
    for (int ch = 0; ch < MLB8_CHANNELS; ++ch) {
        m.m_Lib.CalcChannelResponse(1, ch, 1);
        FuzzCheck::CheckResponse(m.m_Lib);
    }
    pCore->m_Replies.OnGraphTimer();
    FuzzCheck::CheckResponse(m.m_Lib);
    return 0;
}
