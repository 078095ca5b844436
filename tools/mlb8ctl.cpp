// mlb8ctl: the command-line front end of the MLB-8 DSP Manager.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "comm/devicesearch.h"
#include "comm/serialenum.h"
#include "comm/sysplatform.h"
#include "comm/trace.h"
#include "configprint.h"
#include "ctlcli.h"
#include "ctlio.h"
#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "editor/presetfile.h"
#include "eqcommands.h"
#include "presets/presetdiff.h"
#include "responsecmd.h"
#include "sim/simulated.h"

namespace {

using CtlIo::Err;
using CtlIo::Json;
using CtlIo::Number;
using CtlIo::PrintJson;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitIncomplete = 3;

struct SOptions {
    bool bJson = false;
    bool bForce = false;
    int nStore = 0; // load --store N
};
SOptions g_Opt;
SResponseOptions g_Response;

int UsageError(const std::string& message) {
    Err("mlb8ctl: %s\n", message.c_str());
    Err("Try 'mlb8ctl --help'.\n");
    return kExitUsage;
}

int CmdPorts() {
    std::vector<SSerInfo> ports;
    try {
        ListSerialPorts(ports, 0);
    } catch (const CSerialEnumError& e) {
        Err("mlb8ctl: cannot list the serial ports: %s\n", e.what());
        return kExitFailed;
    }
    if (g_Opt.bJson) {
        Json list = Json::array();
        for (const SSerInfo& p : ports)
            list.push_back({{"port", p.portName},
                            {"device", p.devicePath},
                            {"usb", p.isUsb != 0},
                            {"name", p.friendlyName}});
        PrintJson({{"ports", list}});
        return kExitOk;
    }
    if (ports.empty()) {
        std::puts("No serial ports found.");
        return kExitOk;
    }
    std::printf("%-7s %-28s %-4s %s\n", "PORT", "DEVICE", "USB", "NAME");
    for (const SSerInfo& p : ports)
        std::printf("%-7s %-28s %-4s %s\n", p.portName.c_str(), p.devicePath.c_str(), p.isUsb ? "yes" : "no",
                    p.friendlyName.c_str());
    return kExitOk;
}

int CmdProbe() {
    std::vector<SSerInfo> ports;
    try {
        ListSerialPorts(ports, 0);
    } catch (const CSerialEnumError& e) {
        TRACE("\r\n %s", e.what());
        Err("mlb8ctl: cannot list the serial ports: %s\n", e.what());
        return kExitFailed;
    }
    int nPort = -1, nAddress = -1;
    std::vector<SProbeReport> reports;
    if (!RunDeviceSearch(ports, &nPort, &nAddress, &reports)) {
        for (const SProbeReport& r : reports)
            Err("mlb8ctl: COM%d %s: %s\n", r.nPort, r.path.c_str(), r.reason.c_str());
        Err("mlb8ctl: no MLB-8 found%s.\n", ports.empty() ? " (no serial ports found)" : "");
        return kExitFailed;
    }
    if (g_Opt.bJson) {
        PrintJson({{"found", true},
                   {"port", "COM" + std::to_string(nPort)},
                   {"device", ZUtils::DevicePathFromComNumber(nPort)},
                   {"address", nAddress}});
        return kExitOk;
    }
    std::printf("COM%d %s address %d\n", nPort, ZUtils::DevicePathFromComNumber(nPort).c_str(), nAddress);
    return kExitOk;
}

// The host and the core of one command, with the busy texts of the window kept off the terminal.
// The host's messages are printed here, each after the prefix that says what was being done, so
// that they count as mlb8ctl's messages (see CtlIo::Err).
struct SSession {
    SSession() {
        host.Attach(&core);
        host.SetQuiet(true);
    }
    ~SSession() { Tell(); }
    CConsoleHost host;
    CEditorCore core{host};
    // Runs what is queued (replies, the after-load refresh, the release of the input lock) until
    // nothing is pending. (The page animation would keep the loop busy for good; it is not run.)
    void Drain() {
        host.RunUntil([] { return false; }, 10000);
        Tell();
    }
    void RunUntil(const std::function<bool()>& done, int nTimeoutMs) {
        host.RunUntil(done, nTimeoutMs);
        Tell();
    }
    // What the messages that follow are about ("mlb8ctl: reading the processor: ").
    void SetMessagePrefix(const std::string& prefix) {
        Tell();
        m_Prefix = prefix;
    }

private:
    // Prints the messages not printed yet.
    void Tell() {
        const std::vector<std::string>& messages = host.Messages();
        for (; m_nTold < messages.size(); ++m_nTold)
            Err("%s%s\n", m_Prefix.c_str(), messages[m_nTold].c_str());
    }
    std::string m_Prefix;
    std::size_t m_nTold = 0;
};

// Search and connection as the manager does them, but the processor is read as it runs: its
// preset memory is not recalled, so what was written before is what is read. False (after a
// message) when nothing answered or the load failed.
bool Attach(SSession& s) {
    // A reply lost on the line is no missing processor: the search is tried once more (a write asks
    // its first question up to three times; a search asks each of ten addresses).
    constexpr int kSearchAttempts = 2;
    CSettingsModel& m = s.core.Model();
    s.SetMessagePrefix("mlb8ctl: reading the processor: ");
    s.core.Link().SetAttachWithoutRecall(true);
    s.core.Start();
    for (int nAttempt = 1;; ++nAttempt) {
        s.RunUntil([&] { return m.m_bConnected != 0; }, 120000);
        // A port that answered (m_nComPort is set when one did), or one in use or locked (named in a
        // message of its own), is not searched again.
        if (m.m_bConnected || m.m_nComPort >= 0 || !s.host.Messages().empty() || nAttempt == kSearchAttempts)
            break;
        s.core.Link().StartDeviceSearch();
    }
    if (!m.m_bConnected) {
        if (!s.host.Messages().empty()) return false;
        if (m.m_nComPort >= 0)
            Err("mlb8ctl: the MLB-8 on COM%d %s answered, then went away while its configuration "
                "was read.\n",
                m.m_nComPort, ZUtils::DevicePathFromComNumber(m.m_nComPort).c_str());
        else
            Err("mlb8ctl: no MLB-8 answered on any serial port.\n");
        return false;
    }
    s.Drain();
    return s.host.Messages().empty();
}

// Stores the running configuration into processor preset nPreset (1..4); false (after a message
// that says what the preset memory now holds) when the store did not reach its end.
bool Store(SSession& s, int nPreset) {
    const std::string what = "storing into processor preset " + std::to_string(nPreset);
    s.SetMessagePrefix("mlb8ctl: " + what + ": ");
    s.core.OnCommand(ID_STORE_PRESET_1 + nPreset - 1);
    s.Drain();
    switch (s.core.Writer().LastStore()) {
    case CSettingsWriter::EStore::Stored:
        return s.host.Messages().empty();
    case CSettingsWriter::EStore::NotSent:
        Err("mlb8ctl: %s failed: the processor is no longer connected or did not answer; nothing "
            "was stored and preset %d is unchanged.\n",
            what.c_str(), nPreset);
        return false;
    case CSettingsWriter::EStore::CutOff:
        Err("mlb8ctl: %s was cut off: the processor stopped answering part-way, so preset %d may "
            "now hold a mix of its old and the new settings.\n",
            what.c_str(), nPreset);
        return false;
    }
    return false;
}

Json JsonDevice(const CSettingsModel& m) {
    return {{"port", "COM" + std::to_string(m.m_nComPort)},
            {"device", ZUtils::DevicePathFromComNumber(m.m_nComPort)},
            {"address", m.m_nDeviceAddr}};
}

// show, recall and store.
int CmdEditor(const std::string& command, int nPreset) {
    SSession s;
    CSettingsModel& m = s.core.Model();
    if (!Attach(s)) return kExitFailed;
    if (command == "recall") {
        s.SetMessagePrefix("mlb8ctl: recalling processor preset " + std::to_string(nPreset) + ": ");
        s.core.OnCommand(ID_LOAD_PRESET_1 + nPreset - 1);
    } else if (command == "store" && !Store(s, nPreset)) {
        return kExitFailed;
    }
    s.Drain();
    if (!s.host.Messages().empty()) return kExitFailed;
    if (g_Opt.bJson) {
        Json j = JsonDevice(m);
        if (command == "store") j["storedInto"] = nPreset;
        j["configuration"] = ConfigurationJson(m);
        PrintJson(j);
        return kExitOk;
    }
    std::printf("MLB-8 on COM%d %s, address %d\n", m.m_nComPort,
                ZUtils::DevicePathFromComNumber(m.m_nComPort).c_str(), m.m_nDeviceAddr);
    if (command == "store") std::printf("Stored into processor preset %d.\n", nPreset);
    PrintConfiguration(stdout, m);
    return kExitOk;
}

// Reads and checks a preset file before anything else happens; false (after a message) when it
// cannot be read at all.
bool CheckFile(SSession& s, const std::string& path, EPresetRead mode, ZUtils::ZProfile& profile) {
    if (s.core.Files().CheckPresetFile(path, mode, profile)) return true;
    if (!g_Opt.bJson)
        Err("mlb8ctl: cannot read the preset file %s: %s.\n", path.c_str(),
            s.core.Files().LastError().c_str());
    return false;
}

void PrintReport(const SPresetReport& report) {
    for (const std::string& line : report.Lines())
        std::printf("%s\n", line.c_str());
}

void ErrReport(const SPresetReport& report) {
    CtlIo::ErrLines(report.Lines());
}

void JsonReport(Json& j, const SPresetReport& r) {
    j["keys"] = r.nKeys;
    j["complete"] = r.Complete();
    j["clean"] = r.Clean();
    Json missing = Json::array(), bySection = Json::object();
    for (const auto& [section, key] : r.missing)
        missing.push_back({{"section", section}, {"key", key}});
    for (const auto& [section, nCount] : r.MissingBySection())
        bySection[section] = nCount;
    j["missing"] = missing;
    j["missingBySection"] = bySection;
    j["unreadable"] = r.unreadable;
    j["clamped"] = r.clamped;
    j["notes"] = r.notes;
    j["repeated"] = r.repeated;
}

int CmdCheck(const std::string& path) {
    SSession s;
    ZUtils::ZProfile profile;
    if (!CheckFile(s, path, EPresetRead::File, profile)) {
        if (g_Opt.bJson) {
            PrintJson({{"file", path},
                       {"readable", false},
                       {"error", s.core.Files().LastError()},
                       {"exitCode", kExitFailed}});
        }
        return kExitFailed;
    }
    const SPresetReport& report = s.core.Files().LastReport();
    CSettingsModel& m = s.core.Model();
    m.WriteStartupDefaults();
    ReadPresetKeys(profile, m, EPresetRead::File);
    // The verdict of load and of the window: a file that is not clean would be refused or asked about.
    const int nExit = report.Clean() ? kExitOk : kExitIncomplete;
    if (g_Opt.bJson) {
        Json j = {{"file", path}, {"readable", true}, {"exitCode", nExit}};
        JsonReport(j, report);
        j["configuration"] = ConfigurationJson(m);
        PrintJson(j);
        return nExit;
    }
    PrintConfiguration(stdout, m);
    std::fputc('\n', stdout);
    if (report.Clean()) std::printf("All %d keys present; no value had to be clamped.\n", report.nKeys);
    PrintReport(report);
    return nExit;
}

// load and factory refuse a file that is not clean unless --force; false with the status then. The
// notes of a clean file are told.
bool MayLoad(const std::string& path, const SPresetReport& report, int* pExit) {
    ErrReport(report);
    if (report.Clean()) return true;
    if (g_Opt.bForce) {
        Err("mlb8ctl: loading %s anyway (--force).\n", path.c_str());
        return true;
    }
    Err("mlb8ctl: %s was not loaded: it is incomplete or has values out of range. Nothing was "
        "sent to the processor; --force loads it anyway.\n",
        path.c_str());
    *pExit = kExitIncomplete;
    return false;
}

int CmdLoad(const std::string& path) {
    SSession s;
    CSettingsModel& m = s.core.Model();
    ZUtils::ZProfile profile;
    if (!CheckFile(s, path, EPresetRead::File, profile)) return kExitFailed;
    int nExit = kExitOk;
    if (!MayLoad(path, s.core.Files().LastReport(), &nExit)) return nExit;
    if (!Attach(s)) return kExitFailed;
    s.SetMessagePrefix("mlb8ctl: writing " + path + " to the processor: ");
    s.core.Files().ApplyPresetFile(profile, path);
    // The write timer's work, done here so that its result decides the exit status.
    s.host.KillTimer(TIMER_SEND_ALL);
    const int bOk = s.core.Writer().SendDDXProc(m.m_nCurPreset);
    s.Drain();
    if (!bOk) {
        Err("mlb8ctl: writing the settings to the processor failed.\n");
        return kExitFailed;
    }
    std::printf("Wrote %s to the processor.\n", path.c_str());
    if (g_Opt.nStore) {
        if (!Store(s, g_Opt.nStore)) return kExitFailed;
        std::printf("Stored into processor preset %d.\n", g_Opt.nStore);
    }
    return kExitOk;
}

int CmdFactory() {
    SSession s;
    const std::string path = s.core.Files().FactoryPath();
    ZUtils::ZProfile profile;
    if (!CheckFile(s, path, EPresetRead::Factory, profile)) return kExitFailed;
    int nExit = kExitOk;
    if (!MayLoad(path, s.core.Files().LastReport(), &nExit)) return nExit;
    if (!Attach(s)) return kExitFailed;
    s.SetMessagePrefix("mlb8ctl: writing the factory settings to the processor: ");
    const int bOk = s.core.Files().RestoreFactorySettings();
    s.Drain();
    if (!bOk) {
        if (s.host.Messages().empty()) Err("mlb8ctl: writing the settings to the processor failed.\n");
        return kExitFailed;
    }
    std::printf("Wrote %s to the processor.\n", path.c_str());
    return kExitOk;
}

// The equalizer commands' view of a session.
class CEqSession : public IEqCtlSession {
public:
    CEditorCore& Core() override { return m_S.core; }
    bool Attach() override {
        if (!::Attach(m_S)) return false;
        m_S.SetMessagePrefix("mlb8ctl: writing the bands to the processor: ");
        return true;
    }
    bool Drain() override {
        m_S.Drain();
        return m_S.host.Messages().empty();
    }

private:
    SSession m_S;
};

int CmdDump(const std::string& path) {
    // Whether the file can be written is known before the processor is read.
    int nError = 0;
    if (!ZUtils::ZProfile::CanSave(path, &nError)) {
        Err("mlb8ctl: cannot write %s: %s.\n", path.c_str(), ZUtils::ZProfile::ErrorText(nError).c_str());
        return kExitFailed;
    }
    SSession s;
    if (!Attach(s)) return kExitFailed;
    s.core.Model().m_szFilePath = path;
    if (!s.core.Files().WriteConfigFile(4)) return kExitFailed;
    std::printf("Wrote the running configuration to %s\n", path.c_str());
    return kExitOk;
}

// One side of a diff: a preset file read as load would read it, or "-", the running configuration
// as dump would save it. Files are read before the processor is touched.
struct SDiffSide {
    std::string name;
    CSettingsModel model;
};

// The status of a diff that could not compare, after its message (or JSON document).
int DiffFailed(const std::string& a, const std::string& b, int nExit, const std::string& error,
               const std::string& file = {}, const SPresetReport* pReport = nullptr) {
    if (!g_Opt.bJson) return nExit;
    Json j = {{"a", a}, {"b", b}, {"exitCode", nExit}, {"error", error}};
    if (!file.empty()) j["file"] = file;
    if (pReport) JsonReport(j, *pReport);
    PrintJson(j);
    return nExit;
}

int CmdDiff(const std::string& a, const std::string& b) {
    SSession s;
    SDiffSide sides[2] = {{a, {}}, {b, {}}};
    for (SDiffSide& side : sides) {
        if (side.name == "-") continue;
        ZUtils::ZProfile profile;
        if (!CheckFile(s, side.name, EPresetRead::File, profile))
            return DiffFailed(a, b, kExitFailed, s.core.Files().LastError(), side.name);
        // The verdict of load: what it would refuse is not compared unless --force.
        const SPresetReport& report = s.core.Files().LastReport();
        if (!report.Clean() && !g_Opt.bForce) {
            const char* pszWhy = report.Complete() ? "has values out of range" : "is incomplete";
            if (!g_Opt.bJson) {
                ErrReport(report);
                Err("mlb8ctl: %s %s; nothing was compared. --force compares it as a load --force would "
                    "read it.\n",
                    side.name.c_str(), pszWhy);
            }
            return DiffFailed(a, b, kExitIncomplete, report.Complete() ? "values out of range" : "incomplete",
                              side.name, &report);
        }
        if (!report.Lines().empty() && !g_Opt.bJson) {
            Err("mlb8ctl: %s is compared as a load would read it:\n", side.name.c_str());
            ErrReport(report);
        }
        side.model.WriteStartupDefaults();
        ReadPresetKeys(profile, side.model, EPresetRead::File);
    }
    for (SDiffSide& side : sides) {
        if (side.name != "-") continue;
        if (!Attach(s)) return DiffFailed(a, b, kExitFailed, "no processor read");
        SPresetReport carried;
        ReadCarriedSettings(s.core.Model(), side.model, &carried);
        if (!carried.Lines().empty() && !g_Opt.bJson) {
            Err("mlb8ctl: the processor is compared as a load of its dump would read it:\n");
            ErrReport(carried);
        }
    }

    const std::vector<SSettingDifference> diff = DiffSettings(sides[0].model, sides[1].model);
    const int nExit = diff.empty() ? kExitOk : kExitFailed;
    if (g_Opt.bJson) {
        Json differences = Json::array();
        for (const SSettingDifference& d : diff) {
            Json one = {{"setting", d.setting}};
            if (d.nOutput) one["output"] = d.nOutput;
            one["a"] = d.a;
            one["b"] = d.b;
            differences.push_back(one);
        }
        PrintJson(
            {{"a", a}, {"b", b}, {"equal", diff.empty()}, {"exitCode", nExit}, {"differences", differences}});
        return nExit;
    }
    if (diff.empty()) std::puts("No setting differs.");
    for (const SSettingDifference& d : diff)
        std::printf("%s\n", d.Line().c_str());
    return nExit;
}

// response: the curves of a preset file, or of the running configuration.
int CmdResponse() {
    ChannelTunings tunings;
    std::vector<std::string> messages;
    const bool bRead = LoadResponseMeasurements(g_Response, &tunings, &messages);
    for (const std::string& line : messages)
        Err("%s\n", line.c_str());
    if (!bRead) return kExitFailed;
    SSession s;
    CSettingsModel& m = s.core.Model();
    int nExit = kExitOk;
    if (!g_Response.presetPath.empty()) {
        ZUtils::ZProfile profile;
        if (!CheckFile(s, g_Response.presetPath, EPresetRead::File, profile)) return kExitFailed;
        const SPresetReport& report = s.core.Files().LastReport();
        if (!report.Complete()) {
            ErrReport(report);
            Err("mlb8ctl: %s is incomplete: missing values are taken as the defaults.\n",
                g_Response.presetPath.c_str());
            nExit = kExitIncomplete;
        }
        m.WriteStartupDefaults();
        ReadPresetKeys(profile, m, EPresetRead::File);
    } else if (!Attach(s)) {
        return kExitFailed;
    }
    // The measurements were taken through the settings read, or those of --measured-with.
    CSettingsModel with;
    const CSettingsModel* pWith = &m;
    std::string withName = g_Response.presetPath.empty() ? "the processor's settings" : g_Response.presetPath;
    if (!g_Response.measuredWith.empty()) {
        ZUtils::ZProfile profile;
        if (!CheckFile(s, g_Response.measuredWith, EPresetRead::File, profile)) return kExitFailed;
        with.WriteStartupDefaults();
        ReadPresetKeys(profile, with, EPresetRead::File);
        pWith = &with;
        withName = g_Response.measuredWith;
    }
    ApplyMeasuredWith(g_Response, *pWith, withName, &tunings);
    const std::vector<std::string> notes = PrintResponse(stdout, m, g_Response, &tunings);
    std::fflush(stdout);
    for (const std::string& note : notes)
        Err("mlb8ctl: %s\n", note.c_str());
    return nExit;
}

// What the command line gives besides g_Opt and g_Response.
struct SArgs {
    std::vector<std::string> portPaths;
    bool bSimulate = false;
    std::string preset;                // recall, store: N as typed
    std::vector<std::string> operands; // the files of dump, load, check and diff
    SEqCmdOptions eq;
};

constexpr const char* kJsonCommands = "--json goes with ports, probe, show, check, diff, eq-* or align";

// The options of one command that other commands do not take, with what is said when one is given
// to a command that does not take it.
std::string WrongPlace(const std::string& command, const std::string& option) {
    auto in = [&option](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&option](const char* psz) { return option == psz; });
    };
    if (option == "--store") return "--store goes with load";
    if (option == "--force") return "--force goes with load, factory, diff or eq-*";
    if (IsEqCommand(command)) {
        if (command == "align") {
            if (in({"--output", "--pair", "--from", "--to", "--max-boost", "--max-dip-depth",
                    "--min-dip-width"}))
                return "--output, --pair, --from, --to, --max-boost, --max-dip-depth and --min-dip-width go "
                       "with eq-*";
        } else {
            if (in({"--measurement", "--keep-levels"}))
                return "--measurement and --keep-levels go with align";
            if (command == "eq-export" && in({"--pair", "--write"}))
                return "eq-export prints the text; --pair and --write go with eq-import and eq-fit";
            if (command != "eq-fit" && in({"--target", "--column", "--from", "--to", "--max-boost",
                                           "--max-dip-depth", "--min-dip-width", "--measured-with", "--raw"}))
                return "--target, --column, --from, --to, --max-boost, --max-dip-depth, --min-dip-width, "
                       "--measured-with and --raw go with eq-fit";
        }
    } else if (command == "response") {
        if (in({"--pair", "--write", "--target", "--from", "--to", "--max-boost", "--max-dip-depth",
                "--min-dip-width", "--keep-levels"}))
            return "--pair, --write, --target, --from, --to and --max-boost go with eq-*";
    } else if (!command.empty()) {
        if (in({"--output", "--pair", "--preset", "--write", "--target", "--column", "--from", "--to",
                "--max-boost", "--max-dip-depth", "--min-dip-width", "--measured-with", "--raw",
                "--measurement", "--keep-levels"}))
            return "--output, --pair, --preset, --write, --target, --column, --from, --to and --max-boost go "
                   "with "
                   "eq-*";
    }
    if (!IsEqCommand(command) && in({"--sum", "--phase", "--csv"}))
        return "--output, --sum, --phase, --preset, --csv, --measurement, --column, --measured-with and "
               "--raw go "
               "with response";
    return {};
}

