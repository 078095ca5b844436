#include "ctlcli.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace CtlCli {

bool ParseInt(const std::string& text, int* pValue) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), *pValue);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double* pValue) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), *pValue);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && std::isfinite(*pValue);
}

CLI::Validator Check(std::function<std::string(const std::string&)> check, std::string description) {
    return CLI::Validator([check = std::move(check)](std::string& value) { return check(value); },
                          std::move(description));
}

CLI::Validator IntIn(int nLo, int nHi, std::string message) {
    return Check(
        [=](const std::string& value) {
            int n = 0;
            return ParseInt(value, &n) && n >= nLo && n <= nHi ? std::string() : message;
        },
        std::to_string(nLo) + ".." + std::to_string(nHi));
}

CLI::Validator DoubleIn(double fLo, double fHi, std::string message) {
    char sz[64];
    std::snprintf(sz, sizeof sz, "%g..%g", fLo, fHi);
    return Check(
        [=](const std::string& value) {
            double f = 0.0;
            return ParseDouble(value, &f) && f >= fLo && f <= fHi ? std::string() : message;
        },
        sz);
}

CLI::Validator NotEmpty(std::string message) {
    return Check([=](const std::string& value) { return value.empty() ? message : std::string(); }, "");
}

void CUsage::Add(const CLI::App* pCommand, const std::string& text, const std::string& message) {
    m_Rules[(pCommand && pCommand->get_parent() ? pCommand->get_name() : std::string()) + "\n" + text] =
        message;
}

CLI::Option* CUsage::Required(CLI::App* pCommand, CLI::Option* pOption, const std::string& message) {
    pOption->required();
    Add(pCommand, CLI::RequiredError(pOption->get_name()).what(), message);
    return pOption;
}

void CUsage::Needs(CLI::App* pCommand, CLI::Option* pOption, CLI::Option* pOther,
                   const std::string& message) {
    pOption->needs(pOther);
    Add(pCommand, CLI::RequiresError(pOption->get_name(), pOther->get_name()).what(), message);
}

void CUsage::Excludes(CLI::App* pCommand, CLI::Option* pOption, CLI::Option* pOther,
                      const std::string& message) {
    pOption->excludes(pOther);
    Add(pCommand, CLI::ExcludesError(pOption->get_name(), pOther->get_name()).what(), message);
    Add(pCommand, CLI::ExcludesError(pOther->get_name(), pOption->get_name()).what(), message);
}

void CUsage::Excludes(CLI::App* pCommand, CLI::Option* pOption, const std::string& message) {
    pCommand->excludes(pOption);
    Add(pCommand, CLI::ExcludesError(pCommand->get_display_name(), pOption->get_name()).what(), message);
}

void CUsage::MissingValue(CLI::Option* pOption, const std::string& message) {
    m_MissingValue[pOption->get_name()] = message;
}

void CUsage::Extra(CLI::App* pCommand, const std::string& message) {
    m_Extra[pCommand->get_name()] = message;
}

std::string CUsage::RuleMessage(const std::string& command, const CLI::ParseError& e) const {
    for (const std::string& key : {command + "\n" + e.what(), "\n" + std::string(e.what())})
        if (const auto it = m_Rules.find(key); it != m_Rules.end()) return it->second;
    return {};
}

std::string CUsage::MissingValueMessage(const std::string& option) const {
    const auto it = m_MissingValue.find(option);
    return it == m_MissingValue.end() ? std::string() : it->second;
}

std::string CUsage::ExtraMessage(const std::string& command) const {
    const auto it = m_Extra.find(command);
    return it == m_Extra.end() ? std::string() : it->second;
}

} // namespace CtlCli
