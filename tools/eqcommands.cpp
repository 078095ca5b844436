#include "eqcommands.h"
#include "orvix/valuelaws.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "ctlio.h"
#include "editor/editorcore.h"
#include "editor/presetfile.h"
#include "responsecmd.h"
#include "tuning/align.h"
#include "tuning/eqapply.h"
#include "tuning/eqfit.h"
#include "tuning/eqimport.h"
#include "tuning/eqtuning.h"
#include "tuning/measurement.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitIncomplete = 3;

void PrintLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
}

using CtlIo::Json;
using CtlIo::Number;

Json JsonBands(const SFilterCoef* pBands) {
    Json bands = Json::array();
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        bands.push_back({{"band", b + 1},
                         {"freq", int(pBands[b].Freq)},
                         {"gain", int(pBands[b].Gain)},
                         {"bandWidth", Number(static_cast<double>(pBands[b].BandWidth))},
                         {"q", Number(static_cast<double>(pBands[b].BandWidth) / 2.0)}});
    return bands;
}

void JsonImport(Json& j, const SEqImport& r) {
    j["ok"] = r.bOk;
    if (!r.bOk) j["error"] = r.szError;
    j["filterLines"] = r.nFilterLines;
    j["imported"] = r.nImported;
    j["rounded"] = r.nRounded;
    Json notes = Json::array();
    for (const SEqNote& n : r.notes)
        notes.push_back({{"line", n.nLine}, {"kind", SEqNote::KindName(n.kind)}, {"text", n.text}});
    j["notes"] = notes;
    if (r.bOk) j["bands"] = JsonBands(r.bands);
}

// What was read of the measurement: the level column and the lines not used.
void JsonMeasurementRead(Json& j, const SMeasurementRead& r) {
    j["levelColumn"] = r.szLevelColumn;
    Json notes = Json::array();
    for (const SMeasurementNote& n : r.notes)
        notes.push_back({{"firstLine", n.nFirst}, {"lastLine", n.nLast}, {"text", n.text}});
    j["measurementNotes"] = notes;
    j["measurementNotesLeftOut"] = r.nNotesLeftOut;
}

// The model from a preset file, checked as load checks it; false (after a message) when it cannot be
// used.
bool ReadPreset(CEditorCore& core, const SEqCmdOptions& opt, int* pExit) {
    ZUtils::ZProfile profile;
    if (!core.Files().CheckPresetFile(opt.presetIn, EPresetRead::File, profile)) {
        CtlIo::Err("mlb8ctl: cannot read the preset file %s: %s.\n", opt.presetIn.c_str(),
                   core.Files().LastError().c_str());
        *pExit = kExitFailed;
        return false;
    }
    const SPresetReport& report = core.Files().LastReport();
    if (!report.Clean()) {
        CtlIo::ErrLines(report.Lines());
        if (!opt.bForce) {
            CtlIo::Err("mlb8ctl: %s is incomplete or has values out of range; nothing was written (--force "
                       "uses it anyway).\n",
                       opt.presetIn.c_str());
            *pExit = kExitIncomplete;
            return false;
        }
    }
    core.Model().WriteStartupDefaults();
    ReadPresetKeys(profile, core.Model(), EPresetRead::File);
    return true;
}

// The model of the processor or of --preset.
bool OpenSource(IEqCtlSession& s, const SEqCmdOptions& opt, int* pExit) {
    if (!opt.presetIn.empty()) return ReadPreset(s.Core(), opt, pExit);
    if (s.Attach()) return true;
    *pExit = kExitFailed;
    return false;
}

