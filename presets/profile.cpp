#include "presets/profile.h"
#include "presets/textparse.h"

#include "comm/fileplatform.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace ZUtils {

namespace {

// Lower case by table: a lookup per character and no branch (names are lowered on every lookup).
constexpr std::array<char, 256> kLowerTable = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}();

void LowerInPlace(char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        p[i] = kLowerTable[static_cast<unsigned char>(p[i])];
}

std::string Lower(std::string_view s) {
    std::string out(s);
    LowerInPlace(out.data(), out.size());
    return out;
}

// A name in lower case for a lookup: in a buffer on the stack when it fits, so a lookup allocates
// nothing for the names a preset file has.
class CLowerName {
public:
    explicit CLowerName(std::string_view s) {
        if (s.size() <= sizeof m_sz) {
            std::memcpy(m_sz, s.data(), s.size());
            LowerInPlace(m_sz, s.size());
            m_View = std::string_view(m_sz, s.size());
        } else {
            m_Long = Lower(s);
            m_View = m_Long;
        }
    }
    std::string_view View() const { return m_View; }

private:
    char m_sz[64];
    std::string m_Long;
    std::string_view m_View;
};

// The name of a section header line, or false when the line is none.
bool SectionName(std::string_view line, std::string_view* pName) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return false;
    const std::size_t nClose = line.rfind(']');
    if (nClose == std::string_view::npos) return false;
    *pName = TrimBlanks(line.substr(1, nClose - 1));
    return true;
}

// The key and the raw value of a key line, or false for blank lines, comments and lines without "=".
bool KeyValue(std::string_view line, std::string_view* pKey, std::string_view* pValue) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';') return false;
    const std::size_t nEq = line.find('=');
    if (nEq == std::string_view::npos) return false;
    *pKey = TrimBlanks(line.substr(0, nEq));
    *pValue = TrimBlanks(line.substr(nEq + 1));
    return !pKey->empty();
}

// UTF-16 text: a byte order mark of either order, or ASCII with every other byte zero.
bool LooksLikeUtf16(std::string_view text) {
    if (text.size() >= 2 &&
        ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF')))
        return true;
    const std::size_t nCheck = std::min<std::size_t>(text.size() & ~std::size_t{1}, 512);
    if (nCheck < 4) return false;
    std::size_t nZero[2] = {0, 0};
    for (std::size_t i = 0; i < nCheck; ++i)
        nZero[i & 1] += text[i] == '\0';
    return (nZero[0] == 0 && nZero[1] * 2 >= nCheck / 2) || (nZero[1] == 0 && nZero[0] * 2 >= nCheck / 2);
}

} // namespace

int ParseProfileInt(std::string_view text) {
    return ParseInt(text, NumberRules::kProfileInt).value_or(0);
}

double ParseProfileDouble(std::string_view text) {
    return ParseReal(text, NumberRules::kProfileReal).value_or(0.0);
}

void ZProfile::Clear() {
    m_szStore.clear();
    m_Lines.clear();
    m_Sections.assign(1, SSection{0, 0, 0});
    m_pLower.reset();
    m_pAddedNames.reset();
    m_SectionIndex.clear();
    m_KeyIndex.clear();
    m_Added.clear();
    m_Repeats.clear();
    m_szEol = "\r\n";
    m_nError = 0;
}

std::string_view ZProfile::Line(std::uint32_t n) const {
    return std::string_view(m_szStore).substr(m_Lines[n].nOffset, m_Lines[n].nLength);
}

std::uint32_t ZProfile::AddLine(std::string_view text) {
    const auto nOffset = static_cast<std::uint32_t>(m_szStore.size());
    m_szStore.append(text);
    m_Lines.push_back({nOffset, static_cast<std::uint32_t>(text.size())});
    return static_cast<std::uint32_t>(m_Lines.size() - 1);
}