// The program's commands and options on CLI11; every rule's message goes to usage.
void DefineCommandLine(CLI::App& app, SArgs& a, CtlCli::CUsage& usage) {
    app.description(
        "The command line of the MLB-8 DSP Manager.\n"
        "Every command that talks to the processor reads it as it runs: only 'recall' switches it to a\n"
        "preset memory. Preset files are read and checked before the processor is touched, and the\n"
        "destination of 'dump' is checked before anything is read. 'mlb8ctl COMMAND --help' tells more\n"
        "of each command.");
    app.footer("Exit status:\n"
               "  0  done; for check: load takes the file without --force (every key present and\n"
               "     readable, no value out of range; routing notes do not count); for diff: no\n"
               "     setting differs\n"
               "  1  no processor answered, the command failed, or the file cannot be read at all\n"
               "     (for diff: the two configurations differ; a file that cannot be read or no\n"
               "     answering processor is told on standard error, or in the JSON's \"error\")\n"
               "  2  usage error\n"
               "  3  check: keys are missing, values unreadable or out of range (load would refuse\n"
               "     it); load, factory: the file is so and was not loaded (nothing was sent);\n"
               "     eq-import, eq-fit, align: the same for the preset file given with --preset;\n"
               "     diff: a file is so (nothing was compared);\n"
               "     response: the --preset file has missing keys (the curves use their defaults)");
    app.set_help_flag("-h,--help", "show this text (after a command: that command's)");
    app.get_formatter()->column_width(34);
    app.require_subcommand(1);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    // The program's own options, before or after the command.
    CLI::Option* pPort = app.add_option("--port", a.portPaths,
                                        "use this serial port (repeatable); the given ports are the only\n"
                                        "candidates and are numbered COM200, COM201, ... in the order given")
                             ->type_name("PATH")
                             ->allow_extra_args(false)
                             ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    usage.MissingValue(pPort, "--port needs a device path");
    CLI::Option* pSimulate = app.add_flag("--simulate", a.bSimulate,
                                          "start a simulated processor inside the program and use only it");
    usage.Excludes(nullptr, pSimulate, pPort, "--simulate and --port cannot be used together");
    CLI::Option* pJson =
        app.add_flag("--json", g_Opt.bJson,
                     "ports, probe, show, check, diff, eq-*, align: print one JSON document\n"
                     "instead of text; a failure that has no document of its own (and a\n"
                     "usage error) prints {\"error\":\"<the message>\",\"exitCode\":N}");
    // Read (and taken off the command line) before the rest; here for the help and a lone --trace.
    usage.MissingValue(app.add_option("--trace", "write the developer trace to FILE, or to standard error\n"
                                                 "with - (the environment variable MLB8_TRACE does the same)")
                           ->type_name("FILE|-"),
                       "--trace needs a file name or -");
    for (CLI::Option* pFlag : {pSimulate, pJson})
        pFlag->disable_flag_override();

    auto command = [&](const char* pszName, const char* pszSummary, const char* pszHelp = nullptr) {
        CLI::App* cmd = app.add_subcommand(pszName, pszSummary);
        if (pszHelp) cmd->footer(pszHelp);
        return cmd;
    };
    auto file = [&](CLI::App* cmd, const char* pszName, std::string& target, const std::string& message) {
        usage.Required(cmd, cmd->add_option(pszName, target, "a preset file"), message);
        usage.Extra(cmd, message);
    };
    auto force = [&](CLI::App* cmd, const char* pszWhat) { cmd->add_flag("--force", g_Opt.bForce, pszWhat); };

    command("ports", "list the serial ports: COM number, device path, friendly name, USB flag");
    command("probe", "find the processor; prints \"COM<n> <device path> address <a>\"");
    command("show", "read the running configuration and print it (delays in ms, cm and samples)");
    for (const char* pszName : {"recall", "store"}) {
        CLI::App* cmd =
            command(pszName, std::string(pszName) == "recall"
                                 ? "recall processor preset N (1..4), then print it"
                                 : "store the running configuration into processor preset N (1..4)");
        const std::string message = std::string(pszName) + " needs a preset number 1..4";
        usage.Required(cmd,
                       cmd->add_option("N", a.preset, "the preset memory 1..4")
                           ->check(CtlCli::Check(
                               [message](const std::string& v) {
                                   return v.size() == 1 && v[0] >= '1' && v[0] <= '4' ? std::string()
                                                                                      : message;
                               },
                               "1..4")),
                       message);
        usage.Extra(cmd, message);
    }
    a.operands.resize(2);
    file(command("dump", "write the running configuration to the preset file FILE"), "FILE", a.operands[0],
         "dump needs a file name");
    CLI::App* load = command(
        "load", "write the preset file FILE to the processor as live settings",
        "Writes the preset file FILE to the processor as live settings, and with --store also into\n"
        "processor preset N (1..4). A file with missing keys, unreadable or out-of-range values is\n"
        "refused (status 3) unless --force; routing bits outside the architecture are noted and left\n"
        "out, and a routing that is another architecture's row selects that architecture.");
    file(load, "FILE", a.operands[0], "load needs a file name");
    usage.MissingValue(
        load->add_option("--store", g_Opt.nStore, "also store it into processor preset N (1..4)")
            ->type_name("N")
            ->check(CtlCli::Check(
                [](const std::string& v) {
                    return v.size() == 1 && v[0] >= '1' && v[0] <= '4'
                               ? std::string()
                               : std::string("--store needs a preset number 1..4");
                },
                "1..4")),
        "--store needs a preset number 1..4");
    force(load, "load a file that is incomplete or has values out of range");
    force(command("factory", "write the factory settings to the processor as live settings",
                  "Writes the factory settings to the processor as live settings, checked like a file\n"
                  "given to load."),
          "load factory settings that are incomplete or out of range");
    file(command("check", "read the preset file FILE and print what it gives and every problem",
                 "Reads the preset file FILE, prints the configuration it gives and reports every missing\n"
                 "key, unreadable value, clamped value and routing note, with the verdict load and the\n"
                 "window give it (no processor)."),
         "FILE", a.operands[0], "check needs a file name");
    CLI::App* diff = command(
        "diff", "list every setting in which the preset files A and B differ ('-': the processor)",
        "Lists every setting in which the preset files A and B differ, one line each (\"Out 3 EQ band\n"
        "5: 500 Hz -3 dB Q 2.5 -> 500 Hz -1 dB Q 2.5\"); '-' for A or B reads the processor's running\n"
        "configuration instead. Only what a preset file carries is compared (not solo), each side as a\n"
        "load would read it (notes on standard error). A file load would refuse (incomplete, values out\n"
        "of range) is refused (status 3) unless --force compares it as a load --force would read it.");
    const std::string diffNeeds = "diff needs two preset files (or '-' for the processor)";
    file(diff, "A", a.operands[0], diffNeeds);
    file(diff, "B", a.operands[1], diffNeeds);
    force(diff, "compare a file that load would refuse, as load --force would read it");
    for (CLI::App* cmd :
         {AddResponseCommand(app, g_Response, usage), load, app.get_subcommand("recall"),
          app.get_subcommand("store"), app.get_subcommand("dump"), app.get_subcommand("factory")})
        usage.Excludes(cmd, pJson, kJsonCommands);
    for (const char* pszName : {"eq-import", "eq-export", "eq-fit", "align"})
        AddEqCommand(app, pszName, a.eq, usage);
    // The program's options may also follow the command. A flag takes no value (--phase=1).
    for (CLI::App* cmd : app.get_subcommands([](const CLI::App*) { return true; })) {
        cmd->fallthrough();
        for (CLI::Option* pOption : cmd->get_options())
            if (pOption->get_expected_min() == 0) pOption->disable_flag_override();
    }
}