// Puts the bands into the output(s) and writes them to the processor or to --write.
int Store(IEqCtlSession& s, const SEqCmdOptions& opt, const SFilterCoef* pBands, std::string* pWhere) {
    CEditorCore& core = s.Core();
    const int ch = opt.nOutput - 1;
    const int bSent = ApplyEqBands(core, ch, opt.bPair, pBands);
    std::string outputs = "output " + std::to_string(opt.nOutput);
    if (opt.bPair)
        outputs = "outputs " + std::to_string(opt.nOutput) + " and " + std::to_string((ch ^ 1) + 1);
    if (opt.presetIn.empty()) {
        if (!s.Drain() || !bSent) {
            CtlIo::Err("mlb8ctl: writing the bands to the processor failed.\n");
            return kExitFailed;
        }
        *pWhere = "Wrote the bands to " + outputs + " of the processor.";
        return kExitOk;
    }
    core.Model().m_szFilePath = opt.presetOut;
    if (!core.Files().WriteConfigFile(4)) {
        CtlIo::Err("mlb8ctl: cannot write %s.\n", opt.presetOut.c_str());
        return kExitFailed;
    }
    *pWhere = "Wrote " + opt.presetIn + " with the bands in " + outputs + " to " + opt.presetOut + ".";
    return kExitOk;
}

// The settings the measurements were taken through: those of --measured-with, else those read (the
// processor's or --preset's); null after a message when --measured-with cannot be read.
const CSettingsModel* MeasuredWith(IEqCtlSession& s, const SEqCmdOptions& opt, CSettingsModel* pWith,
                                   std::string* pName) {
    if (opt.measuredWith.empty()) {
        *pName = opt.presetIn.empty() ? "the processor's settings" : opt.presetIn;
        return &s.Core().Model();
    }
    ZUtils::ZProfile profile;
    if (!s.Core().Files().CheckPresetFile(opt.measuredWith, EPresetRead::File, profile)) {
        CtlIo::Err("mlb8ctl: cannot read the preset file %s: %s.\n", opt.measuredWith.c_str(),
                   s.Core().Files().LastError().c_str());
        return nullptr;
    }
    pWith->WriteStartupDefaults();
    ReadPresetKeys(profile, *pWith, EPresetRead::File);
    *pName = opt.measuredWith;
    return pWith;
}

int CmdEqImport(const std::string& file, const SEqCmdOptions& opt, IEqCtlSession& s) {
    // The filter file is read before anything else is touched.
    const SEqImport r = ImportEqFilterFile(file);
    if (!r.bOk) {
        if (opt.bJson) {
            Json j = {{"file", file}};
            JsonImport(j, r);
            CtlIo::PrintJson(j);
        } else {
            // Named like every other refusal of mlb8ctl; the notes follow with their line numbers.
            std::vector<std::string> lines = r.Lines();
            lines.front() = "mlb8ctl: " + file + ": " + lines.front();
            CtlIo::ErrLines(lines);
        }
        return kExitFailed;
    }
    int nExit = kExitOk;
    if (!OpenSource(s, opt, &nExit)) return nExit;
    std::string where;
    nExit = Store(s, opt, r.bands, &where);
    if (nExit != kExitOk) return nExit;
    if (opt.bJson) {
        Json j = {{"file", file}, {"output", opt.nOutput}, {"pair", opt.bPair}};
        JsonImport(j, r);
        j["written"] = opt.presetIn.empty() ? std::string("processor") : opt.presetOut;
        CtlIo::PrintJson(j);
        return kExitOk;
    }
    PrintLines(r.Lines());
    PrintLines(BandLines(r.bands, false));
    std::printf("%s\n", where.c_str());
    return kExitOk;
}

