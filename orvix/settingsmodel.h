// The editor's in-memory copy of one MLB-8's configuration, and the bookkeeping of the connection to
// it. Plain data: the editor's parts read and write the members directly, on the GUI thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comm/devicesearch.h"
#include "comm/serialenum.h"
#include "orvix/rev8001lib.h"

constexpr int MLB8_CHANNELS = 8;
constexpr int MLB8_MAIN_INPUTS = 6;
constexpr int MLB8_AUX_INPUTS = 2;
constexpr int MLB8_INPUT_KINDS = 5;   // 5.1 wired, 4 wired, 2 wired, AUX, numerical
constexpr int MLB8_ARCHITECTURES = 5; // 2-way + sub, 3-way + sub, 2.1, 4.1, 5.1
constexpr int MLB8_MAX_VOLUME = 128;  // step v is (v - 128) / 2 dB
constexpr int MLB8_MAX_SENSITIVITY = 13;
constexpr int MLB8_MAX_DELAY = 8191; // samples at 48 kHz
constexpr int MLB8_MAX_PORTS = 10;
constexpr int MLB8_MAX_ADDRESS = 9;

enum EInputKind {
    INPUT_51_WIRED = 0,
    INPUT_4_WIRED = 1,
    INPUT_2_WIRED = 2,
    INPUT_AUX = 3,
    INPUT_NUMERICAL = 4
};
enum EArchitecture { ARCH_2WAY_SUB = 0, ARCH_3WAY_SUB = 1, ARCH_21 = 2, ARCH_41 = 3, ARCH_51 = 4 };

// Routing bytes per input kind and architecture, output channels 1..8. Rows of kinds 0..2 are MAP_M
// rows, kind 3 MAP_A rows, kind 4 MAP_D rows.
extern const std::uint8_t ROUTING_PRESETS[MLB8_INPUT_KINDS][MLB8_ARCHITECTURES][MLB8_CHANNELS];

// Input voltages per sensitivity entry; index i shows entry 13 - i. AUX inputs use the low table.
extern const float SENS_LOW_TABLE[MLB8_MAX_SENSITIVITY + 1];
extern const float SENS_HIGH_TABLE[MLB8_MAX_SENSITIVITY + 1];
float SensitivityVolts(int nIndex, int bHighLevel);

struct CSettingsModel {
    CSettingsModel();

    // Selection and navigation
    int m_nCurPreset = 0;
    std::uint8_t m_nPage = 4;
    std::uint8_t m_nChannel = 0;
    int m_bPair = 1;
    int m_nSoloMask = 0;

    // Levels
    int m_nMainVolume = 0;
    int m_nVolume[MLB8_CHANNELS] = {};
    int m_bPhase[MLB8_CHANNELS] = {};
    int m_bMute[MLB8_CHANNELS] = {};

    // Input and output configuration
    int m_bEasyExp = 0;
    // The mode the processor was last told (the flag of the routing frames): the mode switch alone
    // changes the page, the processor follows when a configuration is sent.
    int m_bProcessorExpert = 0;
    int m_nDSPInput = 0;
    int m_nDSPExpInput = 0;
    int m_bEasyConfigInputHighLow = 0;
    int m_bExpertConfigInputHighLow = 0;
    int m_nEasyConfigInputSensitivity = 10;
    int m_nInputSensitivityMain[MLB8_MAIN_INPUTS] = {10, 10, 10, 10, 10, 10};
    int m_nInputSensitivityAux[MLB8_AUX_INPUTS] = {10, 10};
    int m_nDSPInputChannel = 0;
    int m_nDSPInputAuxChannel = 0;
    int m_nDSPOutput[MLB8_INPUT_KINDS] = {4, 4, 4, 4, 4};
    std::uint8_t m_MapM[MLB8_CHANNELS] = {};
    std::uint8_t m_MapA[MLB8_CHANNELS] = {};
    std::uint8_t m_MapD[MLB8_CHANNELS] = {};

    // Filter mirrors and time alignment
    int m_bEqEnable[MLB8_CHANNELS] = {};
    int m_bXoverEnable[MLB8_CHANNELS] = {};
    int m_nXoverType[MLB8_CHANNELS][2] = {}; // [0] low-pass type (0 or 2), [1] high-pass type (0 or 3)
    std::uint16_t m_nDelay[MLB8_CHANNELS] = {};
    float m_fDelayMs[MLB8_CHANNELS] = {};
    CRev8001Lib m_Lib;

    // Connection bookkeeping (the links themselves belong to the device link)
    std::vector<SSerInfo> m_SerInfo;
    int m_nComPort = -1;
    int m_nDeviceAddr = 0;
    CDeviceSearch m_Search; // m_nPortList, m_nPortCount, m_nPortIndex, m_bSlaveFound
    int m_bConnected = 0;
    int m_bPresetLoading = 0;
    int m_bPresetSaving = 0;
    int m_bGraphTimerArmed = 0;
    int m_nWheelCtrlId = 0;
    int m_bMouseLbtnEventBlock = 0;
    std::string m_szFilePath;

    // Channel c: its three routing bytes (returns 3); 9: all channels in order (returns 24); else 0.
    int GetChannelMapBytes(int nChannel, std::uint8_t* pBytes) const;
    static std::uint8_t PackFlags(const int* pFlags);
    void ResetMapsToDefault();
    void MouseLbtnEventDisable(int bDisable);
    static float DelayMsFromSamples(std::uint16_t nSamples);
    // The master or channel volume step for a level typed in dB: trunc(dB x 2 + 128), clamped.
    static int VolumeFromDb(double fDb);
    static double DbFromVolume(int nVolume);

    // Start-up: store defaults, then every crossover switched off with its default corners.
    void WriteStartupDefaults();
};
