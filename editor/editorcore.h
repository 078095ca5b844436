// The editor core: everything the main view decides, without a widget. It owns the settings model,
// the two links to the processor and the form state, and is driven by its host: messages, timers,
// menu commands and control notifications go in; sends, form changes and host calls come out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/protocol.h"
#include "editor/delayeditor.h"
#include "editor/dispatch.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/filtereditor.h"
#include "editor/formstate.h"
#include "editor/help.h"
#include "editor/ioconfig.h"
#include "editor/pages.h"
#include "editor/presetfile.h"
#include "editor/selection.h"
#include "editor/settingsmodel.h"

class CEditorCore;

// Finding the processor, connecting, loading, preset recall and hot-plug.
class CDeviceLink {
public:
    explicit CDeviceLink(CEditorCore& core) : m_Core(core) {}

    void StartDeviceSearch();
    int ProbeNextPort();
    void StopDeviceSearch();
    void OnSearchTimer();
    void OnSearchAnswered(int nPort);
    int ConnectDevice(int nPort, int nAddress);
    int WaitDeviceResponse();
    int OnLoadProc(int nPreset, bool bSwitchPreset = true);
    void OnLoadDone();
    void LoadPreset(int nPreset);
    void OnDeviceConnect();
    // nComPort: the COM number of the port that went away, or -1 when unknown.
    void OnDeviceDisconnect(int nComPort);
    void OnUnlockMouseTimer();
    int IsAnySlaveFound() const;
    int GetFirstFoundSlave() const;
    // Connections read the processor as it runs, without switching it to its current preset memory
    // (which would replace the live settings with the stored ones): for the command line.
    void SetAttachWithoutRecall(bool bAttach) { m_bAttachWithoutRecall = bAttach; }

private:
    void HintPermission(int nPort);
    CEditorCore& m_Core;
    bool m_bAttachWithoutRecall = false;
    bool m_bPermissionHinted = false;
    std::vector<std::string> m_BusyPorts; // candidates of the running search held by another program
};

// Applying the processor's replies to the model.
class CReplyHandler {
public:
    static constexpr int COPY_BUFFER = 1024;

    explicit CReplyHandler(CEditorCore& core) : m_Core(core) {}

    void OnIpcReceive(const std::uint8_t* pChunk, int nLength);
    void ParseReply(const SIpcPacket& rec);
    void OnAck(const SIpcPacket& rec);
    void OnGraphRefresh();
    void OnGraphTimer();

    SIpcPacket m_RxPacket;

private:
    bool CheckLength(int nCheck, int nLength, int nLow, int nHigh, int nExpected);
    void OnLevel(const SIpcPacket& rec);
    void OnInput(const SIpcPacket& rec);
    void OnMap(const SIpcPacket& rec);
    void OnFilter(const SIpcPacket& rec, bool bXover);
    CEditorCore& m_Core;
};

// Writing the model to the processor: single sends, the wheel debounce and the bulk sequences.
class CSettingsWriter {
public:
    explicit CSettingsWriter(CEditorCore& core) : m_Core(core) {}

    int SendSetPreset(int nMode, int nPreset);
    int SendSetInputStandard(int nMode, int nKind);
    int SendSetInputExpert(int nMode, int nInput);
    int SendSetOutput(int nMode, const int* pOutputs);
    int SendSetChannelMap(int nMode, int nChannel);
    int SendSetPhase(int nMode, int nChannel, int nPair, int bPhase);
    int SendSetMute(int nMode, int nMask);
    int SendMuteState(int nMode, int nSoloMask);
    int SendSetDelay(int nMode, int nChannel, const std::uint16_t* pDelays);
    int SendSetLevel(int nMode, int nChannel, const int* pLevels, int nGroup);
    int SendSetHighLow(int nMode, int bHighLow);
    int SendSetEqFlag(int nMode, int nChannel, int bFlag, int nPair);
    int SendSetFilterCoef(int nMode, int nChannel, int nBand, int nPair);
    int SendSetXoverFlag(int nMode, int nChannel, int bFlag, int nPair);
    int SendSetXoverFilter(int nMode, int nChannel);
    int SendXoverFilter(int nMode, int nChannel, int nFilter, int nPair);
    int SendSetMainVolume(int nMode, int nVolume);
    int SendSetChannelVolume(int nMode, int nChannel, int nPair, const int* pVolume);
    int SendControlValue(int nCtrlId);

    void OnWheelStep(int nCtrlId);
    void OnWheelTimer();
    int SaveProc(int nPreset);
    int SendDDXProc(int nPreset);
    void ApplyIoConfig();
    void StorePreset(int nPreset);
    void OnSendAll();

private:
    // The common body of SaveProc (mode 2) and SendDDXProc (mode 1).
    int WriteAll(int nMode);
    CEditorCore& m_Core;
};

class CEditorCore {
public:
    explicit CEditorCore(IEditorHost& host);
    ~CEditorCore();
    CEditorCore(const CEditorCore&) = delete;
    CEditorCore& operator=(const CEditorCore&) = delete;

    // Start-up: defaults, the first page, the device search (unless the host starts it later).
    void Start(bool bSearch = true);
    // Everything the host delivers.
    void OnMessage(std::uint32_t nMsg, std::uintptr_t wParam, std::intptr_t lParam);
    void OnTimer(int nId);
    void OnCommand(int nId);

    IEditorHost& Host() { return m_Host; }
    CSettingsModel& Model() { return m_Model; }
    CFormState& Form() { return m_Form; }

    // Screen refreshes the replies and sequences ask for.
    void RefreshLevelDisplays();
    void RefreshPage();

    IEditorHost& m_Host;
    CSettingsModel m_Model;
    CFormState m_Form;
    CProtocol m_Protocol{m_Host.LinkEnv()};
    CProtocol m_SearchProtocol{m_Host.LinkEnv()};
    CDeviceLink m_Link;
    CReplyHandler m_Replies;
    CSettingsWriter m_Writer;
    CSelection m_Selection;
    CFilterEditor m_Filters;
    CDelayEditor m_Delays;
    CIoConfig m_IoConfig;
    CHelp m_Help;
    CPages m_Pages;
    CDispatch m_Dispatch;
    CPresetFiles m_Files;
};
