// mlb8ctl: the command-line front end of the MLB-8 DSP Manager.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "comm/comnames.h"
#include "comm/devicesearch.h"
#include "comm/serialenum.h"
#include "comm/trace.h"
#include "configprint.h"
#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "editor/presetfile.h"
#include "jsonout.h"
#include "sim/simprocessor.h"

namespace {

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

void PrintJson(const CJsonWriter& j) {
    std::printf("%s\n", j.Text().c_str());
}

void PrintUsage(std::FILE* pOut) {
    std::fputs("Usage: mlb8ctl [--port PATH]... [--simulate] [--trace FILE|-] [--json] COMMAND\n"
               "\n"
               "Every command that talks to the processor reads it as it runs: only 'recall' switches\n"
               "it to a preset memory. Preset files are read and checked before the processor is\n"
               "touched, and the destination of 'dump' is checked before anything is read.\n"
               "\n"
               "Commands:\n"
               "  ports   list the serial ports: COM number, device path, friendly name, USB flag\n"
               "  probe   find the processor; prints \"COM<n> <device path> address <a>\"\n"
               "  show    read the running configuration and print it (delays in ms, cm and samples)\n"
               "  recall N  recall processor preset N (1..4), then print it\n"
               "  store N   store the running configuration into processor preset N (1..4)\n"
               "  dump FILE   write the running configuration to the preset file FILE\n"
               "  load FILE [--store N] [--force]\n"
               "              write the preset file FILE to the processor as live settings, and with\n"
               "              --store also into processor preset N (1..4). A file with missing keys,\n"
               "              unreadable or out-of-range values is refused (status 3) unless --force\n"
               "  factory [--force]\n"
               "              write the factory settings to the processor as live settings (checked\n"
               "              like a file given to load)\n"
               "  check FILE  read the preset file FILE, print the configuration it gives and report\n"
               "              every missing key, unreadable value and clamped value (no processor)\n"
               "\n"
               "Options:\n"
               "  --port PATH     use this serial port (repeatable); the given ports are the only\n"
               "                  candidates and are numbered COM200, COM201, ... in the order given\n"
               "  --simulate      start a simulated processor inside the program and use only it\n"
               "  --json          ports, probe, show, check: print one JSON document instead of text\n"
               "  --trace FILE|-  write the developer trace to FILE, or to standard error with -\n"
               "                  (the environment variable MLB8_TRACE does the same)\n"
               "  --help          show this text\n"
               "\n"
               "Exit status:\n"
               "  0  done; for check: every key of the file is present and readable (clamped values\n"
               "     are listed but do not count)\n"
               "  1  no processor answered, the command failed, or the file cannot be read at all\n"
               "  2  usage error\n"
               "  3  check: keys are missing or values unreadable; load, factory: the file is\n"
               "     incomplete or has values out of range and was not loaded (nothing was sent)\n",
               pOut);
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "mlb8ctl: %s\n", message.c_str());
    std::fputs("Try 'mlb8ctl --help'.\n", stderr);
    return kExitUsage;
}

