#include "cmdline.h"

#include <algorithm>
#include <utility>

namespace ZUtils {

CCmdLine& CCmdLine::Flag(std::vector<std::string> names, FlagHandler handler, EInline inl) {
    m_Options.push_back({std::move(names), std::move(handler), nullptr, inl});
    return *this;
}

CCmdLine& CCmdLine::Flag(std::vector<std::string> names, bool& bSet, EInline inl) {
    return Flag(
        std::move(names),
        [&bSet](std::string&) {
            bSet = true;
            return true;
        },
        inl);
}

CCmdLine& CCmdLine::Value(std::vector<std::string> names, ValueHandler handler, EInline inl) {
    m_Options.push_back({std::move(names), nullptr, std::move(handler), inl});
    return *this;
}

CCmdLine& CCmdLine::Positional(ValueHandler handler) {
    m_Positional = std::move(handler);
    return *this;
}

const CCmdLine::SOption* CCmdLine::Find(const std::string& name) const {
    for (const SOption& option : m_Options)
        if (std::find(option.names.begin(), option.names.end(), name) != option.names.end()) return &option;
    return nullptr;
}

CCmdLine::SLookup CCmdLine::Lookup(const std::string& arg) const {
    if (const auto eq = arg.find('='); m_bInlineValues && eq != std::string::npos) {
        std::string name = arg.substr(0, eq);
        const SOption* pOption = Find(name);
        if (!pOption) return {nullptr, std::move(name), std::nullopt};
        if (pOption->inl == EInline::Value) return {pOption, std::move(name), arg.substr(eq + 1)};
    }
    return {Find(arg), arg, std::nullopt};
}

bool CCmdLine::Parse(const std::vector<std::string>& args, SCmdLineError& error) const {
    error = {};
    auto fail = [&](SCmdLineError::EKind kind, std::string option, const std::string& argument) {
        error.kind = kind;
        error.option = std::move(option);
        error.argument = argument;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsWord(arg)) {
            if (!m_Positional) return fail(SCmdLineError::Positional, "", arg);
            if (!m_Positional(arg, error.text)) return fail(SCmdLineError::Rejected, "", arg);
            continue;
        }
        SLookup found = Lookup(arg);
        if (!found.pOption) return fail(SCmdLineError::UnknownOption, found.name, arg);
        if (found.pOption->flag) {
            if (found.value) return fail(SCmdLineError::ValueNotTaken, found.name, arg);
            if (!found.pOption->flag(error.text)) return fail(SCmdLineError::Rejected, found.name, arg);
            continue;
        }
        if (!found.value) {
            if (i + 1 >= args.size()) return fail(SCmdLineError::MissingValue, found.name, arg);
            found.value = args[++i];
        }
        if (!found.pOption->value(*found.value, error.text))
            return fail(SCmdLineError::Rejected, found.name, arg);
    }
    return true;
}

bool CCmdLine::Parse(int argc, char** argv, SCmdLineError& error) const {
    return Parse(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), error);
}

std::optional<std::string> CCmdLine::FirstPositional(const std::vector<std::string>& args) const {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (IsWord(args[i])) return args[i];
        const SLookup found = Lookup(args[i]);
        if (found.pOption && found.pOption->value && !found.value) ++i; // its value
    }
    return std::nullopt;
}

} // namespace ZUtils
