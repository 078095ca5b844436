#include "devicesearch.h"

#include "ipcqueue.h"
#include "trace.h"

int CDeviceSearch::BuildPortList(const std::vector<SSerInfo>& ports) {
    Reset();
    for (const SSerInfo& info : ports)
        TRACE("\r\n %s", info.friendlyName.c_str());
    for (int n : SearchCandidatePorts(ports))
        if (m_nPortCount < MAX_PORTS) m_nPortList[m_nPortCount++] = n;
    return m_nPortCount;
}

int CDeviceSearch::ProbeCurrentPort(CProtocol& search, IW32Window* pWnd) {
    OpenCurrentPort(search, pWnd);
    return SendProbes(search);
}

void CDeviceSearch::OpenCurrentPort(CProtocol& search, IW32Window* pWnd) {
    const int nPort = CurrentPort();
    search.Close();
    search.m_hWnd = pWnd;
    if (nPort >= 0) search.Open(nPort);
    ClearFound();
}

int CDeviceSearch::SendProbes(CProtocol& search) {
    for (int nAddr = 0; nAddr <= MAX_ADDRESS; ++nAddr)
        if (search.SendSystemPeekReq(nAddr)) return 1;
    return 0;
}

void CDeviceSearch::ClearFound() {
    for (int& b : m_bSlaveFound)
        b = 0;
}

void CDeviceSearch::OnReply(const SIpcPacket& rec) {
    if (rec.ID == VA_SYSTEM && rec.Mode == MODE_READ && rec.SlaveAddr <= MAX_ADDRESS)
        m_bSlaveFound[rec.SlaveAddr] = 1;
}

int CDeviceSearch::IsAnySlaveFound() const {
    return GetFirstFoundSlave() >= 0 ? 1 : 0;
}

int CDeviceSearch::GetFirstFoundSlave() const {
    for (int a = 0; a <= MAX_ADDRESS; ++a)
        if (m_bSlaveFound[a]) return a;
    return -1;
}

int CDeviceSearch::CurrentPort() const {
    return m_nPortIndex < m_nPortCount ? m_nPortList[m_nPortIndex] : -1;
}

bool CDeviceSearch::NextPort() {
    if (m_nPortIndex < m_nPortCount) ++m_nPortIndex;
    return m_nPortIndex < m_nPortCount;
}

void CDeviceSearch::Reset() {
    m_nPortCount = 0;
    m_nPortIndex = 0;
    ClearFound();
}

bool RunDeviceSearch(const std::vector<SSerInfo>& ports, int* pPort, int* pAddress) {
    CDeviceSearch search;
    if (search.BuildPortList(ports) == 0) return false;
    CProtocol link;
    CIpcQueue queue;
    SIpcPacket rec;
    do {
        search.ProbeCurrentPort(link, &queue);
        // Every answer has arrived once its probe returned; the last ones are handled here.
        link.Close();
        for (const CIpcQueue::SMessage& msg : queue.TakeAll())
            for (std::uint8_t b : msg.data)
                if (CProtocol::ParsePacketByte(rec, b)) search.OnReply(rec);
        rec.ResetParser();
        if (search.IsAnySlaveFound()) {
            *pPort = search.CurrentPort();
            *pAddress = search.GetFirstFoundSlave();
            return true;
        }
    } while (search.NextPort());
    return false;
}
