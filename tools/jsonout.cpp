#include "jsonout.h"

#include <cmath>
#include <cstdio>

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
    for (const char c : text) {
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
                m_szText += c; // UTF-8 passes through
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
