// A simulated MLB-8 on a Linux pseudo-terminal. The manager opens PortPath() (or the link made with
// MakeLink) as it would open the processor's USB serial port; the simulator answers on its own thread
// with the rules of CSimDevice. Replies can be dropped, delayed, split, preceded by garbage or withheld,
// and the device can be "unplugged" (SFaults). All public methods may be called from any thread.
//
// Faults, in the order they are applied to each received frame: the frame that makes nHangUpAfter
// frames hangs the device up unanswered; a silent device takes no action at all (the model is not
// changed either); otherwise the device acts, and its reply is dropped by nDropNext, then nDropEvery,
// then fDropProbability; a reply that survives is corrupted by bCorrupt, waits nDelayMs, is preceded by
// nGarbage random bytes and is written in pieces when bSplit. SetFaults restarts the frame and reply counts
// and reseeds the random source, so a run is reproducible from its seed.
//
// Start after a hang-up plugs the device in again: a new pseudo-terminal with the same model (the link,
// if one is wanted, is made again with MakeLink).
//
// The pseudo-terminal is raw, 115200 8-N-1. The simulator keeps one descriptor of the terminal side
// open so that the manager can close and reopen the port without the simulator seeing a hang-up.
// Because that descriptor keeps the terminal alive, an exclusive mode (TIOCEXCL) set by the manager
// would outlive the manager's descriptor and lock it out of its own reopen; the simulator therefore
// clears the exclusive mode once nobody holds a flock on the port any more.
#pragma once

#include "simconfig.h"
#include "simdevice.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace Sim {

struct SFaults {
    int nDropEvery = 0;          // drop every Nth reply (0: never)
    double fDropProbability = 0; // drop each reply with this probability
    int nDropNext = 0;           // drop the next N replies, then answer again (counts down)
    int nDelayMs = 0;            // wait before writing each reply
    bool bSplit = false;         // write each reply in random pieces with short pauses between them
    int nGarbage = 0;            // write this many random bytes before each reply
    bool bCorrupt = false;       // change one bit of each reply after its CRC was made (line noise)
    bool bSilent = false;        // receive and log, answer nothing
    int nHangUpAfter = 0;        // hang up after receiving this many frames (0: never)
    std::uint32_t nSeed = 1;

    bool operator==(const SFaults&) const = default;
};

class CSimProcessor {
public:
    CSimProcessor();
    ~CSimProcessor(); // Stop()
    CSimProcessor(const CSimProcessor&) = delete;
    CSimProcessor& operator=(const CSimProcessor&) = delete;

    bool Start(std::string* pError = nullptr); // opens the pty and starts the thread
    void Stop();                               // idempotent
    std::string PortPath() const;              // the slave path, e.g. /dev/pts/7
    bool MakeLink(const std::string& linkPath, std::string* pError = nullptr);
    void SetAddress(int nAddress); // 0..9; other values are ignored
    int Address() const;
    void SetFaults(const SFaults& faults); // also reseeds the random source with faults.nSeed
    SFaults Faults() const;                // nDropNext as it has counted down
    void HangUp();                         // close the port as an unplugged device would
    bool IsHungUp() const;
    bool SetLogFile(const std::string& path, std::string* pError = nullptr); // empty path: no log
    std::vector<std::vector<std::uint8_t>> ReceivedFrames() const;           // complete frames, in order
    std::size_t ReceivedFrameCount() const;
    void ClearReceivedFrames();
    void SendRaw(const std::vector<std::uint8_t>& bytes); // write bytes as they are (tests)
    // The device without its pseudo-terminal, for a link inside the process (no Start needed): the
    // request bytes go through a parser of their own and the same faults and model, and what the
    // device would write comes back at once, whole (garbage, then the reply; no delay, no pieces).
    // *pHangUp, when given, tells whether the device hung up instead (it stays hung up).
    std::vector<std::uint8_t> Exchange(const std::uint8_t* pData, std::size_t nLength,
                                       bool* pHangUp = nullptr);
    // The device model (thread-safe copies)
    SSimConfig Running() const;
    SSimConfig Memory(int n) const; // n = 0..3
    int CurrentPreset() const;
    void SetRunning(const SSimConfig&);

private:
    // What the device does about one received frame, decided apart from the writing.
    struct SAction {
        bool bHangUp = false;
        bool bSend = false;
        bool bSplit = false;
        int nDelayMs = 0;
        std::string szNote;
        std::vector<std::uint8_t> Reply, Garbage;
        std::vector<std::size_t> Cuts; // where a split reply is cut, ascending
    };

    bool StartLocked(std::string* pError);
    SAction Decide(const SParseEvent& ev); // records the frame and logs it
    void StopLocked();
    void Wake();
    void Run();
    void HandleEvents(std::vector<SParseEvent>& events);
    bool WriteAll(const std::uint8_t* pData, std::size_t nLength);
    bool WaitStop(int nMs); // true when asked to stop or hang up while waiting
    void DoHangUp(const char* pszWhy);
    void CloseFds();
    void RemoveLink();
    void ReleaseStaleExclusive();
    void Log(const std::string& line);

    mutable std::mutex m_Mutex; // device, faults, random source, received frames, paths, counters
    CSimDevice m_Device;
    SFaults m_Faults;
    std::mt19937 m_Rng;
    std::uint64_t m_nReplies = 0; // replies due so far (for nDropEvery)
    std::uint64_t m_nFrames = 0;  // frames received since Start (for nHangUpAfter)
    std::vector<std::vector<std::uint8_t>> m_Received;
    std::string m_szPortPath;
    std::string m_szLinkPath;

    std::mutex m_LifeMutex;   // Start, Stop and HangUp one at a time
    CSimFrameParser m_Parser; // simulator thread only

    std::mutex m_DirectMutex;       // Exchange one at a time
    CSimFrameParser m_DirectParser; // Exchange only

    std::mutex m_IoMutex; // the descriptors: writes and closing
    int m_nMasterFd = -1;
    int m_nHolderFd = -1;
    int m_nWakeFd = -1; // eventfd: stop or hang-up requested

    std::mutex m_LogMutex;
    std::FILE* m_pLog = nullptr;

    std::mutex m_StateMutex;
    std::condition_variable m_StateCv;
    bool m_bHangUpDone = false; // the port is closed; guarded by m_StateMutex
    std::atomic<bool> m_bStopRequest{false};
    std::atomic<bool> m_bHangUpRequest{false};
    std::atomic<bool> m_bHungUp{false};
    std::atomic<bool> m_bThreadRunning{false};
    std::thread m_Thread;
};

} // namespace Sim
