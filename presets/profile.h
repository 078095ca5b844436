// INI profile files with the rules of the classic Windows profile functions: sections and keys
// looked up without regard to case, the first matching section and the first matching key win, a
// value replaced in place with every other line of the file kept as it was, new keys appended to
// their section and new sections to the end of the file, in the order written.
//
// ZProfile holds one file in memory, so that a whole file can be read once, changed key by key and
// saved once; the free functions do one read or one write per call on a file, like their Windows
// namesakes, and give the same text as the same writes made on a ZProfile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "comm/fileplatform.h"

namespace ZUtils {

// The leading signed decimal number of a text after leading blanks ("12abc" gives 12, "abc" 0),
// saturated to the range of int.
int ParseProfileInt(std::string_view text);
// The leading decimal floating-point number of a text after leading blanks, independent of the
// locale; 0.0 when there is none or it is not finite.
double ParseProfileDouble(std::string_view text);

class ZProfile {
public:
    // Files larger than this are refused as not being profiles.
    static constexpr std::size_t MAX_FILE_SIZE = 16u << 20;
    // Reasons of LastError() beside the errno values.
    static constexpr int ERR_NOT_REGULAR = ZFile::ERR_NOT_REGULAR; // a FIFO, device node, socket or directory
    static constexpr int ERR_UTF16 = -1002;                  // UTF-16 text, which the profile does not read
    static constexpr int ERR_DANGLING = ZFile::ERR_DANGLING; // a symbolic link to nothing

    ZProfile() { Clear(); }

    // Reads a file. Only a regular file is opened (without blocking, so a FIFO or a device never
    // holds the caller); one over MAX_FILE_SIZE is refused before it is read. False when it cannot
    // be read (LastError() holds the errno value or one of the ERR_ codes; ENOENT for a missing
    // file); the profile is then empty.
    bool LoadFile(const std::string& path);
    // Reads a whole file from outside with LoadFile's rules: only a regular file, opened without
    // blocking, and none over nMaxBytes (EFBIG). 0, or the errno value or an ERR_ code.
    static int ReadWholeFile(const std::string& path, std::size_t nMaxBytes, std::string* pText);
    // Linear in the length of the text, whatever its sections and keys.
    void LoadText(std::string_view text);
    void Clear();
    // The file text: the lines as read, changed lines rewritten as "key=value", each line ended with
    // the line ending of the text read (CR LF for a new profile).
    std::string Text() const;
    // Replaces the file as a whole: the text goes to a temporary file in the same folder, is flushed
    // to the disk and renamed over the target, so the target holds either its old or its new text.
    // Only a regular file or a new name is written; a symbolic link to a regular file has its target
    // replaced. Refuses a target that is not writable. False on any failure (LastError() holds the
    // errno or an ERR_ code). A save removes the temporaries of this target that saves killed
    // before their rename left behind.
    bool SaveFile(const std::string& path);
    // Whether SaveFile could replace or create this file, checked without writing anything: the
    // target is a regular file (or a link to one) or a new name in a writable folder.
    static bool CanSave(const std::string& path, int* pError);
    int LastError() const { return m_nError; }
    // A reason of LastError() in words ("No such file or directory", "not a regular file", ...).
    static std::string ErrorText(int nError);

    bool HasSection(std::string_view section) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    // The value of a key (blanks around it removed, one pair of enclosing quotes removed), at most
    // nSize - 1 characters; defaultValue when the key is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue = {},
                          std::size_t nSize = 4096) const;
    // The value as GetString gives it, without a copy (valid until the profile changes); false when
    // the key is missing.
    bool FindValue(std::string_view section, std::string_view key, std::string_view* pValue) const;
    // The same within a section found before with FindSection (a reader of many keys of one section
    // looks its name up once).
    bool FindValueIn(long nSection, std::string_view key, std::string_view* pValue) const;
    // Keys given more than once in a section as read (the first one is used), in the order of the
    // file, with how many times each is given in all.
    struct SRepeatedKey {
        std::string section, key;
        int nTimes;
    };
    std::vector<SRepeatedKey> RepeatedKeys() const;
    // The first section of a name, or -1.
    long FindSection(std::string_view section) const;
    // The leading number of the value; nDefault when the key is missing.
    int GetInt(std::string_view section, std::string_view key, int nDefault = 0) const;
    // Replaces the value of an existing key in place, or appends the key to its section, or appends
    // the section with the key to the end of the profile.
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    void SetInt(std::string_view section, std::string_view key, int nValue);

private:
    // A line is a piece of m_szStore; changed and added lines are appended to the store.
    struct SLine {
        std::uint32_t nOffset;
        std::uint32_t nLength;
    };
    // A section is a run of lines; keys added to it follow its last key line.
    struct SSection {
        std::uint32_t nFirst;   // the header line (for the lines before any section: the first line)
        std::uint32_t nEnd;     // one past its last line read
        std::uint32_t nLastKey; // the line keys are added after (the header, or the last key)
    };
    std::string_view Line(std::uint32_t n) const;
    std::uint32_t AddLine(std::string_view text);
    // The line of a key, or -1.
    long FindKey(std::string_view section, std::string_view key) const;
    long FindKeyIn(long nSection, std::string_view key) const;

    std::string m_szStore;
    std::vector<SLine> m_Lines;
    std::vector<SSection> m_Sections; // the first one holds the lines before any section
    // A key of a section, by lower-case name.
    struct SKeyName {
        std::uint32_t nSection;
        std::string_view key;
        bool operator==(const SKeyName&) const = default;
    };
    struct SKeyHash {
        std::size_t operator()(const SKeyName& k) const noexcept {
            return std::hash<std::string_view>{}(k.key) ^ (k.nSection * std::size_t{0x9E3779B97F4A7C15u});
        }
    };
    // Keeps a lower-case name added after reading, for as long as any copy of the profile lives.
    std::string_view Keep(std::string lower);

    // The indexes refer to names in lower case without copying them: the text as read, lowered once,
    // and the names added since (shared by copies of the profile, so their views stay valid).
    std::shared_ptr<const std::string> m_pLower;
    std::shared_ptr<std::deque<std::string>> m_pAddedNames;
    // The first section of each name; the line of the first key of each name in such a section.
    std::unordered_map<std::string_view, std::uint32_t> m_SectionIndex;
    std::unordered_map<SKeyName, std::uint32_t, SKeyHash> m_KeyIndex;
    // Lines added to a section, in writing order, after its nLastKey line.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> m_Added;
    // The line of the first key of a name in a section -> how many more lines give that key.
    std::unordered_map<std::uint32_t, int> m_Repeats;
    std::string m_szEol = "\r\n";
    int m_nError = 0;
};

// One read or write per call, on a file, like the Windows functions of the same names. A file that
// cannot be read reads as empty; a write creates the file and returns false on failure.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int nDefault,
                         const std::string& path);
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t nSize,
                                    const std::string& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& path);

} // namespace ZUtils