int CmdPorts() {
    std::vector<SSerInfo> ports;
    try {
        ListSerialPorts(ports, 0);
    } catch (const CSerialEnumError& e) {
        std::fprintf(stderr, "mlb8ctl: cannot list the serial ports: %s\n", e.what());
        return kExitFailed;
    }
    if (g_Opt.bJson) {
        CJsonWriter j;
        j.BeginObject().Key("ports").BeginArray();
        for (const SSerInfo& p : ports)
            j.BeginObject()
                .Member("port", p.portName)
                .Member("device", p.devicePath)
                .Member("usb", p.isUsb != 0)
                .Member("name", p.friendlyName)
                .EndObject();
        j.EndArray().EndObject();
        PrintJson(j);
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
        std::fprintf(stderr, "mlb8ctl: cannot list the serial ports: %s\n", e.what());
        return kExitFailed;
    }
    int nPort = -1, nAddress = -1;
    std::vector<SProbeReport> reports;
    if (!RunDeviceSearch(ports, &nPort, &nAddress, &reports)) {
        for (const SProbeReport& r : reports)
            std::fprintf(stderr, "mlb8ctl: COM%d %s: %s\n", r.nPort, r.path.c_str(), r.reason.c_str());
        std::fprintf(stderr, "mlb8ctl: no MLB-8 found%s.\n", ports.empty() ? " (no serial ports found)" : "");
        return kExitFailed;
    }
    if (g_Opt.bJson) {
        CJsonWriter j;
        j.BeginObject()
            .Member("found", true)
            .Member("port", "COM" + std::to_string(nPort))
            .Member("device", ZUtils::DevicePathFromComNumber(nPort))
            .Member("address", nAddress)
            .EndObject();
        PrintJson(j);
        return kExitOk;
    }
    std::printf("COM%d %s address %d\n", nPort, ZUtils::DevicePathFromComNumber(nPort).c_str(), nAddress);
    return kExitOk;
}

// The host and the core of one command, with the busy texts of the window kept off the terminal.
struct SSession {
    SSession() {
        host.Attach(&core);
        host.SetBusyShown(false);
    }
    CConsoleHost host;
    CEditorCore core{host};
    // Runs what is queued (replies, the after-load refresh, the release of the input lock) until
    // nothing is pending. (The page animation would keep the loop busy for good; it is not run.)
    void Drain() {
        host.RunUntil([] { return false; }, 10000);
    }
};

// Search and connection as the manager does them, but the processor is read as it runs: its
// preset memory is not recalled, so what was written before is what is read. False (after a
// message) when nothing answered or the load failed.
bool Attach(SSession& s) {
    s.core.Link().SetAttachWithoutRecall(true);
    s.core.Start();
    s.host.RunUntil([&] { return s.core.Model().m_bConnected != 0; }, 120000);
    if (!s.core.Model().m_bConnected) {
        // A port in use or locked has been named already, in a message of its own.
        if (s.host.Messages().empty()) std::fprintf(stderr, "mlb8ctl: no MLB-8 answered on any serial port.\n");
        return false;
    }
    s.Drain();
    return s.host.Messages().empty();
}

void JsonDevice(CJsonWriter& j, const CSettingsModel& m) {
    j.Member("port", "COM" + std::to_string(m.m_nComPort))
        .Member("device", ZUtils::DevicePathFromComNumber(m.m_nComPort))
        .Member("address", m.m_nDeviceAddr);
}

