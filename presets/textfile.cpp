#include "presets/textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "presets/profile.h"

bool ReadTextFile(const std::string& path, std::size_t nMaxBytes, const char* pszLimit, const char* pszWhat,
                  std::string* pText, std::string* pError) {
    // The preset reader's rules: a FIFO or a device never holds the caller, and nothing over the limit
    // is read; the memory follows the file, not the limit.
    const int nError = ZUtils::ZProfile::ReadWholeFile(path, nMaxBytes, pText);
    if (nError == EFBIG) {
        *pError = std::string("The file is larger than ") + pszLimit + ": it is not " + pszWhat + ".";
        return false;
    }
    if (nError) {
        *pError = "Cannot open " + path + " (" + ZUtils::ZProfile::ErrorText(nError) + ").";
        return false;
    }
    std::string encoding;
    DecodeUtf16Text(pText, &encoding);
    if (pText->find('\0') != std::string::npos) {
        *pError = std::string("The file holds binary data: it is not ") + pszWhat + ".";
        return false;
    }
    return true;
}

namespace {

void AppendUtf8(std::string* pOut, std::uint32_t c) {
    if (c < 0x80) {
        pOut->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        pOut->push_back(static_cast<char>(0xC0 | (c >> 6)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        pOut->push_back(static_cast<char>(0xE0 | (c >> 12)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        pOut->push_back(static_cast<char>(0xF0 | (c >> 18)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

bool DecodeUtf16Text(std::string* pText, std::string* pEncoding) {
    const std::string& in = *pText;
    auto byte = [&in](std::size_t i) { return static_cast<unsigned char>(in[i]); };
    bool bBigEndian = false;
    std::size_t nStart = 0;
    if (in.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        nStart = 2;
    } else if (in.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        nStart = 2;
        bBigEndian = true;
    } else {
        // Without a mark: ASCII text has a zero in every other byte and nowhere else.
        const std::size_t nProbe = std::min<std::size_t>(in.size() & ~std::size_t(1), 256);
        if (nProbe < 4) return false;
        bool bLow = true, bHigh = true;
        for (std::size_t i = 0; i < nProbe; i += 2) {
            bLow = bLow && byte(i) != 0 && byte(i + 1) == 0;
            bHigh = bHigh && byte(i) == 0 && byte(i + 1) != 0;
        }
        if (!bLow && !bHigh) return false;
        bBigEndian = bHigh;
    }
    auto unit = [&](std::size_t i) -> std::uint32_t {
        return bBigEndian ? (byte(i) << 8) | byte(i + 1) : byte(i) | (byte(i + 1) << 8);
    };
    std::string out;
    out.reserve(in.size() / 2 + 16);
    std::size_t i = nStart;
    for (; i + 1 < in.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < in.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(&out, c);
    }
    if (i < in.size()) AppendUtf8(&out, 0xFFFD); // an odd byte at the end
    *pText = std::move(out);
    *pEncoding = bBigEndian ? "UTF-16BE" : "UTF-16LE";
    return true;
}
