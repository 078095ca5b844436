// mlb8ctl: the command-line front end of the MLB-8 DSP Manager.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "comm/cmdline.h"
#include "comm/comnames.h"
#include "comm/devicesearch.h"
#include "comm/serialenum.h"
#include "comm/trace.h"
#include "configprint.h"
#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "editor/presetfile.h"
#include "eqcommands.h"
#include "jsonout.h"
#include "presets/presetdiff.h"
#include "responsecmd.h"
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
SResponseOptions g_Response;

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
               "              unreadable or out-of-range values is refused (status 3) unless --force;\n"
               "              routing bits outside the architecture are noted and left out, and a\n"
               "              routing that is another architecture's row selects that architecture\n"
               "  factory [--force]\n"
               "              write the factory settings to the processor as live settings (checked\n"
               "              like a file given to load)\n"
               "  check FILE  read the preset file FILE, print the configuration it gives and report\n"
               "              every missing key, unreadable value, clamped value and routing note, with\n"
               "              the verdict load and the window give it (no processor)\n"
               "  diff A B [--force]\n"
               "              list every setting in which the preset files A and B differ, one line\n"
               "              each (\"Out 3 EQ band 5: 500 Hz -3 dB Q 2.5 -> 500 Hz -1 dB Q 2.5\"); '-'\n"
               "              for A or B reads the processor's running configuration instead. Only what\n"
               "              a preset file carries is compared (not solo), each side as a load would\n"
               "              read it (notes on standard error). A file load would refuse (incomplete,\n"
               "              values out of range) is refused (status 3) unless --force compares it\n"
               "              as a load --force would read it\n"
               "  response --output N [--output M]... [--sum 1,3,7] [--phase] [--preset FILE] [--csv]\n"
               "           [--measurement N=FILE]... [--column NAME]\n"
               "              print the response of outputs N, M ... (1..8) on the graph's frequency\n"
               "              grid: filters, channel level, polarity and delay; with --sum also the\n"
               "              complex sum of those outputs, with --phase the phase in degrees too.\n"
               "              Reads the processor, or the preset file FILE with --preset. With --csv:\n"
               "              a '#' header line, then frequency in Hz, each output's dB (and degrees),\n"
               "              the sum's dB (and degrees), comma-separated, one line per grid point.\n"
               "              A muted output is drawn as it would play, under a name that says so\n"
               "              (out1_muted_db), and adds nothing to the sum (sum1_muted+3_db)\n"
               "              --measurement N=FILE (repeatable) gives output N a measurement export\n"
               "              (frequency, dB, degrees), taken through the settings read (--measured-with\n"
               "              FILE: through those of the preset file FILE; --raw: of the bare drivers);\n"
               "              when every output of --sum has one with phase, the sum is each measurement\n"
               "              x (response now / response it was taken through) (column\n"
               "              sum..._measured_db), otherwise the processor's alone and a note on\n"
               "              standard error says why.\n"
               "              Measurement files are read as eq-fit reads them (--column NAME: see there).\n"
               "              The curves are the manager's drawing model of the processor's filters,\n"
               "              evaluated at a drawing rate of 192 kHz, not a measurement of the\n"
               "              processor: in the top octave (above about 10 kHz), where the sample rate\n"
               "              shapes a filter, the processor's own filters may differ from the drawing\n",
               pOut);
    std::fputs(EqCommandsUsage(), pOut);
    std::fputs("\n"
               "Options:\n"
               "  --port PATH     use this serial port (repeatable); the given ports are the only\n"
               "                  candidates and are numbered COM200, COM201, ... in the order given\n"
               "  --simulate      start a simulated processor inside the program and use only it\n"
               "  --json          ports, probe, show, check, diff, eq-*, align: print one JSON document\n"
               "                  instead of text; a failure that has no document of its own (and a\n"
               "                  usage error) prints {\"error\":\"<the message>\",\"exitCode\":N}\n"
               "  --trace FILE|-  write the developer trace to FILE, or to standard error with -\n"
               "                  (the environment variable MLB8_TRACE does the same)\n"
               "  --help          show this text\n"
               "\n"
               "Exit status:\n"
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
               "     response: the --preset file has missing keys (the curves use their defaults)\n",
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
    // A reply lost on the line is no missing processor: the search is tried once more (a write asks
    // its first question up to three times; a search asks each of ten addresses).
    constexpr int kSearchAttempts = 2;
    CSettingsModel& m = s.core.Model();
    s.host.SetMessagePrefix("mlb8ctl: reading the processor: ");
    s.core.Link().SetAttachWithoutRecall(true);
    s.core.Start();
    for (int nAttempt = 1;; ++nAttempt) {
        s.host.RunUntil([&] { return m.m_bConnected != 0; }, 120000);
        // A port that answered (m_nComPort is set when one did), or one in use or locked (named in a
        // message of its own), is not searched again.
        if (m.m_bConnected || m.m_nComPort >= 0 || !s.host.Messages().empty() || nAttempt == kSearchAttempts)
            break;
        s.core.Link().StartDeviceSearch();
    }
    if (!m.m_bConnected) {
        if (!s.host.Messages().empty()) return false;
        if (m.m_nComPort >= 0)
            std::fprintf(stderr,
                         "mlb8ctl: the MLB-8 on COM%d %s answered, then went away while its configuration "
                         "was read.\n",
                         m.m_nComPort, ZUtils::DevicePathFromComNumber(m.m_nComPort).c_str());
        else
            std::fprintf(stderr, "mlb8ctl: no MLB-8 answered on any serial port.\n");
        return false;
    }
    s.Drain();
    return s.host.Messages().empty();
}