// A command's options given before the command word ("mlb8ctl --force load f.Dovu", which the
// program has always taken) are moved behind it, where CLI11 looks for them; the program's own
// options stay where they are. args without the program's name.
// Whether a command's option (unless bCommandsOnly also one of the program's) takes a value: -1
// when none has that name. A name means the same in every command that has it.
int TakesValue(CLI::App& app, const std::string& name, bool bCommandsOnly = false) {
    if (const CLI::Option* pOption = bCommandsOnly ? nullptr : app.get_option_no_throw(name))
        return pOption->get_expected_min() > 0 ? 1 : 0;
    for (const CLI::App* cmd : app.get_subcommands([](const CLI::App*) { return true; }))
        if (const CLI::Option* pOption = cmd->get_option_no_throw(name))
            return pOption->get_expected_min() > 0 ? 1 : 0;
    return -1;
}

std::vector<std::string> CommandOptionsBehindCommand(CLI::App& app, const std::vector<std::string>& args) {
    auto takesValue = [&app](const std::string& name) { return TakesValue(app, name, true); };
    std::vector<std::string> before, moved;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-' || arg == "--") break;
        const std::size_t nEquals = arg.find('=');
        const std::string name = arg.substr(0, nEquals);
        const bool bValueFollows = nEquals == std::string::npos && i + 1 < args.size();
        if (const CLI::Option* pOption = app.get_option_no_throw(name)) {
            before.push_back(arg);
            if (bValueFollows && pOption->get_expected_min() > 0) before.push_back(args[++i]);
            continue;
        }
        const int nValue = takesValue(name);
        (nValue < 0 ? before : moved).push_back(arg);
        if (nValue > 0 && bValueFollows) moved.push_back(args[++i]);
    }
    if (moved.empty() || i == args.size() ||
        app.get_subcommands([&](const CLI::App* cmd) { return cmd->check_name(args[i]); }).empty())
        return args;
    before.push_back(args[i]);
    before.insert(before.end(), moved.begin(), moved.end());
    before.insert(before.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    return before;
}

