// Stand-in for the Win32 serial port, its enumeration and diagnosis until those are written: the
// Windows build takes it only while comm/win32/ holds no port sources (comm/CMakeLists.txt), so that
// everything else links and its tests run. A port never opens; no port is listed.
#include "comm/portdiagnosis.h"
#include "comm/serialenum.h"
#include "comm/zcomport.h"

#include <cerrno>

namespace ZUtils {

ZDevice::~ZDevice() = default;
ZComport::~ZComport() = default;

int ZComport::Open(const std::string&, std::uint32_t) {
    m_nOpenError = ENOSYS;
    m_nLastError = ENOSYS;
    return 0;
}
int ZComport::Close() {
    return 1;
}
int ZComport::SetLineState(int, std::uint8_t, std::uint8_t, std::uint8_t) {
    return 0;
}
int ZComport::SetTimeouts() {
    return 0;
}
int ZComport::SetMask(std::uint32_t nMask) {
    m_nMask = nMask;
    return 0;
}
int ZComport::Purge(std::uint32_t) {
    return 0;
}
int ZComport::WaitEvent(std::uint32_t* pMask) {
    if (pMask) *pMask = EV_HANGUP;
    return 0;
}
int ZComport::WaitPending() {
    return 0;
}
int ZComport::Read(void*, std::uint32_t) {
    return -1;
}
int ZComport::Write(const void*, std::uint32_t) {
    return -1;
}
int ZComport::GetQueueSizes(std::uint32_t* pInQueue, std::uint32_t* pOutQueue) {
    if (pInQueue) *pInQueue = 0;
    if (pOutQueue) *pOutQueue = 0;
    return 0;
}
int ZComport::WakeReader(int) {
    return 1;
}

} // namespace ZUtils

void ListSerialPorts(std::vector<SSerInfo>& array, int) {
    array.clear();
}
std::string MakeFriendlyName(const std::string& name, int nCom) {
    return name + " (COM" + std::to_string(nCom) + ")";
}
std::string DescriptionFromFriendlyName(const std::string& friendlyName) {
    return friendlyName;
}
int ParseComNumberFromFriendlyName(const std::string&) {
    return -1;
}
std::vector<int> SearchCandidatePorts(const std::vector<SSerInfo>&) {
    return {};
}
std::vector<int> ListSearchCandidates(std::string* pError) {
    if (pError) *pError = "serial ports are not listed on Windows yet";
    return {};
}

std::string DescribePortOpenFailure(int, const std::string& path) {
    return "cannot open " + path + ": serial ports are not opened on Windows yet";
}
bool IsPortBusyError(int) {
    return false;
}
int FindPortHolder(const std::string&) {
    return 0;
}
