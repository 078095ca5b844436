#include "comnames.h"

#include <algorithm>
#include <mutex>
#include <string_view>

namespace ZUtils {

namespace {

struct SDeviceFamily {
    std::string_view prefix;
    int nFirstCom;
};

#ifdef _WIN32
// Windows names the ports by their COM numbers itself.
constexpr SDeviceFamily kFamilies[] = {
    {"\\\\.\\COM", 0}, // "\\.\COM0" names no port: its number 0 is "none"
};
constexpr int kPortsPerFamily = kFirstExtraComNumber;
constexpr std::size_t kMaxIndexDigits = 3;
#else
constexpr SDeviceFamily kFamilies[] = {
    {"/dev/ttyS", 1},
    {"/dev/ttyUSB", 33},
    {"/dev/ttyACM", 65},
};
constexpr int kPortsPerFamily = 32;
constexpr std::size_t kMaxIndexDigits = 2;
#endif

struct SExtraPorts {
    std::mutex lock;
    std::vector<std::string> paths;
};

SExtraPorts& Extras() {
    static SExtraPorts s;
    return s;
}

// The device index after the prefix: plain decimal digits, no sign, no leading zero, below
// kPortsPerFamily.
int DeviceIndex(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxIndexDigits || (digits.size() > 1 && digits[0] == '0'))
        return -1;
    int nIndex = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        nIndex = nIndex * 10 + (c - '0');
    }
    return nIndex < kPortsPerFamily ? nIndex : -1;
}

} // namespace

int ComNumberFromDevicePath(const std::string& path) {
    {
        SExtraPorts& extras = Extras();
        std::lock_guard<std::mutex> guard(extras.lock);
        auto it = std::find(extras.paths.begin(), extras.paths.end(), path);
        if (it != extras.paths.end())
            return kFirstExtraComNumber + static_cast<int>(it - extras.paths.begin());
    }
    std::string_view view(path);
    for (const SDeviceFamily& family : kFamilies) {
        if (!view.starts_with(family.prefix)) continue;
        int nIndex = DeviceIndex(view.substr(family.prefix.size()));
        // "/dev/ttyS" is also the start of "/dev/ttySAC0" and the like: keep looking.
        if (nIndex >= 0) return family.nFirstCom + nIndex;
    }
    return 0;
}

std::string DevicePathFromComNumber(int n) {
    for (const SDeviceFamily& family : kFamilies) {
        if (n > 0 && n >= family.nFirstCom && n < family.nFirstCom + kPortsPerFamily)
            return std::string(family.prefix) + std::to_string(n - family.nFirstCom);
    }
    if (n >= kFirstExtraComNumber) {
        SExtraPorts& extras = Extras();
        std::lock_guard<std::mutex> guard(extras.lock);
        std::size_t nIndex = static_cast<std::size_t>(n - kFirstExtraComNumber);
        if (nIndex < extras.paths.size()) return extras.paths[nIndex];
    }
    return {};
}

int RegisterExtraPort(const std::string& path) {
    if (path.empty()) return 0;
    SExtraPorts& extras = Extras();
    std::lock_guard<std::mutex> guard(extras.lock);
    auto it = std::find(extras.paths.begin(), extras.paths.end(), path);
    if (it == extras.paths.end()) {
        if (extras.paths.size() >= static_cast<std::size_t>(kMaxExtraPorts)) return 0;
        it = extras.paths.insert(extras.paths.end(), path);
    }
    return kFirstExtraComNumber + static_cast<int>(it - extras.paths.begin());
}

void ClearExtraPorts() {
    SExtraPorts& extras = Extras();
    std::lock_guard<std::mutex> guard(extras.lock);
    extras.paths.clear();
}

std::vector<std::string> ExtraPorts() {
    SExtraPorts& extras = Extras();
    std::lock_guard<std::mutex> guard(extras.lock);
    return extras.paths;
}

std::string ComPortName(int n) {
    return "COM" + std::to_string(n);
}

} // namespace ZUtils