void ZProfile::LoadText(std::string_view text) {
    Clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // a byte order mark some editors put first
        text.remove_prefix(3);
    const std::size_t nFirstLf = text.find('\n');
    if (nFirstLf != std::string_view::npos && !(nFirstLf > 0 && text[nFirstLf - 1] == '\r')) m_szEol = "\n";
    m_szStore.assign(text);
    const std::string_view all = m_szStore;
    auto pLower = std::make_shared<std::string>(m_szStore);
    LowerInPlace(pLower->data(), pLower->size());
    m_pLower = pLower;
    // The same piece of the text in lower case.
    const std::string_view lower = *m_pLower;
    auto lowered = [&](std::string_view piece) {
        return lower.substr(static_cast<std::size_t>(piece.data() - all.data()), piece.size());
    };
    bool bIndexed = false; // the current section is the first of its name: only such are looked at
    std::size_t nPos = 0;
    while (nPos < all.size()) {
        std::size_t nEnd = all.find('\n', nPos);
        if (nEnd == std::string_view::npos) nEnd = all.size();
        std::size_t nLength = nEnd - nPos;
        if (nLength > 0 && all[nEnd - 1] == '\r') --nLength;
        const auto n = static_cast<std::uint32_t>(m_Lines.size());
        m_Lines.push_back({static_cast<std::uint32_t>(nPos), static_cast<std::uint32_t>(nLength)});
        const std::string_view line = all.substr(nPos, nLength);
        nPos = nEnd + 1;
        std::string_view name;
        if (SectionName(line, &name)) {
            m_Sections.push_back({n, n + 1, n});
            bIndexed =
                m_SectionIndex.emplace(lowered(name), static_cast<std::uint32_t>(m_Sections.size() - 1))
                    .second;
            continue;
        }
        SSection& s = m_Sections.back();
        s.nEnd = n + 1;
        std::string_view key, value;
        if (m_Sections.size() == 1 || !KeyValue(line, &key, &value)) continue;
        s.nLastKey = n;
        if (!bIndexed) continue;
        const auto [it, bNew] =
            m_KeyIndex.emplace(SKeyName{static_cast<std::uint32_t>(m_Sections.size() - 1), lowered(key)}, n);
        if (!bNew) ++m_Repeats[it->second];
    }
}

std::string_view ZProfile::Keep(std::string lower) {
    if (!m_pAddedNames) m_pAddedNames = std::make_shared<std::deque<std::string>>();
    m_pAddedNames->push_back(std::move(lower)); // a deque keeps its elements in place
    return m_pAddedNames->back();
}

int ZProfile::ReadWholeFile(const std::string& path, std::size_t nMaxBytes, std::string* pText) {
    return ZFile::ReadWhole(path, nMaxBytes, pText);
}

bool ZProfile::LoadFile(const std::string& path) {
    Clear();
    std::string text;
    int nError = ReadWholeFile(path, MAX_FILE_SIZE, &text);
    if (!nError && LooksLikeUtf16(text)) nError = ERR_UTF16;
    if (nError) {
        m_nError = nError;
        return false;
    }
    LoadText(text);
    return true;
}

std::string ZProfile::Text() const {
    std::string out;
    out.reserve(m_szStore.size() + m_Lines.size() * m_szEol.size());
    for (std::size_t i = 0; i < m_Sections.size(); ++i) {
        const SSection& s = m_Sections[i];
        const auto added = i > 0 ? m_Added.find(static_cast<std::uint32_t>(i)) : m_Added.end();
        for (std::uint32_t n = s.nFirst; n < s.nEnd; ++n) {
            out += Line(n);
            out += m_szEol;
            if (n != s.nLastKey || added == m_Added.end()) continue;
            for (const std::uint32_t nAdded : added->second) {
                out += Line(nAdded);
                out += m_szEol;
            }
        }
    }
    return out;
}

std::string ZProfile::ErrorText(int nError) {
    switch (nError) {
    case ERR_NOT_REGULAR:
        return "not a regular file";
    case ERR_UTF16:
        return "the file is UTF-16 text; preset files are read as ASCII or UTF-8 text";
    case ERR_DANGLING:
        return "a symbolic link to a file that does not exist";
    case EFBIG:
        return "larger than " + std::to_string(MAX_FILE_SIZE >> 20) + " MB";
    default:
        return std::strerror(nError);
    }
}

bool ZProfile::CanSave(const std::string& path, int* pError) {
    const int nError = ZFile::CheckSaveTarget(path);
    if (pError) *pError = nError;
    return nError == 0;
}

