#include "serialenum.h"

#include "comnames.h"
#include "serialscan.h"
#include "trace.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kMaxNameBytes = 96;
constexpr int kMaxCandidates = 10;
constexpr int kCandidateLimit = 256; // port numbers of the search stay below this

void ListExtraPorts(std::vector<SSerInfo>& array, const std::vector<std::string>& extras) {
    for (std::size_t i = 0; i < extras.size(); ++i) {
        int nCom = ZUtils::kFirstExtraComNumber + static_cast<int>(i);
        SSerInfo info;
        info.devicePath = extras[i];
        info.portName = ZUtils::ComPortName(nCom);
        info.friendlyName = MakeFriendlyName("Serial port " + extras[i], nCom);
        array.push_back(std::move(info));
    }
}

void MoveSorted(std::vector<SFoundPort>& found, std::vector<SSerInfo>& array) {
    std::stable_sort(found.begin(), found.end(),
                     [](const SFoundPort& a, const SFoundPort& b) { return a.nCom < b.nCom; });
    for (SFoundPort& port : found)
        array.push_back(std::move(port.info));
}

} // namespace

void ListSerialPorts(std::vector<SSerInfo>& array, int ignoreBusy) {
    array.clear();
    std::vector<std::string> extras = ZUtils::ExtraPorts();
    if (!extras.empty()) {
        ListExtraPorts(array, extras);
    } else {
        std::vector<SFoundPort> found;
        try {
            ScanSystemPorts(found);
        } catch (const CSerialEnumError&) {
            MoveSorted(found, array);
            throw;
        }
        MoveSorted(found, array);
    }

    for (auto it = array.begin(); it != array.end();) {
        if (ignoreBusy != 0 && !CanOpenExclusively(it->devicePath)) {
            it = array.erase(it);
            continue;
        }
        if (it->friendlyName.empty()) it->friendlyName = it->portName;
        if (it->description.empty()) it->description = DescriptionFromFriendlyName(it->friendlyName);
        ++it;
    }
}

std::string MakeFriendlyName(const std::string& name, int nCom) {
    std::string safe;
    safe.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
        else if (c == '(')
            c = '[';
        else if (c == ')')
            c = ']';
        else if (name.compare(i, 3, "COM") == 0) {
            safe += "Com";
            i += 2;
            continue;
        }
        if (c == ' ' && (safe.empty() || safe.back() == ' ')) continue;
        safe.push_back(c);
    }
    if (safe.size() > kMaxNameBytes) {
        std::size_t nKeep = kMaxNameBytes;
        while (nKeep > 0 && (static_cast<unsigned char>(safe[nKeep]) & 0xC0) == 0x80)
            --nKeep; // never cut a UTF-8 sequence in two
        safe.resize(nKeep);
    }
    while (!safe.empty() && safe.back() == ' ')
        safe.pop_back();
    if (safe.empty()) safe = "Serial port";
    return safe + " (" + ZUtils::ComPortName(nCom) + ")";
}

std::string DescriptionFromFriendlyName(const std::string& friendlyName) {
    std::size_t nOpen = friendlyName.find(" (");
    std::size_t nClose = friendlyName.find(')');
    if (nOpen != std::string::npos && nOpen > 0 && nClose == friendlyName.size() - 1)
        return friendlyName.substr(0, nOpen);
    return friendlyName;
}

int ParseComNumberFromFriendlyName(const std::string& friendlyName) {
    std::size_t nCom = friendlyName.find("COM");
    if (nCom == std::string::npos) return -1;
    std::size_t nStart = nCom + 3;
    std::size_t nClose = friendlyName.find(')', nStart);
    if (nClose == std::string::npos) return -1;
    std::string_view text(friendlyName.data() + nStart, nClose - nStart);

    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) bNegative = text[i++] == '-';
    long long nValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        nValue = nValue * 10 + (text[i] - '0');
        if (nValue > INT_MAX) return bNegative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(bNegative ? -nValue : nValue);
}

std::vector<int> SearchCandidatePorts(const std::vector<SSerInfo>& ports) {
    std::vector<int> candidates;
    for (const SSerInfo& port : ports) {
        TRACE("\r\n %s", port.friendlyName.c_str());
        int n = ParseComNumberFromFriendlyName(port.friendlyName);
        if (n >= 0 && n < kCandidateLimit && candidates.size() < static_cast<std::size_t>(kMaxCandidates))
            candidates.push_back(n);
    }
    return candidates;
}

std::vector<int> ListSearchCandidates(std::string* pError) {
    if (pError) pError->clear();
    std::vector<SSerInfo> ports;
    try {
        ListSerialPorts(ports, 0);
    } catch (const CSerialEnumError& error) {
        TRACE("\r\n port enumeration failed: %s", error.what());
        if (pError) *pError = error.what();
        return {};
    }
    return SearchCandidatePorts(ports);
}
