#include "jsonout.h"

#include <cmath>
#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence at the start of text, or 0 when its first byte does
// not start one (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, cut).
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = byte(0);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < n || byte(1) < lo || byte(1) > hi) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return n;
}

} // namespace

void CJsonWriter::Separate() {
    if (m_bAfterKey) {
        m_bAfterKey = false;
        return;
    }
    if (!m_First.empty()) {
        if (!m_First.back()) m_szText += ',';
        m_First.back() = false;
    }
}

CJsonWriter& CJsonWriter::Open(char c) {
    Separate();
    m_szText += c;
    m_First.push_back(true);
    return *this;
}

CJsonWriter& CJsonWriter::Close(char c) {
    m_szText += c;
    if (!m_First.empty()) m_First.pop_back();
    return *this;
}

CJsonWriter& CJsonWriter::Key(std::string_view name) {
    String(name);
    m_szText += ':';
    m_bAfterKey = true;
    return *this;
}

CJsonWriter& CJsonWriter::String(std::string_view text) {
    Separate();
    m_szText += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            // Names from files and the command line are bytes: what is not UTF-8 becomes U+FFFD, so
            // the document stays JSON that any reader takes.
            const std::size_t n = Utf8SequenceLength(text.substr(i));
            if (n == 0) {
                m_szText += "\\ufffd";
            } else {
                m_szText.append(text.substr(i, n));
                i += n - 1;
            }
            continue;
        }
        switch (c) {
        case '"':
            m_szText += "\\\"";
            break;
        case '\\':
            m_szText += "\\\\";
            break;
        case '\n':
            m_szText += "\\n";
            break;
        case '\r':
            m_szText += "\\r";
            break;
        case '\t':
            m_szText += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char sz[8];
                std::snprintf(sz, sizeof sz, "\\u%04x", static_cast<unsigned>(c));
                m_szText += sz;
            } else {
                m_szText += c;
            }
        }
    }
    m_szText += '"';
    return *this;
}

CJsonWriter& CJsonWriter::Number(double f) {
    Separate();
    if (!std::isfinite(f)) {
        m_szText += "null";
        return *this;
    }
    char sz[32];
    std::snprintf(sz, sizeof sz, "%.6g", f); // the precision of the single-precision values shown
    m_szText += sz;
    return *this;
}

CJsonWriter& CJsonWriter::Int(long long n) {
    Separate();
    m_szText += std::to_string(n);
    return *this;
}

CJsonWriter& CJsonWriter::Bool(bool b) {
    Separate();
    m_szText += b ? "true" : "false";
    return *this;
}