int CmdEqExport(const SEqCmdOptions& opt, IEqCtlSession& s) {
    int nExit = kExitOk;
    if (!OpenSource(s, opt, &nExit)) return nExit;
    const CSettingsModel& m = s.Core().Model();
    const auto ch = static_cast<std::uint8_t>(opt.nOutput - 1);
    SFilterCoef bands[CRev8001Lib::EQ_BANDS];
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        bands[b] = m.m_Lib.GetEqCoef(ch, static_cast<std::uint8_t>(b));
    const std::string text = ExportEqFilterText(bands, m.m_bEqEnable[ch], opt.nOutput);
    if (opt.bJson) {
        CtlIo::PrintJson({{"output", opt.nOutput},
                          {"enabled", m.m_bEqEnable[ch] != 0},
                          {"bands", JsonBands(bands)},
                          {"text", text}});
        return kExitOk;
    }
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

int CmdEqFit(const std::string& file, const SEqCmdOptions& opt, IEqCtlSession& s) {
    SChannelTuning tuning;
    const SMeasurementRead meas = ReadMeasurementFile(file, opt.column);
    CtlIo::ErrLines(MeasurementMessages(file, meas));
    if (!meas.bOk) return kExitFailed;
    tuning.measured = CurveOnGrid(meas.curve);
    tuning.szMeasurement = file;
    if (!opt.target.empty()) {
        const SMeasurementRead target = ReadMeasurementFile(opt.target);
        CtlIo::ErrLines(MeasurementMessages(opt.target, target));
        if (!target.bOk) return kExitFailed;
        tuning.target = CurveOnGrid(target.curve);
        tuning.szTarget = opt.target;
    }
    int nExit = kExitOk;
    if (!OpenSource(s, opt, &nExit)) return nExit;
    // What the measurement was taken through: the settings just read, those of --measured-with, or
    // nothing (--raw). The fitted bands replace the bands it was taken with.
    const int ch = opt.nOutput - 1;
    CSettingsModel with;
    std::string withName;
    const CSettingsModel* pWith = MeasuredWith(s, opt, &with, &withName);
    if (!pWith) return kExitFailed;
    if (opt.bRaw)
        SetMeasuredRaw(tuning);
    else
        SetMeasuredThrough(tuning, *pWith, ch, withName);
    // Without --from and --to the range follows the output's crossover.
    bool bNarrowed = false;
    SEqFitSettings settings = DefaultFitRange(s.Core().Model(), opt.nOutput - 1, &bNarrowed);
    if (opt.bRangeGiven) {
        settings.fFrom = opt.fFrom;
        settings.fTo = opt.fTo;
        bNarrowed = false;
    }
    settings.nMaxBoost = opt.nMaxBoost;
    settings.fMaxDipDepth = opt.fMaxDipDepth;
    settings.fMinDipWidth = opt.fMinDipWidth;
    const SEqFitResult r =
        FitEqualizer(MakeFitInput(s.Core().Model(), opt.nOutput - 1, tuning, settings), settings);
    if (!r.bOk) {
        CtlIo::Err("mlb8ctl: %s\n", r.szError.c_str());
        return kExitFailed;
    }
    std::string where;
    nExit = Store(s, opt, r.bands, &where);
    if (nExit != kExitOk) return nExit;
    if (opt.bJson) {
        Json j = {{"measurement", file},
                  {"output", opt.nOutput},
                  {"pair", opt.bPair},
                  {"from", Number(settings.fFrom)},
                  {"to", Number(settings.fTo)},
                  {"rangeFromCrossover", bNarrowed},
                  {"measuredWith", MeasuredWithText(tuning)},
                  {"points", r.nPoints},
                  {"rmsBefore", Number(r.fRmsBefore)},
                  {"rmsAfter", Number(r.fRmsAfter)},
                  {"dataFrom", Number(r.fDataFrom)},
                  {"dataTo", Number(r.fDataTo)},
                  {"maxBoost", Number(r.fMaxBoost)},
                  {"maxBoostFreq", Number(r.fMaxBoostFreq)},
                  {"bandsUsed", r.nUsed}};
        JsonMeasurementRead(j, meas);
        Json dips = Json::array();
        for (const SEqFitDip& d : r.dips)
            dips.push_back({{"freq", Number(d.fFreq)},
                            {"depth", Number(d.fDepth)},
                            {"width", Number(d.fWidth)},
                            {"tooDeep", d.bTooDeep},
                            {"tooNarrow", d.bTooNarrow},
                            {"points", d.nPoints}});
        j["dipsLeftAlone"] = dips;
        j["bands"] = JsonBands(r.bands);
        j["written"] = opt.presetIn.empty() ? std::string("processor") : opt.presetOut;
        CtlIo::PrintJson(j);
        return kExitOk;
    }
    if (bNarrowed)
        std::printf("Fit range %g..%g Hz: the passband of output %d's crossover (--from and --to set it).\n",
                    settings.fFrom, settings.fTo, opt.nOutput);
    std::printf("Measurement %s.\n", MeasuredWithText(tuning).c_str());
    PrintLines(FitReportLines(r, settings));
    std::printf("%s\n", where.c_str());
    return kExitOk;
}

Json JsonTrim(const SAlignTrim& t) {
    return {{"delaySamples", t.nDelay},
            {"delayMs", Number(t.nDelay / 48.0)},
            {"delayCm", Number(static_cast<double>(MsToCm(static_cast<float>(t.nDelay / 48.0))))},
            {"inverted", t.bInvert},
            {"levelDb", Number(CSettingsModel::DbFromVolume(t.nVolume))}};
}

int CmdAlign(const SEqCmdOptions& opt, IEqCtlSession& s) {
    // Every file is read before anything else is touched.
    SResponseOptions files;
    files.measurements = opt.measurements;
    files.column = opt.column;
    files.bRaw = opt.bRaw;
    ChannelTunings tunings;
    std::vector<std::string> messages;
    const bool bRead = LoadResponseMeasurements(files, &tunings, &messages);
    CtlIo::ErrLines(messages);
    if (!bRead) return kExitFailed;
    SAlignSettings settings;
    settings.bKeepLevels = opt.bKeepLevels;
    if (!opt.target.empty()) {
        const SMeasurementRead target = ReadMeasurementFile(opt.target);
        CtlIo::ErrLines(MeasurementMessages(opt.target, target));
        if (!target.bOk) return kExitFailed;
        settings.target = CurveOnGrid(target.curve);
    }
    int nExit = kExitOk;
    if (!OpenSource(s, opt, &nExit)) return nExit;
    CSettingsModel with;
    std::string withName;
    const CSettingsModel* pWith = MeasuredWith(s, opt, &with, &withName);
    if (!pWith) return kExitFailed;
    ApplyMeasuredWith(files, *pWith, withName, &tunings);
    std::vector<int> channels;
    for (const auto& [ch, path] : opt.measurements)
        channels.push_back(ch);
    CEditorCore& core = s.Core();
    const SAlignResult r = ProposeAlignment(core.Model(), tunings, channels, settings);
    if (!r.bOk) {
        CtlIo::Err("mlb8ctl: %s\n", r.szError.c_str());
        // What was left out, and why (the first line is the error).
        const std::vector<std::string> rest = AlignReportRest(r, core.Model(), settings);
        CtlIo::ErrLines(std::vector<std::string>(rest.begin() + 1, rest.end()));
        return kExitFailed;
    }
    // The report names the outputs as they were read, before the proposal goes in.
    const std::vector<std::string> report = AlignReportLines(r, core.Model(), settings);
    std::string where;
    if (opt.presetIn.empty()) {
        if (!core.ApplyAsOneStep(AlignedSettings(r, core.Model())) || !s.Drain()) {
            CtlIo::Err("mlb8ctl: writing the alignment to the processor failed.\n");
            return kExitFailed;
        }
        where = "Wrote the delays, polarities and levels to the processor.";
    } else {
        ApplyAlignmentToModel(r, core.Model());
        core.Model().m_szFilePath = opt.presetOut;
        if (!core.Files().WriteConfigFile(4)) {
            CtlIo::Err("mlb8ctl: cannot write %s.\n", opt.presetOut.c_str());
            return kExitFailed;
        }
        where = "Wrote " + opt.presetIn + " with the alignment to " + opt.presetOut + ".";
    }
    if (opt.bJson) {
        Json outputs = Json::array(), regions = Json::array(), leftOut = Json::array();
        for (const SAlignOutput& o : r.outputs)
            outputs.push_back({{"output", o.nChannel + 1},
                               {"arrivalMs", Number(o.fArrivalMs)},
                               {"phaseOffDeg", Number(o.fPhaseOffDeg)},
                               {"before", JsonTrim(o.before)},
                               {"after", JsonTrim(o.after)}});
        for (const SAlignRegion& g : r.regions)
            regions.push_back({{"crossover", Number(g.fCrossover)},
                               {"from", Number(g.fFrom)},
                               {"to", Number(g.fTo)},
                               {"rmsBefore", Number(g.fRmsBefore)},
                               {"rmsAfter", Number(g.fRmsAfter)}});
        for (const SAlignLeftOut& l : r.leftOut)
            leftOut.push_back(
                {{"output", l.nChannel + 1},
                 {"why", std::string(l.why == SAlignLeftOut::MUTED ? "muted" : "outside the solo")}});
        CtlIo::PrintJson({{"measuredWith", opt.bRaw ? std::string("bare drivers") : withName},
                          {"keepLevels", opt.bKeepLevels},
                          {"from", Number(r.fFrom)},
                          {"to", Number(r.fTo)},
                          {"rmsBefore", Number(r.fRmsBefore)},
                          {"rmsAfter", Number(r.fRmsAfter)},
                          {"outputs", outputs},
                          {"regions", regions},
                          {"notes", r.notes},
                          {"leftOut", leftOut},
                          {"written", opt.presetIn.empty() ? std::string("processor") : opt.presetOut}});
        return kExitOk;
    }
    std::printf("Measurements %s.\n",
                opt.bRaw ? "of the bare drivers" : ("taken through " + withName).c_str());
    PrintLines(report);
    std::printf("%s\n", where.c_str());
    return kExitOk;
}

} // namespace

