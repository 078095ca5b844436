// Finding the processor, connecting, loading, preset recall and hot-plug.
#pragma once

#include <string>
#include <vector>

#include "editor/editcontext.h"

class CProtocol;
class CPages;
class CIoConfig;

class CDeviceLink {
public:
    CDeviceLink(const SEditContext& ctx, CProtocol& link, CProtocol& search, CPages& pages,
                CIoConfig& ioConfig)
        : m_Ctx(ctx), m_Protocol(link), m_SearchProtocol(search), m_Pages(pages), m_IoConfig(ioConfig) {}

    void StartDeviceSearch();
    int ProbeNextPort();
    void StopDeviceSearch();
    void OnSearchTimer();
    void OnSearchAnswered(int nPort);
    int ConnectDevice(int nPort, int nAddress);
    int OnLoadProc(int nPreset, bool bSwitchPreset = true);
    void OnLoadDone();
    // True once after the load of a connect (not of a preset recall) has ended.
    bool TakeConnectLoad() {
        const bool b = m_bConnectLoad;
        m_bConnectLoad = false;
        return b;
    }
    void LoadPreset(int nPreset);
    void OnDeviceConnect();
    // nComPort: the COM number of the port that went away, or -1 when unknown. nGeneration: 0 for a
    // removal the system reported, else the link's hang-up naming the open it ended (a hang-up
    // still queued from an open before the current one is stale and ignored). Offers to save the
    // settings to a file through WM_OFFER_SAVE_FILE.
    void OnDeviceDisconnect(int nComPort, std::uint32_t nGeneration = 0);
    void OnUnlockMouseTimer();
    int IsAnySlaveFound() const;
    int GetFirstFoundSlave() const;
    // Connections read the processor as it runs, without switching it to its current preset memory
    // (which would replace the live settings with the stored ones): for the command line.
    void SetAttachWithoutRecall(bool bAttach) { m_bAttachWithoutRecall = bAttach; }

private:
    void HintPermission(int nPort);
    SEditContext m_Ctx;
    CProtocol& m_Protocol;
    CProtocol& m_SearchProtocol;
    CPages& m_Pages;
    CIoConfig& m_IoConfig;
    bool m_bAttachWithoutRecall = false;
    bool m_bConnectLoad = false;
    bool m_bPermissionHinted = false;
    std::vector<std::string> m_BusyPorts; // candidates of the running search held by another program
};