// What is said for a command line that CLI11 refused, in the words mlb8ctl has always used.
std::string UsageMessage(const CLI::App& app, const CtlCli::CUsage& usage, const CLI::ParseError& e) {
    const std::vector<const CLI::App*> parsed =
        app.get_subcommands([](const CLI::App* cmd) { return cmd->parsed(); });
    const std::string command = parsed.empty() ? std::string() : parsed.front()->get_name();
    const std::string text = e.what();
    // An option given its value that refuses it: the validator's words.
    if (dynamic_cast<const CLI::ValidationError*>(&e)) return text.substr(text.find(": ") + 2);
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e)) {
        const std::string option = text.substr(0, text.find(':'));
        if (const std::string message = usage.MissingValueMessage(option); !message.empty()) return message;
        if (text.find("flag override") != std::string::npos)
            return "--" + text.substr(0, text.find(' ')) + " takes no value";
        return option + " needs a value";
    }
    // What was not taken: an option of another command (or none), or a word too many.
    const std::vector<std::string> extra = app.remaining(true);
    for (const std::string& arg : extra) {
        if (arg.size() < 2 || arg[0] != '-') continue;
        const std::string name = arg.substr(0, arg.find('='));
        if (std::string message = WrongPlace(command, name); !message.empty()) return message;
        if (!parsed.empty() && parsed.front()->get_option_no_throw(name))
            return name + " goes after the command: mlb8ctl " + command + " " + name + " ...";
        return "unknown option '" + arg + "'";
    }
    if (const std::string message = usage.RuleMessage(command, e); !message.empty()) return message;
    if (!extra.empty()) {
        if (command.empty()) return "unknown command '" + extra.front() + "'";
        if (const std::string message = usage.ExtraMessage(command); !message.empty()) return message;
        return "unexpected argument '" + extra.front() + "'";
    }
    if (command.empty()) return "no command given";
    return text;
}

