#include "devicesearch.h"

#include "comnames.h"
#include "ipcqueue.h"
#include "portdiagnosis.h"
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
        if (search.SendSystemPeekReq(nAddr)) {
            m_bSlaveFound[nAddr] = 1;
            m_nLastProbed = nAddr;
            return 1;
        }
    m_nLastProbed = MAX_ADDRESS;
    return 0;
}

void CDeviceSearch::ClearFound() {
    for (int& b : m_bSlaveFound)
        b = 0;
    m_nLastProbed = -1;
}

void CDeviceSearch::OnReply(const SIpcPacket& rec) {
    if (rec.SlaveAddr <= m_nLastProbed && CProtocol::IsPresenceReply(rec, rec.SlaveAddr))
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

bool RunDeviceSearch(const std::vector<SSerInfo>& ports, int* pPort, int* pAddress,
                     std::vector<SProbeReport>* pReports, ILinkEnv& env) {
    CDeviceSearch search;
    if (search.BuildPortList(ports) == 0) return false;
    CProtocol link(env);
    CIpcQueue queue;
    do {
        search.ProbeCurrentPort(link, &queue);
        const bool bOpened = link.IsOpen();
        const int nError = link.OpenError();
        link.Close();
        queue.TakeAll();
        if (pReports) {
            SProbeReport report;
            report.nPort = search.CurrentPort();
            report.path = ZUtils::DevicePathFromComNumber(report.nPort);
            if (!bOpened)
                report.reason = DescribePortOpenFailure(nError, report.path);
            else if (!search.IsAnySlaveFound())
                report.reason = "no answer";
            pReports->push_back(report);
        }
        if (search.IsAnySlaveFound()) {
            *pPort = search.CurrentPort();
            *pAddress = search.GetFirstFoundSlave();
            return true;
        }
    } while (search.NextPort());
    return false;
}
