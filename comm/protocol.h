// The processor's packet protocol over one serial port: frames with a CRC, request/reply
// transactions with retries, the byte-wise frame parser and the reply decoding, and every command.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>

#include "linkenv.h"
#include "port.h"
#include "sfiltercoef.h"
#include "w32thread.h"
#include "w32window.h"
#include "zsync.h"

// Command IDs: the same ID writes a group, reads it and marks its replies.
enum EVaId : std::uint8_t {
    VA_SYSTEM = 0,
    VA_MAP = 1,
    VA_MUTE = 2,
    VA_LEVEL = 3,
    VA_VOLUME = 4,
    VA_DELAY = 5,
    VA_INPUT = 6,
    VA_FILTER = 7,
    VA_UPDATE = 8,
    VA_PRESET = 9,
    VA_HIGHLOW = 10,
    VA_XOVER = 11,
    VA_PHASE = 12,
    VA_EQFLAG = 13,
    VA_XOVERFLAG = 14,
    VA_VEQFLAG = 15,
    VA_VEQFILTER = 16,
    VA_PASSWORD = 17,
    VA_VEQVSEL = 18,
    VA_VEQLED = 19,
    VA_OUTPUT = 20,
    VA_ID_MAX = VA_OUTPUT,
};

// Reply status in the top three bits of byte 1.
constexpr std::uint8_t VA_OK = 0x80;
constexpr std::uint8_t VA_ERROR = 0xA0;
constexpr std::uint8_t VA_SNERROR = 0xC0;

constexpr std::uint8_t MODE_READ = 0x80; // read requests and data replies
constexpr std::uint8_t MODE_ACK = 1;     // acknowledgement of a write

constexpr std::uint32_t WM_IPC_RECEIVE = WM_USER + 20; // wParam: chunk, lParam: its length

constexpr int IPC_HEADER_LEN = 7;
constexpr int IPC_BODY_MAX = 25;       // largest body of any command
constexpr int IPC_DATA_CAPACITY = 100; // body bytes the receive record holds
constexpr int IPC_DECODED_LEN = 25;
constexpr int IPC_FRAME_MAX = IPC_HEADER_LEN + IPC_DATA_CAPACITY + 2; // longest frame the parser takes

// Receive record of the frame parser; its state persists between chunks.
struct SIpcPacket {
    std::uint8_t Status = 0; // bits 5..7 of byte 1
    int state = 0;           // parser state 0..9
    int nDataLen = 0;        // body bytes received so far
    std::uint8_t data[IPC_DATA_CAPACITY] = {};
    std::uint8_t SlaveAddr = 0, ID = 0, Mode = 0, Reserved = 0, Channel = 0, SubIndex = 0, Length = 0;
    std::uint16_t crc = 0;
    // Decoded body, laid out per ID (see DecodeBody); read it through the accessors below.
    std::uint8_t Decoded[IPC_DECODED_LEN] = {};
    // Bytes since the last complete frame that may still begin one (the parser's look-back), and
    // the frames dropped so far because their CRC did not match.
    std::uint8_t raw[IPC_FRAME_MAX] = {};
    int nRaw = 0;
    int nCrcErrors = 0;
    int nCounted = 0; // look-back bytes inside a frame already counted for its CRC

    // VA_MAP: 8 x (MAP_M, MAP_A, MAP_D) then Easy_Expert
    std::uint8_t Map(int nOutput, int nWhich) const { return Decoded[3 * nOutput + nWhich]; }
    std::uint8_t EasyExpert() const { return Decoded[24]; }
    // VA_LEVEL: level per input
    std::uint8_t Level(int i) const { return Decoded[i]; }
    // VA_VOLUME: SumFlag, then volume per channel (index 8: main volume)
    std::int32_t VolumeSumFlag() const {
        std::int32_t n;
        std::memcpy(&n, Decoded, 4);
        return n;
    }
    std::uint8_t Volume(int nChannel) const { return Decoded[4 + nChannel]; }
    // VA_DELAY: delay per channel in samples
    std::uint16_t Delay(int nChannel) const {
        std::uint16_t n;
        std::memcpy(&n, Decoded + 2 * nChannel, 2);
        return n;
    }
    // VA_FILTER, VA_XOVER, VA_VEQFILTER: SumFlag, then the record
    std::uint8_t SumFlag() const { return Decoded[0]; }
    SFilterCoef Coef() const {
        SFilterCoef coef;
        std::memcpy(&coef, Decoded + 1, sizeof coef);
        return coef;
    }
    // Bodies of one or two bytes (input, preset, high/low, flags, phase, output bytes ...)
    std::uint8_t Byte(int i) const { return Decoded[i]; }