bool ZProfile::SaveFile(const std::string& path) {
    const int nError = ZFile::ReplaceWithText(path, Text());
    m_nError = nError;
    return nError == 0;
}

std::vector<ZProfile::SRepeatedKey> ZProfile::RepeatedKeys() const {
    std::vector<std::pair<std::uint32_t, int>> lines(m_Repeats.begin(), m_Repeats.end());
    std::sort(lines.begin(), lines.end());
    std::vector<SRepeatedKey> keys;
    for (const auto& [nLine, nMore] : lines) {
        // The section holding the line: the last one that starts at or before it.
        const auto after = std::upper_bound(m_Sections.begin(), m_Sections.end(), nLine,
                                            [](std::uint32_t n, const SSection& s) { return n < s.nFirst; });
        std::string_view section, key, value;
        SectionName(Line(std::prev(after)->nFirst), &section);
        KeyValue(Line(nLine), &key, &value);
        keys.push_back({std::string(section), std::string(key), nMore + 1});
    }
    return keys;
}

long ZProfile::FindSection(std::string_view section) const {
    const CLowerName lower(TrimBlanks(section));
    const auto it = m_SectionIndex.find(lower.View());
    return it == m_SectionIndex.end() ? -1 : static_cast<long>(it->second);
}

long ZProfile::FindKey(std::string_view section, std::string_view key) const {
    return FindKeyIn(FindSection(section), key);
}

long ZProfile::FindKeyIn(long nSection, std::string_view key) const {
    if (nSection < 0) return -1;
    const CLowerName lower(TrimBlanks(key));
    const auto it = m_KeyIndex.find(SKeyName{static_cast<std::uint32_t>(nSection), lower.View()});
    return it == m_KeyIndex.end() ? -1 : static_cast<long>(it->second);
}

bool ZProfile::FindValue(std::string_view section, std::string_view key, std::string_view* pValue) const {
    return FindValueIn(FindSection(section), key, pValue);
}

bool ZProfile::FindValueIn(long nSection, std::string_view key, std::string_view* pValue) const {
    const long n = FindKeyIn(nSection, key);
    if (n < 0) return false;
    std::string_view k, value;
    KeyValue(Line(static_cast<std::uint32_t>(n)), &k, &value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    *pValue = value;
    return true;
}

bool ZProfile::HasSection(std::string_view section) const {
    return FindSection(section) >= 0;
}

bool ZProfile::HasKey(std::string_view section, std::string_view key) const {
    return FindKey(section, key) >= 0;
}

std::string ZProfile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                std::size_t nSize) const {
    std::string_view value = defaultValue;
    FindValue(section, key, &value);
    if (nSize == 0) return {};
    return std::string(value.substr(0, nSize - 1));
}

int ZProfile::GetInt(std::string_view section, std::string_view key, int nDefault) const {
    std::string_view value;
    if (!FindValue(section, key, &value)) return nDefault;
    return ParseProfileInt(value.substr(0, 4095)); // as GetString gives it
}

void ZProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    long nSection = FindSection(section);
    if (nSection < 0) {
        const std::uint32_t n = AddLine("[" + std::string(section) + "]");
        m_Sections.push_back({n, n + 1, n});
        nSection = static_cast<long>(m_Sections.size() - 1);
        m_SectionIndex.emplace(Keep(Lower(section)), static_cast<std::uint32_t>(nSection));
    }
    const long nLine = FindKey(section, key);
    if (nLine >= 0) {
        std::string_view oldKey, oldValue;
        KeyValue(Line(static_cast<std::uint32_t>(nLine)), &oldKey, &oldValue);
        const std::string text = std::string(oldKey) + "=" + std::string(value);
        const std::uint32_t nNew = AddLine(text);
        m_Lines[static_cast<std::size_t>(nLine)] = m_Lines[nNew];
        m_Lines.pop_back();
        return;
    }
    // Only blank lines and comments follow the last key of a section, so no key moves.
    const std::uint32_t n = AddLine(std::string(key) + "=" + std::string(value));
    m_Added[static_cast<std::uint32_t>(nSection)].push_back(n);
    m_KeyIndex.emplace(SKeyName{static_cast<std::uint32_t>(nSection), Keep(Lower(key))}, n);
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
