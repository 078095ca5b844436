// A small writer of one JSON document, for the machine-readable output of mlb8ctl.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CJsonWriter {
public:
    CJsonWriter& BeginObject() { return Open('{'); }
    CJsonWriter& EndObject() { return Close('}'); }
    CJsonWriter& BeginArray() { return Open('['); }
    CJsonWriter& EndArray() { return Close(']'); }
    // The name of the next member of an object.
    CJsonWriter& Key(std::string_view name);
    CJsonWriter& String(std::string_view text);
    CJsonWriter& Number(double f);
    CJsonWriter& Int(long long n);
    CJsonWriter& Bool(bool b);
    // Shorthands for a member.
    CJsonWriter& Member(std::string_view name, std::string_view text) { return Key(name).String(text); }
    CJsonWriter& Member(std::string_view name, const char* pszText) { return Key(name).String(pszText); }
    CJsonWriter& Member(std::string_view name, int n) { return Key(name).Int(n); }
    CJsonWriter& Member(std::string_view name, bool b) { return Key(name).Bool(b); }
    CJsonWriter& Member(std::string_view name, double f) { return Key(name).Number(f); }
    const std::string& Text() const { return m_szText; }

private:
    CJsonWriter& Open(char c);
    CJsonWriter& Close(char c);
    void Separate();
    std::string m_szText;
    std::vector<bool> m_First; // per open container: no member written yet
    bool m_bAfterKey = false;
};