    void ResetParser() {
        state = 0;
        nDataLen = 0;
        nRaw = 0;
        nCounted = 0;
    }
};

class CProtocol {
public:
    static constexpr int RX_SLOTS = 1000;
    static constexpr int RX_SLOT_SIZE = IPort::READ_CHUNK;
    static constexpr int TX_BUFFER = 2048;
    static constexpr std::uint32_t REPLY_TIMEOUT_MS = 600;
    static constexpr std::uint32_t ONCE_TIMEOUT_MS = 1000;
    static constexpr std::uint32_t PROBE_TIMEOUT_MS = 300;
    static constexpr int MAX_RETRIES = 3; // so at most four writes

    // The port is made from env at the first Open; env outlives the protocol.
    explicit CProtocol(ILinkEnv& env = DefaultLinkEnv());
    ~CProtocol();
    CProtocol(const CProtocol&) = delete;
    CProtocol& operator=(const CProtocol&) = delete;

    // Opens COM port n (the device the COM number names) at 115200 8-N-1.
    int Open(int nPort);
    void Close();
    int IsOpen() const;
    // 1 after the device went away while open (the link stays open until Close).
    int IsHungUp() const { return m_pPort && m_pPort->IsHungUp(); }
    // errno of the last failed Open (EACCES: the user may not open the device).
    int OpenError() const { return m_pPort ? m_pPort->OpenError() : 0; }
    // Closes the link; the next Open makes its port from env (a test's in-process device, say).
    void SetEnv(ILinkEnv& env);
    ILinkEnv& Env() const { return *m_pEnv; }

    static int BuildPacket(std::uint8_t* pDest, const std::uint8_t* pHeader, int nHeaderLen,
                           const std::uint8_t* pBody, int nBodyLen);
    int SendPacket(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId);
    int SendPacketOnce(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId);
    int SendPacketProbe(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId);

    // Called on the port's reader thread, or within the write on the sender's thread for a port that
    // answers at once.
    static void OnReceive(const std::uint8_t* pChunk, int nLength, void* pContext);
    // Called on the reader thread when the device hangs up: posts m_nHangupMsg (if set) to m_hWnd
    // with the open's generation as wParam and the port number as lParam, once per open.
    static void OnHangup(void* pContext);
    static int ParsePacketByte(SIpcPacket& rec, std::uint8_t b);
    static int DecodeBody(SIpcPacket& rec);
    // The answer a processor gives to a presence probe of nAddress: a data reply from that address
    // with the 4-byte system body. An echo of the probe, an empty body or another address is none.
    static bool IsPresenceReply(const SIpcPacket& rec, int nAddress);
    // Received frames dropped for a wrong CRC since construction.
    int CrcErrors() const { return m_nCrcErrors.load(); }

    // Writes (mode 1 live, 2 into the preset memory being stored, 3 selects that memory).
    int SendSetSystem(int nMode, std::uint16_t nValue, std::uint8_t b2, std::uint8_t b3, int nChannel);
    int SendSetChannelMap(int nMode, int nChannel, const std::uint8_t* pMap, int nCount,
                          std::uint8_t nEasyExpert);
    int SendSetMute(int nMode, std::uint8_t nMask);
    int SendSetLevel(int nMode, int nChannel, const int* pLevels, int nGroup);
    int SendSetChannelVolume(int nMode, int nChannel, int nSumFlag, const int* pVolume);
    int SendSetMainVolume(int nMode, int nVolume);
    int SendSetDelay(int nMode, int nChannel, const std::uint16_t* pDelays);
    int SendSetInput(int nMode, int nInput, int nSubInput);
    int SendSetFilterCoef(int nMode, int nChannel, int nSumFlag, int nBiQuad, const SFilterCoef* mCoef);
    int SendSetUpdate(int nPhase, int nCode);
    int SendSetPreset(int nMode, int nPreset);
    int SendSetHighLow(int nMode, int bHighLow);
    int SendSetXoverFilter(int nMode, int nChannel, int nSumFlag, const SFilterCoef* lpCoef, int nBiQuad);
    int SendSetPhase(int nMode, int nChannel, int nSumFlag, int bPhase);
    int SendSetEqFlag(int nMode, int nChannel, int nSumFlag, int bEqFlag);
    int SendSetXoverFlag(int nMode, int nChannel, int nSumFlag, int bXoverFlag);
    int SendSetVeqFlag(int nMode, int nChannel, int nSumFlag, int bVeqFlag);
    int SendSetVeqFilter(int nMode, int nChannel, int nSumFlag, const SFilterCoef* lpCoef);
    int SendSetVeqVoltage(int nMode, int nValue);
    int SendSetOutput(int nMode, const int* pOutputs);

