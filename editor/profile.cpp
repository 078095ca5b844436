#include "editor/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ZUtils {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The name of a section header line, or false when the line is none.
bool SectionName(std::string_view line, std::string_view* pName) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    const std::size_t nClose = line.rfind(']');
    if (nClose == std::string_view::npos) return false;
    *pName = Trim(line.substr(1, nClose - 1));
    return true;
}

// The key and the raw value of a key line, or false for blank lines, comments and lines without "=".
bool KeyValue(std::string_view line, std::string_view* pKey, std::string_view* pValue) {
    line = Trim(line);
    if (line.empty() || line.front() == ';') return false;
    const std::size_t nEq = line.find('=');
    if (nEq == std::string_view::npos) return false;
    *pKey = Trim(line.substr(0, nEq));
    *pValue = Trim(line.substr(nEq + 1));
    return !pKey->empty();
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t nDone = 0;
    while (nDone < text.size()) {
        const ssize_t n = ::write(fd, text.data() + nDone, text.size() - nDone);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        nDone += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t nSlash = path.rfind('/');
    if (nSlash == std::string::npos) return ".";
    return nSlash == 0 ? "/" : path.substr(0, nSlash);
}

} // namespace

int ParseProfileInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) bNegative = text[i++] == '-';
    long long nValue = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        nValue = nValue * 10 + (text[i] - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1)
            nValue = static_cast<long long>(INT_MAX) + 1; // saturated; more digits change nothing
    }
    if (bNegative) return static_cast<int>(-nValue);
    return nValue > INT_MAX ? INT_MAX : static_cast<int>(nValue);
}

double ParseProfileDouble(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double f = 0.0;
    const auto result = std::from_chars(text.data() + i, text.data() + text.size(), f);
    if (result.ec == std::errc::result_out_of_range) return 0.0;
    if (result.ec != std::errc() || !std::isfinite(f)) return 0.0;
    return f;
}

void ZProfile::Clear() {
    m_Sections.clear();
    m_Sections.emplace_back(); // the lines before the first section
    m_szEol = "\r\n";
    m_nError = 0;
}

void ZProfile::IndexLine(SSection& s, std::size_t nLine) {
    std::string_view key, value;
    if (!KeyValue(s.lines[nLine], &key, &value)) return;
    s.keys.emplace(Lower(key), nLine);
    s.nLastKeyLine = static_cast<int>(nLine);
}

void ZProfile::LoadText(std::string_view text) {
    Clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // a byte order mark some editors put first
        text.remove_prefix(3);
    const std::size_t nFirstLf = text.find('\n');
    if (nFirstLf != std::string_view::npos && !(nFirstLf > 0 && text[nFirstLf - 1] == '\r')) m_szEol = "\n";
    std::size_t nPos = 0;
    while (nPos < text.size()) {
        std::size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string_view::npos) nEnd = text.size();
        std::string_view line = text.substr(nPos, nEnd - nPos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        nPos = nEnd + 1;
        std::string_view name;
        if (SectionName(line, &name)) {
            SSection s;
            s.szLower = Lower(name);
            s.lines.emplace_back(line);
            m_Sections.push_back(std::move(s));
            continue;
        }
        SSection& s = m_Sections.back();
        s.lines.emplace_back(line);
        if (&s != &m_Sections.front()) IndexLine(s, s.lines.size() - 1);
    }
}

bool ZProfile::LoadFile(const std::string& path) {
    Clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_nError = errno;
        return false;
    }
    struct stat st {};
    int nError = 0;
    if (::fstat(fd, &st) != 0)
        nError = errno;
    else if (S_ISDIR(st.st_mode))
        nError = EISDIR;
    std::string text;
    char buffer[8192];
    while (!nError) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno != EINTR) nError = errno;
            continue;
        }
        if (n == 0) break;
        if (text.size() + static_cast<std::size_t>(n) > MAX_FILE_SIZE)
            nError = EFBIG;
        else
            text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (nError) {
        m_nError = nError;
        return false;
    }
    LoadText(text);
    return true;
}

std::string ZProfile::Text() const {
    std::string out;
    for (const SSection& s : m_Sections)
        for (const std::string& line : s.lines) {
            out += line;
            out += m_szEol;
        }
    return out;
}