// Stores the running configuration into processor preset nPreset (1..4); false (after a message
// that says what the preset memory now holds) when the store did not reach its end.
bool Store(SSession& s, int nPreset) {
    const std::string what = "storing into processor preset " + std::to_string(nPreset);
    s.host.SetMessagePrefix("mlb8ctl: " + what + ": ");
    s.core.OnCommand(ID_STORE_PRESET_1 + nPreset - 1);
    s.Drain();
    switch (s.core.Writer().LastStore()) {
    case CSettingsWriter::EStore::Stored:
        return s.host.Messages().empty();
    case CSettingsWriter::EStore::NotSent:
        std::fprintf(stderr,
                     "mlb8ctl: %s failed: the processor is no longer connected or did not answer; nothing "
                     "was stored and preset %d is unchanged.\n",
                     what.c_str(), nPreset);
        return false;
    case CSettingsWriter::EStore::CutOff:
        std::fprintf(stderr,
                     "mlb8ctl: %s was cut off: the processor stopped answering part-way, so preset %d may "
                     "now hold a mix of its old and the new settings.\n",
                     what.c_str(), nPreset);
        return false;
    }
    return false;
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
    if (command == "recall") {
        s.host.SetMessagePrefix("mlb8ctl: recalling processor preset " + std::to_string(nPreset) + ": ");
        s.core.OnCommand(ID_LOAD_PRESET_1 + nPreset - 1);
    } else if (command == "store" && !Store(s, nPreset)) {
        return kExitFailed;
    }
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
    j.EndArray().Key("notes").BeginArray();
    for (const std::string& item : r.notes)
        j.String(item);
    j.EndArray().Key("repeated").BeginArray();
    for (const std::string& item : r.repeated)
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
    // The verdict of load and of the window: a file that is not clean would be refused or asked about.
    const int nExit = report.Clean() ? kExitOk : kExitIncomplete;
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

// load and factory refuse a file that is not clean unless --force; false with the status then. The
// notes of a clean file are told.
bool MayLoad(const std::string& path, const SPresetReport& report, int* pExit) {
    PrintReport(stderr, report);
    if (report.Clean()) return true;
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
    s.host.SetMessagePrefix("mlb8ctl: writing " + path + " to the processor: ");
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
    s.host.SetMessagePrefix("mlb8ctl: writing the factory settings to the processor: ");
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

// The equalizer commands' view of a session.
class CEqSession : public IEqCtlSession {
public:
    CEditorCore& Core() override { return m_S.core; }
    bool Attach() override {
        if (!::Attach(m_S)) return false;
        m_S.host.SetMessagePrefix("mlb8ctl: writing the bands to the processor: ");
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
    CJsonWriter j;
    j.BeginObject().Member("a", a).Member("b", b).Member("exitCode", nExit).Member("error", error);
    if (!file.empty()) j.Member("file", file);
    if (pReport) JsonReport(j, *pReport);
    j.EndObject();
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
                PrintReport(stderr, report);
                std::fprintf(
                    stderr,
                    "mlb8ctl: %s %s; nothing was compared. --force compares it as a load --force would "
                    "read it.\n",
                    side.name.c_str(), pszWhy);
            }
            return DiffFailed(a, b, kExitIncomplete, report.Complete() ? "values out of range" : "incomplete",
                              side.name, &report);
        }
        if (!report.Lines().empty() && !g_Opt.bJson) {
            std::fprintf(stderr, "mlb8ctl: %s is compared as a load would read it:\n", side.name.c_str());
            PrintReport(stderr, report);
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
            std::fprintf(stderr, "mlb8ctl: the processor is compared as a load of its dump would read it:\n");
            PrintReport(stderr, carried);
        }
    }

    const std::vector<SSettingDifference> diff = DiffSettings(sides[0].model, sides[1].model);
    const int nExit = diff.empty() ? kExitOk : kExitFailed;
    if (g_Opt.bJson) {
        CJsonWriter j;
        j.BeginObject().Member("a", a).Member("b", b).Member("equal", diff.empty()).Member("exitCode", nExit);
        j.Key("differences").BeginArray();
        for (const SSettingDifference& d : diff) {
            j.BeginObject().Member("setting", d.setting);
            if (d.nOutput) j.Member("output", d.nOutput);
            j.Member("a", d.a).Member("b", d.b).EndObject();
        }
        j.EndArray().EndObject();
        PrintJson(j);
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
        std::fprintf(stderr, "%s\n", line.c_str());
    if (!bRead) return kExitFailed;
    SSession s;
    CSettingsModel& m = s.core.Model();
    int nExit = kExitOk;
    if (!g_Response.presetPath.empty()) {
        ZUtils::ZProfile profile;
        if (!CheckFile(s, g_Response.presetPath, EPresetRead::File, profile)) return kExitFailed;
        const SPresetReport& report = s.core.Files().LastReport();
        if (!report.Complete()) {
            PrintReport(stderr, report);
            std::fprintf(stderr, "mlb8ctl: %s is incomplete: missing values are taken as the defaults.\n",
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
        std::fprintf(stderr, "mlb8ctl: %s\n", note.c_str());
    return nExit;
}

constexpr const char* kStoreUsage = "--store needs a preset number 1..4";

// What the command line gives besides g_Opt and g_Response.
struct SArgs {
    std::vector<std::string> portPaths;
    bool bSimulate = false;
    bool bHelp = false;
    std::string command;
    std::vector<std::string> operands;
    SEqCmdOptions eq;
    bool bEqOptions = false; // any option of the equalizer commands
};

// mlb8ctl's options; with bResponse response's own as well, which take the names it shares with the
// equalizer commands.
ZUtils::CCmdLine MakeCmdLine(SArgs& a, bool bResponse) {
    using EInline = ZUtils::CCmdLine::EInline;
    ZUtils::CCmdLine cmdline;
    cmdline
        .Flag(
            {"--help", "-h"},
            [&a](std::string&) {
                a.bHelp = true;
                return false; // what follows is not looked at
            },
            EInline::Unknown)
        .Value({"--port"},
               [&a](const std::string& path, std::string&) {
                   a.portPaths.push_back(path);
                   return true;
               })
        .Flag({"--simulate"}, a.bSimulate, EInline::Unknown)
        .Flag({"--json"}, g_Opt.bJson, EInline::Unknown)
        .Flag({"--force"}, g_Opt.bForce, EInline::Unknown)
        .Value({"--store"},
               [](const std::string& value, std::string& error) {
                   if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
                       error = kStoreUsage;
                       return false;
                   }
                   g_Opt.nStore = value[0] - '0';
                   return true;
               })
        .Positional([&a](const std::string& word, std::string&) {
            if (a.command.empty())
                a.command = word;
            else
                a.operands.push_back(word);
            return true;
        });
    if (bResponse) AddResponseOptions(cmdline, g_Response);
    AddEqOptions(cmdline, a.eq, a.bEqOptions);
    return cmdline;
}

std::string CmdLineErrorText(const ZUtils::SCmdLineError& error) {
    switch (error.kind) {
    case ZUtils::SCmdLineError::UnknownOption:
        return "unknown option '" + error.argument + "'";
    case ZUtils::SCmdLineError::MissingValue:
        if (error.option == "--port") return "--port needs a device path";
        if (error.option == "--store") return kStoreUsage;
        return error.option + " needs a value";
    case ZUtils::SCmdLineError::ValueNotTaken:
        return error.option + " takes no value";
    default: // refused by a handler, in its own words
        return error.text;
    }
}

// With --json, a command that fails prints one JSON document even where it has nothing else to say
// ({"error": its last message, "exitCode": N}); for that the standard streams are watched: how much
// went to standard output, and the last "mlb8ctl: " line of standard error.
struct SStreamWatch {
    std::size_t nOutBytes = 0;
    std::string errorLine, lastError;
};
SStreamWatch g_Watch;

ssize_t WriteWatched(int fd, const char* pData, std::size_t nSize) {
    std::size_t nDone = 0;
    while (nDone < nSize) {
        const ssize_t n = ::write(fd, pData + nDone, nSize - nDone);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return nDone ? static_cast<ssize_t>(nDone) : -1;
        nDone += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(nDone);
}

void WatchStandardStreams() {
    cookie_io_functions_t out{};
    out.write = [](void*, const char* pData, std::size_t nSize) -> ssize_t {
        const ssize_t n = WriteWatched(STDOUT_FILENO, pData, nSize);
        if (n > 0) g_Watch.nOutBytes += static_cast<std::size_t>(n);
        return n;
    };
    cookie_io_functions_t err{};
    err.write = [](void*, const char* pData, std::size_t nSize) -> ssize_t {
        for (std::size_t i = 0; i < nSize; ++i) {
            if (pData[i] != '\n') {
                g_Watch.errorLine += pData[i];
                continue;
            }
            if (g_Watch.errorLine.rfind("mlb8ctl: ", 0) == 0) g_Watch.lastError = g_Watch.errorLine.substr(9);
            g_Watch.errorLine.clear();
        }
        return WriteWatched(STDERR_FILENO, pData, nSize);
    };
    std::FILE* pOut = ::fopencookie(nullptr, "w", out);
    std::FILE* pErr = ::fopencookie(nullptr, "w", err);
    if (!pOut || !pErr) return;
    std::setvbuf(pErr, nullptr, _IONBF, 0);
    stdout = pOut;
    stderr = pErr;
}

// The document of a --json command that failed without printing one.
void PrintJsonFailure(int nExit) {
    std::string error = g_Watch.lastError.empty() ? "failed" : g_Watch.lastError;
    if (!error.empty() && error.back() == '.') error.pop_back();
    CJsonWriter j;
    j.BeginObject().Member("error", error).Member("exitCode", nExit).EndObject();
    PrintJson(j);
}

// Standard output is flushed and checked before the exit: a full disk or a closed pipe is an error,
// not a silent cut in what was printed.
int FinishOutput(int nExit) {
    errno = 0;
    const bool bFlushed = std::fflush(stdout) == 0;
    const int nError = errno;
    if (bFlushed && !std::ferror(stdout)) return nExit;
    std::fprintf(stderr, "mlb8ctl: writing to standard output failed%s%s.\n", nError ? ": " : "",
                 nError ? std::strerror(nError) : "");
    return kExitFailed;
}

int Run(int argc, char** argv) {
    std::string error;
    if (!TraceSetupFromArgs(argc, argv, &error)) return UsageError(error);

    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    // The equalizer commands and response share option names (--output, --preset): the command
    // decides whose they are, wherever it stands, so it is found first with every option known.
    SArgs scan;
    const bool bResponse = MakeCmdLine(scan, true).FirstPositional(args) == "response";
    SArgs a;
    ZUtils::SCmdLineError parseError;
    if (!MakeCmdLine(a, bResponse).Parse(args, parseError)) {
        if (a.bHelp) {
            PrintUsage(stdout);
            return kExitOk;
        }
        return UsageError(CmdLineErrorText(parseError));
    }
    std::vector<std::string>& portPaths = a.portPaths;
    const std::string& command = a.command;
    const std::vector<std::string>& operands = a.operands;
    SEqCmdOptions& eqOpt = a.eq;
    if (command.empty()) return UsageError("no command given");
    int nPreset = 0;
    if (command == "recall" || command == "store") {
        if (operands.size() != 1 || operands[0].size() != 1 || operands[0][0] < '1' || operands[0][0] > '4')
            return UsageError(command + " needs a preset number 1..4");
        nPreset = operands[0][0] - '0';
    } else if (command == "dump" || command == "load" || command == "check") {
        if (operands.size() != 1) return UsageError(command + " needs a file name");
    } else if (command == "diff") {
        if (operands.size() != 2) return UsageError("diff needs two preset files (or '-' for the processor)");
        if (operands[0] == "-" && operands[1] == "-")
            return UsageError("diff compares the processor with a file");
    } else if (command == "response") {
        if (!operands.empty()) return UsageError("unexpected argument '" + operands[0] + "'");
        if (g_Response.outputs.empty()) return UsageError("response needs --output N (1..8)");
        if (g_Response.bRaw && !g_Response.measuredWith.empty())
            return UsageError("--raw (bare drivers) and --measured-with FILE exclude each other");
    } else if (command == "ports" || command == "probe" || command == "show" || command == "factory") {
        if (!operands.empty()) return UsageError("unexpected argument '" + operands[0] + "'");
    } else if (IsEqCommand(command)) {
        if (!CheckEqCommand(command, operands, eqOpt, &error)) return UsageError(error);
    } else {
        return UsageError("unknown command '" + command + "'");
    }
    if (a.bSimulate && !portPaths.empty()) return UsageError("--simulate and --port cannot be used together");
    if (g_Opt.nStore && command != "load") return UsageError("--store goes with load");
    if (g_Opt.bForce && command != "load" && command != "factory" && command != "diff" &&
        !IsEqCommand(command))
        return UsageError("--force goes with load, factory, diff or eq-*");
    if (a.bEqOptions && !IsEqCommand(command))
        return UsageError(command == "response"
                              ? "--pair, --write, --target, --from, --to and --max-boost go with eq-*"
                              : "--output, --pair, --preset, --write, --target, --column, --from, --to and "
                                "--max-boost go with eq-*");
    if (g_Response.bAny && command != "response")
        return UsageError(
            "--output, --sum, --phase, --preset, --csv, --measurement, --column, --measured-with "
            "and --raw go with response");
    if (!g_Response.column.empty() && g_Response.measurements.empty())
        return UsageError("--column goes with --measurement");
    if (!g_Response.measurements.empty() && g_Response.sum.empty())
        return UsageError("--measurement goes with --sum");
    if (g_Opt.bJson && command != "ports" && command != "probe" && command != "show" && command != "check" &&
        command != "diff" && !IsEqCommand(command))
        return UsageError("--json goes with ports, probe, show, check, diff, eq-* or align");

    std::unique_ptr<Sim::CSimProcessor> sim;
    if (a.bSimulate) {
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
    if (command == "diff") return CmdDiff(operands[0], operands[1]);
    if (command == "factory") return CmdFactory();
    if (IsEqCommand(command)) {
        eqOpt.bJson = g_Opt.bJson;
        eqOpt.bForce = g_Opt.bForce;
        CEqSession session;
        return RunEqCommand(command, operands, eqOpt, session);
    }
    if (command == "response") return CmdResponse();
    return CmdEditor(command, nPreset);
}

} // namespace

int main(int argc, char** argv) {
    const bool bJson = std::any_of(argv + std::min(argc, 1), argv + argc,
                                   [](const char* pszArg) { return std::strcmp(pszArg, "--json") == 0; });
    if (bJson) WatchStandardStreams();
    const int nExit = Run(argc, argv);
    if (bJson && nExit != kExitOk && g_Watch.nOutBytes == 0) {
        std::fflush(stdout);
        if (g_Watch.nOutBytes == 0) PrintJsonFailure(nExit);
    }
    return FinishOutput(nExit);
}