    // Reads. The reply reaches the caller through the quick values and the window's decoding.
    int SendSystemPeekReq(int nSlaveAddr);
    int SendGetChannelMap(int nChannel);
    int SendGetMute();
    int SendGetLevel(int nChannel, int nGroup);
    int SendGetChannelVolume(int nChannel);
    int SendGetMainVolume();
    int SendGetDelay(int nChannel);
    int SendGetInput();
    int SendGetFilterCoef(int nChannel, int nBiQuad);
    int SendGetPreset();
    int SendGetHighLow();
    int SendGetXFilterCoef(std::uint8_t nChannel, std::uint8_t nFilter);
    int SendGetPhase(int nChannel);
    int SendGetEqFlag(int nChannel);
    int SendGetXoverFlag(int nChannel);
    int SendGetVeqFlag(int nChannel);
    int SendGetVeqFilterCoef(int nChannel);
    int SendGetVeqVoltage(int nChannel);
    int SendGetVeqLed(int nChannel);
    int SendGetVeqLedPeek(int nChannel);
    int SendGetOutput();

    ILinkEnv* m_pEnv;
    std::unique_ptr<IPort> m_pPort; // made at the first Open
    int m_nPort = 0;
    int m_bOpen = 0;
    IW32Window* m_hWnd = nullptr; // receives WM_IPC_RECEIVE; set before Open
    int m_nSlaveAddr = 0;
    std::uint8_t m_TxBuffer[TX_BUFFER] = {};
    std::uint16_t m_nRxIndex = 0; // next receive slot; reader thread only
    std::uint8_t (*m_RxRing)[RX_SLOT_SIZE];
    ZUtils::ZEvent m_hReplyEvent;
    std::atomic<std::uint8_t> m_nExpectedId{0};
    std::atomic<int> m_nPreset{0};
    std::atomic<std::uint8_t> m_nEasyExpert{0};
    std::atomic<int> m_nHighLow{0};
    std::atomic<int> m_nLevelMain{0};
    std::atomic<int> m_nLevelAux{0};
    std::atomic<int> m_nInput{0};
    // Posted to m_hWnd when the device hangs up (0: nothing is posted); set by the owner.
    std::uint32_t m_nHangupMsg = 0;
    // Which open of a port a hang-up message belongs to: unique among all links of the process,
    // never 0, set by each successful Open. A message still queued from an earlier open of the same
    // port is told apart from one about the link that is open now.
    std::uint32_t Generation() const { return m_nGeneration.load(); }
    // Address of the presence probe waiting for its answer (-1: none).
    std::atomic<int> m_nProbeAddr{-1};
    std::atomic<int> m_nCrcErrors{0};
    std::atomic<std::uint32_t> m_nGeneration{0};
    // Receive record of this link's reader thread. Each link has its own, so two open links
    // (a test with two processors, say) never share parser state.
    SIpcPacket m_IpcPacket;

private:
    int SendWrite(std::uint8_t nId, int nMode, int nChannel, int nSubIndex, const std::uint8_t* pBody,
                  int nBodyLen);
    int SendRead(std::uint8_t nId, int nChannel, int nSubIndex);
    int SendSingle(const std::uint8_t* pFrame, int nLength, std::uint8_t nExpectedId,
                   std::uint32_t nTimeoutMs, int nPauseMs, bool bPlainTime);
    void TakeQuickValues(const SIpcPacket& rec);
};
