#include "cmdline.h"

#include <algorithm>
#include <utility>

namespace ZUtils {

CCmdLine& CCmdLine::Flag(std::vector<std::string> names, FlagHandler handler) {
    m_Options.push_back({std::move(names), std::move(handler), nullptr});
    return *this;
}

CCmdLine& CCmdLine::Flag(std::vector<std::string> names, bool& bSet) {
    return Flag(std::move(names), [&bSet](std::string&) {
        bSet = true;
        return true;
    });
}

CCmdLine& CCmdLine::Value(std::vector<std::string> names, ValueHandler handler) {
    m_Options.push_back({std::move(names), nullptr, std::move(handler)});
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
        if (arg.empty() || arg[0] != '-') {
            if (!m_Positional) return fail(SCmdLineError::Positional, "", arg);
            if (!m_Positional(arg, error.text)) return fail(SCmdLineError::Rejected, "", arg);
            continue;
        }
        std::string name = arg;
        std::string value;
        bool bInline = false;
        if (const auto eq = arg.find('='); m_bInlineValues && eq != std::string::npos) {
            name.resize(eq);
            value = arg.substr(eq + 1);
            bInline = true;
        }
        const SOption* pOption = Find(name);
        if (!pOption) return fail(SCmdLineError::UnknownOption, name, arg);
        if (pOption->flag) {
            if (bInline) return fail(SCmdLineError::ValueNotTaken, name, arg);
            if (!pOption->flag(error.text)) return fail(SCmdLineError::Rejected, name, arg);
            continue;
        }
        if (!bInline) {
            if (i + 1 >= args.size()) return fail(SCmdLineError::MissingValue, name, arg);
            value = args[++i];
        }
        if (!pOption->value(value, error.text)) return fail(SCmdLineError::Rejected, name, arg);
    }
    return true;
}

bool CCmdLine::Parse(int argc, char** argv, SCmdLineError& error) const {
    return Parse(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), error);
}

} // namespace ZUtils