bool IsEqCommand(const std::string& command) {
    return command == "eq-import" || command == "eq-export" || command == "eq-fit" || command == "align";
}

CLI::App* AddEqCommand(CLI::App& app, const std::string& command, SEqCmdOptions& opt, CtlCli::CUsage& usage) {
    using CtlCli::Check;
    CLI::App* cmd = app.add_subcommand(command, EqCommandSummary(command));
    cmd->footer(EqCommandHelp(command));
    const bool bAlign = command == "align", bFit = command == "eq-fit", bExport = command == "eq-export";
    if (command == "eq-import" || bFit) {
        usage.Required(cmd, cmd->add_option("FILE", opt.file, bFit ? "the measurement" : "the filter list"),
                       command + " needs one file name");
        usage.Extra(cmd, command + " needs one file name");
    }
    if (!bAlign) {
        // One output; a second --output is refused, not taken silently.
        auto nSeen = std::make_shared<int>(0);
        usage.Required(cmd,
                       cmd->add_option("--output", opt.nOutput, "the output N (1..8)")
                           ->type_name("N")
                           ->check(Check(
                               [nSeen](const std::string& v) {
                                   if ((*nSeen)++)
                                       return std::string("--output is given twice: eq-* changes one output "
                                                          "(--pair adds its partner)");
                                   int n = 0;
                                   return CtlCli::ParseInt(v, &n) && n >= 1 && n <= 8
                                              ? std::string()
                                              : std::string("--output needs an output number 1..8");
                               },
                               "1..8"))
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast),
                       command + " needs --output N (1..8)");
    }
    if (!bAlign && !bExport) cmd->add_flag("--pair", opt.bPair, "also the output's partner (1-2, 3-4, ...)");
    CLI::Option* pPreset = cmd->add_option("--preset", opt.presetIn,
                                           bExport ? "read the preset file FILE, not the processor"
                                                   : "read the preset file IN, not the processor")
                               ->type_name(bExport ? "FILE" : "IN");
    if (!bExport) {
        CLI::Option* pWrite =
            cmd->add_option("--write", opt.presetOut, "write the result to the preset file OUT")
                ->type_name("OUT");
        usage.Needs(cmd, pPreset, pWrite, "--preset IN and --write OUT go together");
        usage.Needs(cmd, pWrite, pPreset, "--preset IN and --write OUT go together");
    }
    cmd->add_flag("--force", opt.bForce, "use a --preset file that load would refuse");
    if (bAlign || bFit) {
        cmd->add_option("--target", opt.target, "the target curve (flat by default)")->type_name("FILE");
        cmd->add_option("--column", opt.column, "the measurement's level column, by name or number")
            ->type_name("NAME");
        CLI::Option* pWith = cmd->add_option("--measured-with", opt.measuredWith,
                                             "the measurement was taken through FILE's settings")
                                 ->type_name("FILE");
        CLI::Option* pRaw = cmd->add_flag("--raw", opt.bRaw,
                                          bAlign ? "the measurements are of the bare drivers"
                                                 : "the measurement is of the bare driver");
        usage.Excludes(cmd, pRaw, pWith,
                       bAlign ? "--raw (bare drivers) and --measured-with FILE exclude each other"
                              : "--raw (a bare driver) and --measured-with FILE exclude each other");
    }
    if (bFit) {
        for (auto [pszName, pTarget] : {std::pair{"--from", &opt.fFrom}, std::pair{"--to", &opt.fTo}})
            cmd->add_option(pszName, *pTarget, "fit range in Hz (10..24000)")
                ->type_name("HZ")
                ->check(CtlCli::DoubleIn(10.0, 24000.0,
                                         std::string(pszName) + " needs a frequency in Hz (10..24000)"));
        cmd->add_option("--max-boost", opt.nMaxBoost, "the most the bands may lift, whole dB (0..12)")
            ->type_name("DB")
            ->check(CtlCli::IntIn(0, 12, "--max-boost needs whole dB 0..12"));
        cmd->add_option("--max-dip-depth", opt.fMaxDipDepth, "a deeper dip is left alone, dB (3..60)")
            ->type_name("DB")
            ->check(CtlCli::DoubleIn(3.0, 60.0, "--max-dip-depth needs dB 3..60"));
        cmd->add_option("--min-dip-width", opt.fMinDipWidth, "a narrower dip is left alone, octaves (0..2)")
            ->type_name("OCT")
            ->check(CtlCli::DoubleIn(0.0, 2.0, "--min-dip-width needs octaves 0..2"));
    }
    if (bAlign) {
        auto measurements = std::make_shared<std::vector<std::string>>();
        usage.Required(
            cmd,
            cmd->add_option_function<std::vector<std::string>>(
                   "--measurement",
                   [&opt](const std::vector<std::string>& values) {
                       for (const std::string& v : values)
                           opt.measurements.emplace_back(v[0] - '1', v.substr(2));
                   },
                   "the measurement of output N (repeatable)")
                ->type_name("N=FILE")
                ->allow_extra_args(false)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                ->check(Check(
                    [measurements](const std::string& v) {
                        const bool bOk = v.find('=') == 1 && v[0] >= '1' && v[0] <= '8' && v.size() > 2;
                        if (!bOk)
                            return std::string("--measurement needs an output number 1..8 and a file, like "
                                               "3=tweeter.txt");
                        for (const std::string& seen : *measurements)
                            if (seen[0] == v[0])
                                return "--measurement gives output " + v.substr(0, 1) + " twice";
                        measurements->push_back(v);
                        return std::string();
                    },
                    "")),
            "align needs --measurement N=FILE for every output to align");
        cmd->add_flag("--keep-levels", opt.bKeepLevels, "the loudest ways keep their levels");
    }
    return cmd;
}

