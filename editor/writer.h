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
    void OnSendAll();

private:
    // The common body of SaveProc (mode 2) and SendDDXProc (mode 1).
    int WriteAll(int nMode);
    CSettingsModel& m_Model;
    IEditorHost& m_Host;
    CProtocol& m_Protocol;
    const CProtocol& m_SearchProtocol;
};
