// Bookkeeping of the search for the processor: the candidate ports taken from the enumeration, the
// port being probed and which bus addresses answered there. The owner drives it: it probes a port
// and evaluates when its timer expires. An address counts as found only when the link saw the
// probed processor answer its own probe (an echo, an empty body or another address does not).
#pragma once

#include <string>
#include <vector>

#include "protocol.h"
#include "serialenum.h"

class CDeviceSearch {
public:
    static constexpr int MAX_PORTS = 10;
    static constexpr int MAX_ADDRESS = 9;
    static constexpr int EVALUATE_MS = 3000; // how long a probed port is given before it is evaluated

    // Lists the COM numbers of the ports (first ten, below 256), tracing each friendly name.
    // Returns the number of candidates.
    int BuildPortList(const std::vector<SSerInfo>& ports);
    // Opens the search link on the current candidate (a failed open still probes: the probes are
    // refused at once), clears the found flags and probes addresses 0..9 up to the first that answers.
    // Returns 1 when one answered.
    int ProbeCurrentPort(CProtocol& search, IW32Window* pWnd);
    // The two halves of ProbeCurrentPort, for owners that show something in between.
    void OpenCurrentPort(CProtocol& search, IW32Window* pWnd);
    // Probes in ascending order and stops at the first address that answers in time: that is the
    // lowest answering one, and the addresses above it would only cost their time-outs. Returns 1
    // when an address answered.
    int SendProbes(CProtocol& search);
    // A reply handled by the owner after the probes: a presence answer that came late from an
    // address that was probed still counts.
    void OnReply(const SIpcPacket& rec);
    void ClearFound();
    int IsAnySlaveFound() const;
    int GetFirstFoundSlave() const; // lowest answering address, or -1
    int CurrentPort() const;        // -1 when the list is exhausted
    // Moves to the next candidate; false when there is none.
    bool NextPort();
    void Reset();

    int m_nPortList[MAX_PORTS] = {};
    int m_nPortCount = 0;
    int m_nPortIndex = 0;
    int m_bSlaveFound[MAX_ADDRESS + 1] = {};
    int m_nLastProbed = -1; // the highest address the last probes asked, -1 before any
};

// What became of one candidate port: an empty reason means a processor answered there.
struct SProbeReport {
    int nPort = 0;
    std::string path;
    std::string reason;
};

// Runs the whole search at once, blocking (for programs without an event loop): returns true with
// the port and address of the first port where a processor answered. pReports, when given, gets
// one line per candidate probed, in order. The link's ports and clock come from env.
bool RunDeviceSearch(const std::vector<SSerInfo>& ports, int* pPort, int* pAddress,
                     std::vector<SProbeReport>* pReports = nullptr, ILinkEnv& env = DefaultLinkEnv());