bool CheckEqCommand(const CLI::App& cmd, SEqCmdOptions& opt, std::string* pError) {
    if (const CLI::Option* pFrom = cmd.get_option_no_throw("--from"))
        opt.bRangeGiven = pFrom->count() + cmd.get_option("--to")->count() > 0;
    if (!(opt.fTo > opt.fFrom)) {
        *pError = "--to must lie above --from";
        return false;
    }
    return true;
}

int RunEqCommand(const std::string& command, const SEqCmdOptions& opt, IEqCtlSession& session) {
    if (command == "align") return CmdAlign(opt, session);
    if (command == "eq-import") return CmdEqImport(opt.file, opt, session);
    if (command == "eq-export") return CmdEqExport(opt, session);
    return CmdEqFit(opt.file, opt, session);
}

std::vector<std::string> MeasurementMessages(const std::string& path, const SMeasurementRead& r) {
    if (r.bOk && r.notes.empty() && r.nNotesLeftOut == 0) return {};
    std::vector<std::string> lines = r.Lines();
    lines.front() = "mlb8ctl: " + path + ": " + lines.front();
    if (!r.bOk && !r.columns.empty())
        lines.push_back(
            "mlb8ctl: choose the level column with --column NAME (or its number, 1 for the first)");
    return lines;
}