// With --json, a command that fails prints one JSON document even where it has nothing else to say
// ({"error": its last message, "exitCode": N}).
void PrintJsonFailure(int nExit) {
    std::string error = CtlIo::LastError().empty() ? "failed" : CtlIo::LastError();
    if (!error.empty() && error.back() == '.') error.pop_back();
    PrintJson({{"error", error}, {"exitCode", nExit}});
}

int Run(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) return UsageError(error);

    CLI::App app("", "mlb8ctl");
    SArgs a;
    CtlCli::CUsage usage;
    DefineCommandLine(app, a, usage);
    try {
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) {
            // "--name=" gives the option an empty value (CLI11 would take the next argument instead).
            const std::string arg = argv[i];
            const bool bEmptyValue = arg.size() > 3 && arg.rfind("--", 0) == 0 &&
                                     arg.find('=') == arg.size() - 1 &&
                                     TakesValue(app, arg.substr(0, arg.size() - 1)) > 0;
            args.push_back(bEmptyValue ? arg.substr(0, arg.size() - 1) : arg);
            if (bEmptyValue) args.emplace_back();
        }
        args = CommandOptionsBehindCommand(app, args);
        std::reverse(args.begin(), args.end()); // as CLI11 takes them
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        return UsageError(UsageMessage(app, usage, e));
    }
    const CLI::App* cmd = app.get_subcommands().front();
    const std::string command = cmd->get_name();
    std::vector<std::string>& portPaths = a.portPaths;
    const std::vector<std::string>& operands = a.operands;
    SEqCmdOptions& eqOpt = a.eq;
    if (command == "diff" && operands[0] == "-" && operands[1] == "-")
        return UsageError("diff compares the processor with a file");
    if (IsEqCommand(command) && !CheckEqCommand(*cmd, eqOpt, &error)) return UsageError(error);

    std::unique_ptr<Sim::CSimulated> sim;
    if (a.bSimulate) {
        sim = Sim::StartSimulated(&error);
        if (!sim) {
            Err("mlb8ctl: %s\n", error.c_str());
            return kExitFailed;
        }
        portPaths.push_back(sim->PortPath());
    }
    for (const std::string& path : portPaths)
        if (ZUtils::RegisterExtraPort(path) == 0) return UsageError("cannot use port '" + path + "'");

    if (command == "ports") return CmdPorts();
    if (command == "probe") {
        const int nExit = CmdProbe();
        if (g_Opt.bJson && nExit != kExitOk) PrintJson({{"found", false}});
        return nExit;
    }
    if (command == "check") return CmdCheck(operands[0]);
    if (command == "load") return CmdLoad(operands[0]);
    if (command == "dump") return CmdDump(operands[0]);
    if (command == "diff") return CmdDiff(operands[0], operands[1]);
    if (command == "factory") return CmdFactory();
    if (IsEqCommand(command)) {
        eqOpt.bJson = g_Opt.bJson;
        CEqSession session;
        return RunEqCommand(command, eqOpt, session);
    }
    if (command == "response") return CmdResponse();
    return CmdEditor(command, command == "show" ? 0 : a.preset[0] - '0');
}

} // namespace

int main(int argc, char** argv) {
    ZUtils::UseUtf8Console();
    const bool bJson = std::any_of(argv + std::min(argc, 1), argv + argc,
                                   [](const char* pszArg) { return std::strcmp(pszArg, "--json") == 0; });
    const int nExit = Run(argc, argv);
    if (bJson && nExit != kExitOk && !CtlIo::JsonPrinted()) PrintJsonFailure(nExit);
    return CtlIo::Finish(nExit);
}