bool ZProfile::SaveFile(const std::string& path) {
    m_nError = 0;
    auto fail = [this](int nError) {
        m_nError = nError ? nError : EIO;
        return false;
    };
    if (path.empty()) return fail(ENOENT);
    std::string target = path;
    struct stat st {};
    const bool bExists = ::stat(path.c_str(), &st) == 0;
    if (!bExists && errno != ENOENT) return fail(errno);
    if (bExists) {
        if (S_ISDIR(st.st_mode)) return fail(EISDIR);
        // A file without any write permission is read-only, also for a user who could override it.
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ::access(path.c_str(), W_OK) != 0)
            return fail(EACCES);
        if (char* pReal = ::realpath(path.c_str(), nullptr)) { // replace the file a link points to
            target = pReal;
            std::free(pReal);
        }
    }
    static std::atomic<unsigned> s_nCounter{0};
    const std::string temp = target + ".~" + std::to_string(::getpid()) + "." + std::to_string(s_nCounter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail(errno);
    int nError = 0;
    if (bExists && ::fchmod(fd, st.st_mode & 07777) != 0) nError = errno;
    if (!nError && !WriteAll(fd, Text())) nError = errno;
    if (!nError && ::fsync(fd) != 0) nError = errno;
    if (::close(fd) != 0 && !nError) nError = errno;
    if (!nError && ::rename(temp.c_str(), target.c_str()) != 0) nError = errno;
    if (nError) {
        ::unlink(temp.c_str());
        return fail(nError);
    }
    // The rename itself lasts once the folder is on the disk.
    const int dirFd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

const ZProfile::SSection* ZProfile::FindSection(std::string_view section) const {
    const std::string lower = Lower(Trim(section));
    for (std::size_t i = 1; i < m_Sections.size(); ++i)
        if (m_Sections[i].szLower == lower) return &m_Sections[i];
    return nullptr;
}

bool ZProfile::HasSection(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool ZProfile::HasKey(std::string_view section, std::string_view key) const {
    const SSection* s = FindSection(section);
    return s && s->keys.count(Lower(Trim(key))) != 0;
}

std::string ZProfile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                std::size_t nSize) const {
    std::string_view value = defaultValue;
    const SSection* s = FindSection(section);
    std::string_view k;
    if (s) {
        const auto it = s->keys.find(Lower(Trim(key)));
        if (it != s->keys.end()) {
            KeyValue(s->lines[it->second], &k, &value);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
        }
    }
    if (nSize == 0) return {};
    return std::string(value.substr(0, nSize - 1));
}

int ZProfile::GetInt(std::string_view section, std::string_view key, int nDefault) const {
    if (!HasKey(section, key)) return nDefault;
    return ParseProfileInt(GetString(section, key));
}

void ZProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    const std::string lowerKey = Lower(key);
    SSection* s = const_cast<SSection*>(FindSection(section));
    if (!s) {
        SSection added;
        added.szLower = Lower(section);
        added.lines.push_back("[" + std::string(section) + "]");
        m_Sections.push_back(std::move(added));
        s = &m_Sections.back();
    }
    const auto it = s->keys.find(lowerKey);
    if (it != s->keys.end()) {
        std::string_view oldKey, oldValue;
        KeyValue(s->lines[it->second], &oldKey, &oldValue);
        s->lines[it->second] = std::string(oldKey) + "=" + std::string(value);
        return;
    }
    // Only blank lines and comments follow the last key of a section, so no key moves.
    const std::size_t nLine = static_cast<std::size_t>(s->nLastKeyLine) + 1;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(nLine),
                    std::string(key) + "=" + std::string(value));
    s->keys.emplace(lowerKey, nLine);
    s->nLastKeyLine = static_cast<int>(nLine);
}

void ZProfile::SetInt(std::string_view section, std::string_view key, int nValue) {
    SetString(section, key, std::to_string(nValue));
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int nDefault,
                         const std::string& path) {
    ZProfile profile;
    profile.LoadFile(path);
    return profile.GetInt(section, key, nDefault);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t nSize,
                                    const std::string& path) {
    ZProfile profile;
    profile.LoadFile(path);
    return profile.GetString(section, key, defaultValue, nSize);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path) {
    ZProfile profile;
    if (!profile.LoadFile(path) && profile.LastError() != ENOENT)
        return false; // never replace a file that could not be read
    profile.SetString(section, key, value);
    return profile.SaveFile(path);
}

} // namespace ZUtils