std::string EqCommandSummary(const std::string& command) {
    if (command == "align") return "align the measured outputs at the seat: delays, polarities and levels";
    if (command == "eq-import")
        return "import the peaking filters of a filter list into the bands of an output";
    if (command == "eq-export") return "print the bands of an output as parametric equalizer text";
    return "fit the ten bands of an output to a measurement";
}

std::string EqCommandHelp(const std::string& command) {
    if (command == "align")
        return "Each FILE is a measurement export with phase (frequency, dB, degrees) of output N, all "
               "taken\n"
               "with one timing reference, through the settings read (--measured-with FILE: those of the\n"
               "preset file FILE; --raw: of the bare drivers). Proposes per output a delay on the 48 kHz\n"
               "sample grid (the latest way gets none), a polarity and a channel level in 0.5 dB steps that\n"
               "matches each way's passband level to the target (flat by default; the loudest ways come\n"
               "down; --keep-levels keeps them), chosen on the predicted complex sum of all the outputs.\n"
               "Prints per output the delay (ms, cm, samples), polarity and level before and after, and the\n"
               "predicted sum's RMS deviation from the target per crossover region and over 60..16000 Hz\n"
               "(lower where a way plays lower), before and after; then writes them to the processor (one\n"
               "undo step) or into a copy of the preset file IN written to OUT. Muted outputs and those\n"
               "outside an active solo are left out of the sum and keep their settings; the report names\n"
               "them.\n"
               "Measurement files are read as eq-fit reads them (--column NAME: see there). A preset file\n"
               "given with --preset is checked like one given to load; --force uses it anyway (status 3\n"
               "otherwise).";
    if (command == "eq-import")
        return "Imports the peaking filters of a filter list (measurement software, system-wide equalizers)\n"
               "into the bands of output N (1..8; --pair: also its partner), on the processor, or into a\n"
               "copy of the preset file IN written to OUT; prints the report. A preset file given with\n"
               "--preset is checked like one given to load; --force uses it anyway (status 3 otherwise).";
    if (command == "eq-export")
        return "Prints the bands of output N (1..8) of the processor, or of the preset file FILE, as\n"
               "parametric equalizer text.";
    return "Fits the ten bands on the processor's steps so that measurement + equalizer + the output's\n"
           "crossover come closest to the target (flat by default) over --from..--to (20..20000 Hz,\n"
           "narrowed to the passband of the output's crossover when it is on); the ten bands together\n"
           "(with any lift of the crossover) rise at most --max-boost dB (6) at any frequency; a dip\n"
           "deeper than --max-dip-depth dB (15) or narrower than --min-dip-width octaves at half its\n"
           "depth (0.17) is left alone and named, since no sane boost fills it; prints the RMS deviation\n"
           "before and after over the points fitted, the range with data, the highest level of the bands\n"
           "and the bands, and writes them like eq-import. The measurement counts as taken through output\n"
           "N's settings read (--measured-with FILE: those of the preset file FILE; --raw: the bare\n"
           "driver), and the fitted bands replace the bands it was taken with.\n"
           "A measurement with a header line is read by its column names: frequency, the level from raw,\n"
           "spl, magnitude, db or level (--column NAME or its number chooses another), phase. Lines that\n"
           "cannot be used (not numbers, NaN, infinite or absurd values, repeated frequencies) are named\n"
           "on standard error with their line numbers; frequencies that look like kHz are refused.\n"
           "A preset file given with --preset is checked like one given to load; --force uses it anyway\n"
           "(status 3 otherwise).";
}
