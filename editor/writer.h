// Writing the model to the processor: single sends, the wheel debounce and the bulk sequences.
#pragma once

#include <cstdint>

struct CSettingsModel;
class IEditorHost;
class CProtocol;

class CSettingsWriter {
public:
    // link: the connection to the processor; search: the device search's, which holds off the
    // configuration apply while it runs.
    CSettingsWriter(CSettingsModel& model, IEditorHost& host, CProtocol& link, const CProtocol& search)
        : m_Model(model), m_Host(host), m_Protocol(link), m_SearchProtocol(search) {}

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
    // Peeks at the processor up to three times, a second apart; 1 when it answered.
    int WaitDeviceResponse();
    int SaveProc(int nPreset);
    int SendDDXProc(int nPreset);
    void ApplyIoConfig();
    void StorePreset(int nPreset);
    // How the last StorePreset ended: stored; nothing of it sent (no link, or the processor did not
    // answer before the store began); or cut off after it began, so the preset memory may hold a mix
    // of its old and the new settings.
    enum class EStore { Stored, NotSent, CutOff };
    EStore LastStore() const { return m_eLastStore; }
    void OnSendAll();

private:
    // The common body of SaveProc (mode 2) and SendDDXProc (mode 1).
    int WriteAll(int nMode);
    // The closing bracket of a bulk sequence; 0 when the processor went away at it.
    int CloseBracket(int nPhase);
    CSettingsModel& m_Model;
    IEditorHost& m_Host;
    CProtocol& m_Protocol;
    const CProtocol& m_SearchProtocol;
    bool m_bLastWriteBegun = false; // the last SaveProc or SendDDXProc sent more than its peek
    EStore m_eLastStore = EStore::NotSent;
};
