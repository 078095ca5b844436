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
#include "sim/simprocessor.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* pOut) {
    std::fputs("Usage: mlb8ctl [--port PATH]... [--simulate] [--trace FILE|-] COMMAND\n"
               "\n"
               "Commands:\n"
               "  ports   list the serial ports: COM number, device path, friendly name, USB flag\n"
               "  probe   find the processor; prints \"COM<n> <device path> address <a>\"\n"
               "  show    connect, read the whole configuration and print it\n"
               "  recall N  recall processor preset N (1..4), then print it\n"
               "  store N   read the running configuration and store it into processor preset N (1..4)\n"
               "  dump FILE   read the running configuration and write it to the preset file FILE\n"
               "  load FILE   read the preset file FILE and write it to the processor as live settings\n"
               "  factory     write the factory settings to the processor as live settings\n"
               "  check FILE  read the preset file FILE and print the configuration it gives, naming\n"
               "              every value that had to be clamped (no processor needed)\n"
               "\n"
               "Options:\n"
               "  --port PATH     use this serial port (repeatable); the given ports are the only\n"
               "                  candidates and are numbered COM200, COM201, ... in the order given\n"
               "  --simulate      start a simulated processor inside the program and use only it\n"
               "  --trace FILE|-  write the developer trace to FILE, or to standard error with -\n"
               "                  (the environment variable MLB8_TRACE does the same)\n"
               "  --help          show this text\n"
               "\n"
               "Exit status: 0 done, 1 no processor answered or the command failed, 2 usage error.\n",
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
    std::printf("COM%d %s address %d\n", nPort, ZUtils::DevicePathFromComNumber(nPort).c_str(), nAddress);
    return kExitOk;
}

// Connects like the manager does (search, connection, load), then runs the command on the core.
int CmdEditor(const std::string& command, int nPreset) {
    CConsoleHost host;
    CEditorCore core(host);
    host.Attach(&core);
    CSettingsModel& m = core.m_Model;
    core.Start();
    host.RunUntil([&] { return m.m_bConnected != 0; }, 120000);
    if (!m.m_bConnected) {
        // A port in use or locked has been named already, in a message of its own.
        if (host.Messages().empty()) std::fprintf(stderr, "mlb8ctl: no MLB-8 answered on any serial port.\n");
        return kExitFailed;
    }
    auto drain = [&] { host.RunUntil([] { return false; }, 10000); };
    drain();
    if (!host.Messages().empty()) return kExitFailed;
    if (command == "recall")
        core.OnCommand(ID_LOAD_PRESET_1 + nPreset - 1);
    else if (command == "store")
        core.OnCommand(ID_STORE_PRESET_1 + nPreset - 1);
    drain();
    if (!host.Messages().empty()) return kExitFailed;
    std::printf("MLB-8 on COM%d %s, address %d\n", m.m_nComPort,
                ZUtils::DevicePathFromComNumber(m.m_nComPort).c_str(), m.m_nDeviceAddr);
    if (command == "store") std::printf("Stored into processor preset %d.\n", nPreset);
    PrintConfiguration(stdout, m);
    return kExitOk;
}

constexpr int kSettleMs = static_cast<int>(UNLOCK_MOUSE_MS) + 200;

// Search and connection as in CmdEditor, with the load that follows; false when nothing answered or
// the load failed.
bool ConnectForPresetFile(CConsoleHost& host, CEditorCore& core) {
    core.Start();
    host.RunUntil([&] { return core.m_Model.m_bConnected != 0; }, 120000);
    if (!core.m_Model.m_bConnected) {
        if (host.Messages().empty()) std::fprintf(stderr, "mlb8ctl: no MLB-8 answered on any serial port.\n");
        return false;
    }
    // The replies of the load are queued by now; the after-load refresh and the release of the input
    // lock follow within a second. (The page animation would keep the loop busy for good.)
    host.RunUntil([] { return false; }, kSettleMs);
    return host.Messages().empty();
}

// dump, load, factory and check: the manager's own preset file code with the path given directly.
int CmdPresetFile(const std::string& command, const std::string& path) {
    CConsoleHost host;
    CEditorCore core(host);
    host.Attach(&core);
    CPresetFiles files(core);
    CSettingsModel& m = core.m_Model;
    if (command == "check") {
        m.WriteStartupDefaults();
        if (!files.LoadPresetPath(path)) return kExitFailed;
        host.KillTimer(TIMER_SEND_ALL);
        PrintConfiguration(stdout, m);
        if (files.LastNotes().empty())
            std::puts("No value had to be clamped.");
        else
            std::printf("Clamped values (%zu):\n", files.LastNotes().size());
        for (const std::string& note : files.LastNotes())
            std::printf("  %s\n", note.c_str());
        return kExitOk;
    }
    if (!ConnectForPresetFile(host, core)) return kExitFailed;
    int bOk = 0;
    if (command == "dump") {
        m.m_szFilePath = path;
        bOk = files.WriteConfigFile(4);
    } else if (command == "load") {
        if (files.LoadPresetPath(path)) {
            // The write timer's work, done here so that its result decides the exit status.
            host.KillTimer(TIMER_SEND_ALL);
            bOk = core.m_Writer.SendDDXProc(m.m_nCurPreset);
        }
    } else {
        bOk = files.RestoreFactorySettings();
    }
    host.RunUntil([] { return false; }, kSettleMs);
    if (!bOk) {
        if (command != "dump" && host.Messages().empty())
            std::fprintf(stderr, "mlb8ctl: writing the settings to the processor failed.\n");
        return kExitFailed;
    }
    if (command == "dump")
        std::printf("Wrote the running configuration to %s\n", path.c_str());
    else
        std::printf("Wrote %s to the processor.\n",
                    command == "load" ? path.c_str() : files.FactoryPath().c_str());
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
    if (command == "probe") return CmdProbe();
    if (command == "dump" || command == "load" || command == "check" || command == "factory")
        return CmdPresetFile(command, operands.empty() ? std::string() : operands[0]);
    return CmdEditor(command, nPreset);
}