// show, recall and store.
int CmdEditor(const std::string& command, int nPreset) {
    SSession s;
    CSettingsModel& m = s.core.Model();
    if (!Attach(s)) return kExitFailed;
    if (command == "recall")
        s.core.OnCommand(ID_LOAD_PRESET_1 + nPreset - 1);
    else if (command == "store")
        s.core.OnCommand(ID_STORE_PRESET_1 + nPreset - 1);
    s.Drain();
    if (!s.host.Messages().empty()) return kExitFailed;
    if (g_Opt.bJson) {
        CJsonWriter j;
        j.BeginObject();
        JsonDevice(j, m);
        if (command == "store") j.Member("storedInto", nPreset);
        j.Key("configuration");
        WriteConfigurationJson(j, m);
        j.EndObject();
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
        std::fprintf(stderr, "mlb8ctl: cannot read the preset file %s: %s.\n", path.c_str(),
                     s.core.Files().LastError().c_str());
    return false;
}

void PrintReport(std::FILE* pOut, const SPresetReport& report) {
    for (const std::string& line : report.Lines())
        std::fprintf(pOut, "%s\n", line.c_str());
}

void JsonReport(CJsonWriter& j, const SPresetReport& r) {
    j.Member("keys", r.nKeys).Member("complete", r.Complete()).Member("clean", r.Clean());
    j.Key("missing").BeginArray();
    for (const auto& [section, key] : r.missing)
        j.BeginObject().Member("section", section).Member("key", key).EndObject();
    j.EndArray().Key("missingBySection").BeginObject();
    for (const auto& [section, nCount] : r.MissingBySection())
        j.Member(section, nCount);
    j.EndObject().Key("unreadable").BeginArray();
    for (const std::string& item : r.unreadable)
        j.String(item);
    j.EndArray().Key("clamped").BeginArray();
    for (const std::string& item : r.clamped)
        j.String(item);
    j.EndArray();
}

int CmdCheck(const std::string& path) {
    SSession s;
    ZUtils::ZProfile profile;
    if (!CheckFile(s, path, EPresetRead::File, profile)) {
        if (g_Opt.bJson) {
            CJsonWriter j;
            j.BeginObject()
                .Member("file", path)
                .Member("readable", false)
                .Member("error", s.core.Files().LastError())
                .Member("exitCode", kExitFailed)
                .EndObject();
            PrintJson(j);
        }
        return kExitFailed;
    }
    const SPresetReport& report = s.core.Files().LastReport();
    CSettingsModel& m = s.core.Model();
    m.WriteStartupDefaults();
    ReadPresetKeys(profile, m, EPresetRead::File);
    const int nExit = report.Complete() ? kExitOk : kExitIncomplete;
    if (g_Opt.bJson) {
        CJsonWriter j;
        j.BeginObject().Member("file", path).Member("readable", true).Member("exitCode", nExit);
        JsonReport(j, report);
        j.Key("configuration");
        WriteConfigurationJson(j, m);
        j.EndObject();
        PrintJson(j);
        return nExit;
    }
    PrintConfiguration(stdout, m);
    std::fputc('\n', stdout);
    if (report.Clean()) std::printf("All %d keys present; no value had to be clamped.\n", report.nKeys);
    PrintReport(stdout, report);
    return nExit;
}

// load and factory refuse a file that is not clean unless --force; false with the status then.
bool MayLoad(const std::string& path, const SPresetReport& report, int* pExit) {
    if (report.Clean()) return true;
    PrintReport(stderr, report);
    if (g_Opt.bForce) {
        std::fprintf(stderr, "mlb8ctl: loading %s anyway (--force).\n", path.c_str());
        return true;
    }
    std::fprintf(stderr,
                 "mlb8ctl: %s was not loaded: it is incomplete or has values out of range. Nothing was "
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
    s.core.Files().ApplyPresetFile(profile, path);
    // The write timer's work, done here so that its result decides the exit status.
    s.host.KillTimer(TIMER_SEND_ALL);
    const int bOk = s.core.Writer().SendDDXProc(m.m_nCurPreset);
    s.Drain();
    if (!bOk) {
        std::fprintf(stderr, "mlb8ctl: writing the settings to the processor failed.\n");
        return kExitFailed;
    }
    std::printf("Wrote %s to the processor.\n", path.c_str());
    if (g_Opt.nStore) {
        s.core.OnCommand(ID_STORE_PRESET_1 + g_Opt.nStore - 1);
        s.Drain();
        if (!s.host.Messages().empty()) {
            std::fprintf(stderr, "mlb8ctl: storing into processor preset %d failed.\n", g_Opt.nStore);
            return kExitFailed;
        }
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
    const int bOk = s.core.Files().RestoreFactorySettings();
    s.Drain();
    if (!bOk) {
        if (s.host.Messages().empty())
            std::fprintf(stderr, "mlb8ctl: writing the settings to the processor failed.\n");
        return kExitFailed;
    }
    std::printf("Wrote %s to the processor.\n", path.c_str());
    return kExitOk;
}

int CmdDump(const std::string& path) {
    // Whether the file can be written is known before the processor is read.
    int nError = 0;
    if (!ZUtils::ZProfile::CanSave(path, &nError)) {
        std::fprintf(stderr, "mlb8ctl: cannot write %s: %s.\n", path.c_str(),
                     ZUtils::ZProfile::ErrorText(nError).c_str());
        return kExitFailed;
    }
    SSession s;
    if (!Attach(s)) return kExitFailed;
    s.core.Model().m_szFilePath = path;
    if (!s.core.Files().WriteConfigFile(4)) return kExitFailed;
    std::printf("Wrote the running configuration to %s\n", path.c_str());
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) return UsageError(error);

    std::vector<std::string> portPaths;
    bool bSimulate = false;
    std::string command;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        } else if (arg == "--port") {
            if (i + 1 >= argc) return UsageError("--port needs a device path");
            portPaths.emplace_back(argv[++i]);
        } else if (arg.rfind("--port=", 0) == 0) {
            portPaths.push_back(arg.substr(7));
        } else if (arg == "--simulate") {
            bSimulate = true;
        } else if (arg == "--json") {
            g_Opt.bJson = true;
        } else if (arg == "--force") {
            g_Opt.bForce = true;
        } else if (arg == "--store" || arg.rfind("--store=", 0) == 0) {
            std::string value;
            if (arg == "--store") {
                if (i + 1 >= argc) return UsageError("--store needs a preset number 1..4");
                value = argv[++i];
            } else {
                value = arg.substr(8);
            }
            if (value.size() != 1 || value[0] < '1' || value[0] > '4')
                return UsageError("--store needs a preset number 1..4");
            g_Opt.nStore = value[0] - '0';
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("unknown option '" + arg + "'");
        } else if (command.empty()) {
            command = arg;
        } else {
            operands.push_back(arg);
        }
    }
    if (command.empty()) return UsageError("no command given");
    int nPreset = 0;
    if (command == "recall" || command == "store") {
        if (operands.size() != 1 || operands[0].size() != 1 || operands[0][0] < '1' || operands[0][0] > '4')
            return UsageError(command + " needs a preset number 1..4");
        nPreset = operands[0][0] - '0';
    } else if (command == "dump" || command == "load" || command == "check") {
        if (operands.size() != 1) return UsageError(command + " needs a file name");
    } else if (command == "ports" || command == "probe" || command == "show" || command == "factory") {
        if (!operands.empty()) return UsageError("unexpected argument '" + operands[0] + "'");
    } else {
        return UsageError("unknown command '" + command + "'");
    }
    if (bSimulate && !portPaths.empty()) return UsageError("--simulate and --port cannot be used together");
    if (g_Opt.nStore && command != "load") return UsageError("--store goes with load");
    if (g_Opt.bForce && command != "load" && command != "factory")
        return UsageError("--force goes with load or factory");
    if (g_Opt.bJson && command != "ports" && command != "probe" && command != "show" && command != "check")
        return UsageError("--json goes with ports, probe, show or check");

    std::unique_ptr<Sim::CSimProcessor> sim;
    if (bSimulate) {
        sim = std::make_unique<Sim::CSimProcessor>();
        if (!sim->Start(&error)) {
            std::fprintf(stderr, "mlb8ctl: cannot start the simulated processor: %s\n", error.c_str());
            return kExitFailed;
        }
        portPaths.push_back(sim->PortPath());
    }
    for (const std::string& path : portPaths)
        if (ZUtils::RegisterExtraPort(path) == 0) return UsageError("cannot use port '" + path + "'");

    if (command == "ports") return CmdPorts();
    if (command == "probe") {
        const int nExit = CmdProbe();
        if (g_Opt.bJson && nExit != kExitOk) std::puts("{\"found\":false}");
        return nExit;
    }
    if (command == "check") return CmdCheck(operands[0]);
    if (command == "load") return CmdLoad(operands[0]);
    if (command == "dump") return CmdDump(operands[0]);
    if (command == "factory") return CmdFactory();
    return CmdEditor(command, nPreset);
}
