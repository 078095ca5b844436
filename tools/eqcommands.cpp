#include "eqcommands.h"
#include "orvix/valuelaws.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "editor/editorcore.h"
#include "editor/presetfile.h"
#include "jsonout.h"
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

bool ParseInt(const std::string& s, int* pValue) {
    const auto res = std::from_chars(s.data(), s.data() + s.size(), *pValue);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool ParseDouble(const std::string& s, double* pValue) {
    const auto res = std::from_chars(s.data(), s.data() + s.size(), *pValue);
    return res.ec == std::errc() && res.ptr == s.data() + s.size() && std::isfinite(*pValue);
}

void PrintLines(std::FILE* pOut, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fprintf(pOut, "%s\n", line.c_str());
}

void JsonBands(CJsonWriter& j, const SFilterCoef* pBands) {
    j.Key("bands").BeginArray();
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        j.BeginObject()
            .Member("band", b + 1)
            .Member("freq", int(pBands[b].Freq))
            .Member("gain", int(pBands[b].Gain))
            .Member("bandWidth", static_cast<double>(pBands[b].BandWidth))
            .Member("q", static_cast<double>(pBands[b].BandWidth) / 2.0)
            .EndObject();
    j.EndArray();
}

void JsonImport(CJsonWriter& j, const SEqImport& r) {
    j.Member("ok", r.bOk);
    if (!r.bOk) j.Member("error", r.szError);
    j.Member("filterLines", r.nFilterLines).Member("imported", r.nImported).Member("rounded", r.nRounded);
    j.Key("notes").BeginArray();
    for (const SEqNote& n : r.notes)
        j.BeginObject()
            .Member("line", n.nLine)
            .Member("kind", SEqNote::KindName(n.kind))
            .Member("text", n.text)
            .EndObject();
    j.EndArray();
    if (r.bOk) JsonBands(j, r.bands);
}

// What was read of the measurement: the level column and the lines not used.
void JsonMeasurementRead(CJsonWriter& j, const SMeasurementRead& r) {
    j.Member("levelColumn", r.szLevelColumn).Key("measurementNotes").BeginArray();
    for (const SMeasurementNote& n : r.notes)
        j.BeginObject()
            .Member("firstLine", n.nFirst)
            .Member("lastLine", n.nLast)
            .Member("text", n.text)
            .EndObject();
    j.EndArray().Member("measurementNotesLeftOut", r.nNotesLeftOut);
}

// The model from a preset file, checked as load checks it; false (after a message) when it cannot be
// used.
bool ReadPreset(CEditorCore& core, const SEqCmdOptions& opt, int* pExit) {
    ZUtils::ZProfile profile;
    if (!core.Files().CheckPresetFile(opt.presetIn, EPresetRead::File, profile)) {
        std::fprintf(stderr, "mlb8ctl: cannot read the preset file %s: %s.\n", opt.presetIn.c_str(),
                     core.Files().LastError().c_str());
        *pExit = kExitFailed;
        return false;
    }
    const SPresetReport& report = core.Files().LastReport();
    if (!report.Clean()) {
        PrintLines(stderr, report.Lines());
        if (!opt.bForce) {
            std::fprintf(stderr,
                         "mlb8ctl: %s is incomplete or has values out of range; nothing was written (--force "
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
            std::fprintf(stderr, "mlb8ctl: writing the bands to the processor failed.\n");
            return kExitFailed;
        }
        *pWhere = "Wrote the bands to " + outputs + " of the processor.";
        return kExitOk;
    }
    core.Model().m_szFilePath = opt.presetOut;
    if (!core.Files().WriteConfigFile(4)) {
        std::fprintf(stderr, "mlb8ctl: cannot write %s.\n", opt.presetOut.c_str());
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
        std::fprintf(stderr, "mlb8ctl: cannot read the preset file %s: %s.\n", opt.measuredWith.c_str(),
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
            CJsonWriter j;
            j.BeginObject().Member("file", file);
            JsonImport(j, r);
            j.EndObject();
            std::printf("%s\n", j.Text().c_str());
        } else {
            // Named like every other refusal of mlb8ctl; the notes follow with their line numbers.
            std::vector<std::string> lines = r.Lines();
            lines.front() = "mlb8ctl: " + file + ": " + lines.front();
            PrintLines(stderr, lines);
        }
        return kExitFailed;
    }
    int nExit = kExitOk;
    if (!OpenSource(s, opt, &nExit)) return nExit;
    std::string where;
    nExit = Store(s, opt, r.bands, &where);
    if (nExit != kExitOk) return nExit;
    if (opt.bJson) {
        CJsonWriter j;
        j.BeginObject().Member("file", file).Member("output", opt.nOutput).Member("pair", opt.bPair);
        JsonImport(j, r);
        j.Member("written", opt.presetIn.empty() ? std::string("processor") : opt.presetOut);
        j.EndObject();
        std::printf("%s\n", j.Text().c_str());
        return kExitOk;
    }
    PrintLines(stdout, r.Lines());
    PrintLines(stdout, BandLines(r.bands, false));
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
        CJsonWriter j;
        j.BeginObject().Member("output", opt.nOutput).Member("enabled", m.m_bEqEnable[ch] != 0);
        JsonBands(j, bands);
        j.Member("text", text).EndObject();
        std::printf("%s\n", j.Text().c_str());
        return kExitOk;
    }
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

int CmdEqFit(const std::string& file, const SEqCmdOptions& opt, IEqCtlSession& s) {
    SChannelTuning tuning;
    const SMeasurementRead meas = ReadMeasurementFile(file, opt.column);
    PrintLines(stderr, MeasurementMessages(file, meas));
    if (!meas.bOk) return kExitFailed;
    tuning.measured = CurveOnGrid(meas.curve);
    tuning.szMeasurement = file;
    if (!opt.target.empty()) {
        const SMeasurementRead target = ReadMeasurementFile(opt.target);
        PrintLines(stderr, MeasurementMessages(opt.target, target));
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
        std::fprintf(stderr, "mlb8ctl: %s\n", r.szError.c_str());
        return kExitFailed;
    }
    std::string where;
    nExit = Store(s, opt, r.bands, &where);
    if (nExit != kExitOk) return nExit;
    if (opt.bJson) {
        CJsonWriter j;
        j.BeginObject()
            .Member("measurement", file)
            .Member("output", opt.nOutput)
            .Member("pair", opt.bPair)
            .Member("from", settings.fFrom)
            .Member("to", settings.fTo)
            .Member("rangeFromCrossover", bNarrowed)
            .Member("measuredWith", MeasuredWithText(tuning))
            .Member("points", r.nPoints)
            .Member("rmsBefore", r.fRmsBefore)
            .Member("rmsAfter", r.fRmsAfter)
            .Member("dataFrom", r.fDataFrom)
            .Member("dataTo", r.fDataTo)
            .Member("maxBoost", r.fMaxBoost)
            .Member("maxBoostFreq", r.fMaxBoostFreq)
            .Member("bandsUsed", r.nUsed);
        JsonMeasurementRead(j, meas);
        j.Key("dipsLeftAlone").BeginArray();
        for (const SEqFitDip& d : r.dips)
            j.BeginObject()
                .Member("freq", d.fFreq)
                .Member("depth", d.fDepth)
                .Member("width", d.fWidth)
                .Member("tooDeep", d.bTooDeep)
                .Member("tooNarrow", d.bTooNarrow)
                .Member("points", d.nPoints)
                .EndObject();
        j.EndArray();
        JsonBands(j, r.bands);
        j.Member("written", opt.presetIn.empty() ? std::string("processor") : opt.presetOut);
        j.EndObject();
        std::printf("%s\n", j.Text().c_str());
        return kExitOk;
    }
    if (bNarrowed)
        std::printf("Fit range %g..%g Hz: the passband of output %d's crossover (--from and --to set it).\n",
                    settings.fFrom, settings.fTo, opt.nOutput);
    std::printf("Measurement %s.\n", MeasuredWithText(tuning).c_str());
    PrintLines(stdout, FitReportLines(r, settings));
    std::printf("%s\n", where.c_str());
    return kExitOk;
}

void JsonTrim(CJsonWriter& j, const char* pszKey, const SAlignTrim& t) {
    j.Key(pszKey)
        .BeginObject()
        .Member("delaySamples", t.nDelay)
        .Member("delayMs", t.nDelay / 48.0)
        .Member("delayCm", static_cast<double>(MsToCm(static_cast<float>(t.nDelay / 48.0))))
        .Member("inverted", t.bInvert != 0)
        .Member("levelDb", CSettingsModel::DbFromVolume(t.nVolume))
        .EndObject();
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
    PrintLines(stderr, messages);
    if (!bRead) return kExitFailed;
    SAlignSettings settings;
    settings.bKeepLevels = opt.bKeepLevels;
    if (!opt.target.empty()) {
        const SMeasurementRead target = ReadMeasurementFile(opt.target);
        PrintLines(stderr, MeasurementMessages(opt.target, target));
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
        std::fprintf(stderr, "mlb8ctl: %s\n", r.szError.c_str());
        // What was left out, and why (the first line is the error).
        const std::vector<std::string> rest = AlignReportRest(r, core.Model(), settings);
        PrintLines(stderr, std::vector<std::string>(rest.begin() + 1, rest.end()));
        return kExitFailed;
    }
    // The report names the outputs as they were read, before the proposal goes in.
    const std::vector<std::string> report = AlignReportLines(r, core.Model(), settings);
    std::string where;
    if (opt.presetIn.empty()) {
        if (!core.ApplyAsOneStep(AlignedSettings(r, core.Model())) || !s.Drain()) {
            std::fprintf(stderr, "mlb8ctl: writing the alignment to the processor failed.\n");
            return kExitFailed;
        }
        where = "Wrote the delays, polarities and levels to the processor.";
    } else {
        ApplyAlignmentToModel(r, core.Model());
        core.Model().m_szFilePath = opt.presetOut;
        if (!core.Files().WriteConfigFile(4)) {
            std::fprintf(stderr, "mlb8ctl: cannot write %s.\n", opt.presetOut.c_str());
            return kExitFailed;
        }
        where = "Wrote " + opt.presetIn + " with the alignment to " + opt.presetOut + ".";
    }
    if (opt.bJson) {
        CJsonWriter j;
        j.BeginObject()
            .Member("measuredWith", opt.bRaw ? std::string("bare drivers") : withName)
            .Member("keepLevels", opt.bKeepLevels)
            .Member("from", r.fFrom)
            .Member("to", r.fTo)
            .Member("rmsBefore", r.fRmsBefore)
            .Member("rmsAfter", r.fRmsAfter);
        j.Key("outputs").BeginArray();
        for (const SAlignOutput& o : r.outputs) {
            j.BeginObject()
                .Member("output", o.nChannel + 1)
                .Member("arrivalMs", o.fArrivalMs)
                .Member("phaseOffDeg", o.fPhaseOffDeg);
            JsonTrim(j, "before", o.before);
            JsonTrim(j, "after", o.after);
            j.EndObject();
        }
        j.EndArray().Key("regions").BeginArray();
        for (const SAlignRegion& g : r.regions)
            j.BeginObject()
                .Member("crossover", g.fCrossover)
                .Member("from", g.fFrom)
                .Member("to", g.fTo)
                .Member("rmsBefore", g.fRmsBefore)
                .Member("rmsAfter", g.fRmsAfter)
                .EndObject();
        j.EndArray().Key("notes").BeginArray();
        for (const std::string& note : r.notes)
            j.String(note);
        j.EndArray().Key("leftOut").BeginArray();
        for (const SAlignLeftOut& l : r.leftOut)
            j.BeginObject()
                .Member("output", l.nChannel + 1)
                .Member("why", std::string(l.why == SAlignLeftOut::MUTED ? "muted" : "outside the solo"))
                .EndObject();
        j.EndArray();
        j.Member("written", opt.presetIn.empty() ? std::string("processor") : opt.presetOut);
        j.EndObject();
        std::printf("%s\n", j.Text().c_str());
        return kExitOk;
    }
    std::printf("Measurements %s.\n",
                opt.bRaw ? "of the bare drivers" : ("taken through " + withName).c_str());
    PrintLines(stdout, report);
    std::printf("%s\n", where.c_str());
    return kExitOk;
}

} // namespace

bool IsEqCommand(const std::string& command) {
    return command == "eq-import" || command == "eq-export" || command == "eq-fit" || command == "align";
}

void AddEqOptions(ZUtils::CCmdLine& cmdline, SEqCmdOptions& opt, bool& bGiven) {
    using EInline = ZUtils::CCmdLine::EInline;
    // Every option marks that one was given, then takes its value.
    auto value = [&bGiven](auto take) {
        return [&bGiven, take](const std::string& v, std::string& error) {
            bGiven = true;
            return take(v, error);
        };
    };
    auto text = [&value](std::string& target) {
        return value([&target](const std::string& v, std::string&) {
            target = v;
            return true;
        });
    };
    auto frequency = [&value, &opt](const char* pszName, double& target) {
        return value([pszName, &opt, &target](const std::string& v, std::string& error) {
            double f = 0.0;
            if (!ParseDouble(v, &f) || f < 10.0 || f > 24000.0) {
                error = std::string(pszName) + " needs a frequency in Hz (10..24000)";
                return false;
            }
            target = f;
            opt.bRangeGiven = true;
            return true;
        });
    };
    cmdline
        .Flag(
            {"--pair"},
            [&bGiven, &opt](std::string&) {
                bGiven = opt.bPair = true;
                return true;
            },
            EInline::Unknown)
        .Value({"--output"}, value([&opt](const std::string& v, std::string& error) {
                   if (opt.nOutput) {
                       error = "--output is given twice: eq-* changes one output (--pair adds its partner)";
                       return false;
                   }
                   if (ParseInt(v, &opt.nOutput) && opt.nOutput >= 1 && opt.nOutput <= 8) return true;
                   error = "--output needs an output number 1..8";
                   return false;
               }),
               EInline::Unknown)
        .Value({"--preset"}, text(opt.presetIn), EInline::Unknown)
        .Value({"--write"}, text(opt.presetOut), EInline::Unknown)
        .Value({"--target"}, text(opt.target), EInline::Unknown)
        .Value({"--column"}, text(opt.column), EInline::Unknown)
        .Value({"--measured-with"}, text(opt.measuredWith), EInline::Unknown)
        .Flag(
            {"--raw"},
            [&bGiven, &opt](std::string&) {
                bGiven = opt.bRaw = true;
                return true;
            },
            EInline::Unknown)
        .Value({"--measurement"}, value([&opt](const std::string& v, std::string& error) {
                   const std::size_t nSplit = v.find('=');
                   const bool bOk = nSplit == 1 && v[0] >= '1' && v[0] <= '8' && v.size() > 2;
                   if (!bOk) {
                       error = "--measurement needs an output number 1..8 and a file, like 3=tweeter.txt";
                       return false;
                   }
                   for (const auto& [ch, path] : opt.measurements)
                       if (ch == v[0] - '1') {
                           error = "--measurement gives output " + v.substr(0, 1) + " twice";
                           return false;
                       }
                   opt.measurements.emplace_back(v[0] - '1', v.substr(2));
                   return true;
               }),
               EInline::Unknown)
        .Flag(
            {"--keep-levels"},
            [&bGiven, &opt](std::string&) {
                bGiven = opt.bKeepLevels = true;
                return true;
            },
            EInline::Unknown)
        .Value({"--from"}, frequency("--from", opt.fFrom), EInline::Unknown)
        .Value({"--to"}, frequency("--to", opt.fTo), EInline::Unknown)
        .Value({"--max-boost"}, value([&opt](const std::string& v, std::string& error) {
                   if (ParseInt(v, &opt.nMaxBoost) && opt.nMaxBoost >= 0 && opt.nMaxBoost <= 12) return true;
                   error = "--max-boost needs whole dB 0..12";
                   return false;
               }),
               EInline::Unknown)
        .Value({"--max-dip-depth"}, value([&opt](const std::string& v, std::string& error) {
                   opt.bDipGiven = true;
                   if (ParseDouble(v, &opt.fMaxDipDepth) && opt.fMaxDipDepth >= 3.0 &&
                       opt.fMaxDipDepth <= 60.0)
                       return true;
                   error = "--max-dip-depth needs dB 3..60";
                   return false;
               }),
               EInline::Unknown)
        .Value({"--min-dip-width"}, value([&opt](const std::string& v, std::string& error) {
                   opt.bDipGiven = true;
                   if (ParseDouble(v, &opt.fMinDipWidth) && opt.fMinDipWidth >= 0.0 &&
                       opt.fMinDipWidth <= 2.0)
                       return true;
                   error = "--min-dip-width needs octaves 0..2";
                   return false;
               }),
               EInline::Unknown);
}

bool CheckEqCommand(const std::string& command, const std::vector<std::string>& operands,
                    const SEqCmdOptions& opt, std::string* pError) {
    if (command == "align") {
        if (!operands.empty()) {
            *pError = "unexpected argument '" + operands[0] + "'";
            return false;
        }
        if (opt.measurements.empty()) {
            *pError = "align needs --measurement N=FILE for every output to align";
            return false;
        }
        if (opt.presetIn.empty() != opt.presetOut.empty()) {
            *pError = "--preset IN and --write OUT go together";
            return false;
        }
        if (opt.nOutput || opt.bPair || opt.bRangeGiven || opt.nMaxBoost != 6 || opt.bDipGiven) {
            *pError = "--output, --pair, --from, --to, --max-boost, --max-dip-depth and --min-dip-width go "
                      "with eq-*";
            return false;
        }
        if (opt.bRaw && !opt.measuredWith.empty()) {
            *pError = "--raw (bare drivers) and --measured-with FILE exclude each other";
            return false;
        }
        return true;
    }
    if (!opt.measurements.empty() || opt.bKeepLevels) {
        *pError = "--measurement and --keep-levels go with align";
        return false;
    }
    const bool bFile = command != "eq-export";
    if (operands.size() != (bFile ? 1u : 0u)) {
        *pError = bFile ? command + " needs one file name" : "unexpected argument '" + operands[0] + "'";
        return false;
    }
    if (opt.nOutput == 0) {
        *pError = command + " needs --output N (1..8)";
        return false;
    }
    if (command == "eq-export") {
        if (opt.bPair || !opt.presetOut.empty()) {
            *pError = "eq-export prints the text; --pair and --write go with eq-import and eq-fit";
            return false;
        }
    } else if (opt.presetIn.empty() != opt.presetOut.empty()) {
        *pError = "--preset IN and --write OUT go together";
        return false;
    }
    if (command != "eq-fit" &&
        (!opt.target.empty() || !opt.column.empty() || opt.bRangeGiven || opt.nMaxBoost != 6 ||
         opt.bDipGiven || !opt.measuredWith.empty() || opt.bRaw)) {
        *pError = "--target, --column, --from, --to, --max-boost, --max-dip-depth, --min-dip-width, "
                  "--measured-with and --raw go with eq-fit";
        return false;
    }
    if (opt.bRaw && !opt.measuredWith.empty()) {
        *pError = "--raw (a bare driver) and --measured-with FILE exclude each other";
        return false;
    }
    if (!(opt.fTo > opt.fFrom)) {
        *pError = "--to must lie above --from";
        return false;
    }
    return true;
}

int RunEqCommand(const std::string& command, const std::vector<std::string>& operands,
                 const SEqCmdOptions& opt, IEqCtlSession& session) {
    if (command == "align") return CmdAlign(opt, session);
    if (command == "eq-import") return CmdEqImport(operands[0], opt, session);
    if (command == "eq-export") return CmdEqExport(opt, session);
    return CmdEqFit(operands[0], opt, session);
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

const char* EqCommandsUsage() {
    return "  align --measurement N=FILE [--measurement M=FILE]... [--measured-with FILE | --raw]\n"
           "        [--target FILE] [--keep-levels] [--column NAME] [--preset IN --write OUT]\n"
           "              align the measured outputs at the seat: each FILE is a measurement export with\n"
           "              phase (frequency, dB, degrees) of output N, all taken with one timing\n"
           "              reference, through the settings read (--measured-with FILE: those of the\n"
           "              preset file FILE; --raw: of the bare drivers). Proposes per output a delay\n"
           "              on the 48 kHz sample grid (the latest way gets none), a polarity and a\n"
           "              channel level in 0.5 dB steps that matches each way's passband level to the\n"
           "              target (flat by default; the loudest ways come down; --keep-levels keeps\n"
           "              them), chosen on the predicted complex sum of all the outputs. Prints per\n"
           "              output the delay (ms, cm, samples), polarity and level before and after, and\n"
           "              the predicted sum's RMS deviation from the target per crossover region and\n"
           "              over 60..16000 Hz (lower where a way plays lower), before and after; then writes\n"
           "              them to the processor (one undo step) or into a copy of the preset file IN\n"
           "              written to OUT. Muted outputs and those outside an active solo are left out of\n"
           "              the sum and keep their settings; the report names them\n"
           "  eq-import FILE --output N [--pair] [--preset IN --write OUT]\n"
           "              import the peaking filters of a filter list (measurement software, system-wide\n"
           "              equalizers) into the bands of output N (1..8; --pair: also its partner), on the\n"
           "              processor, or into a copy of the preset file IN written to OUT; prints the report\n"
           "  eq-export --output N [--preset FILE]\n"
           "              print the bands of output N as parametric equalizer text\n"
           "  eq-fit MEASUREMENT --output N [--pair] [--target FILE] [--from HZ] [--to HZ]\n"
           "         [--max-boost DB] [--max-dip-depth DB] [--min-dip-width OCT] [--measured-with FILE | "
           "--raw]\n"
           "         [--column NAME] [--preset IN --write OUT]\n"
           "              fit the ten bands on the processor's steps so that measurement + equalizer +\n"
           "              the output's crossover come closest to the target (flat by default) over\n"
           "              --from..--to (20..20000 Hz, narrowed to the passband of the output's crossover\n"
           "              when it is on); the ten bands together (with any lift of the crossover) rise\n"
           "              at most --max-boost dB (6) at any frequency; a dip deeper than --max-dip-depth\n"
           "              dB (15) or narrower than --min-dip-width octaves at half its depth (0.17) is\n"
           "              left alone and named, since no sane boost fills it; prints the RMS deviation\n"
           "              before and after over the points fitted, the range with data, the highest\n"
           "              level of the bands and the bands, and writes them like eq-import. The\n"
           "              measurement counts as taken through output N's settings read (--measured-with\n"
           "              FILE: those of the preset file FILE; --raw: the bare driver), and the fitted\n"
           "              bands replace the bands it was taken with.\n"
           "              A measurement with a header line is read by its column names: frequency,\n"
           "              the level from raw, spl, magnitude, db or level (--column NAME or its\n"
           "              number chooses another), phase. Lines that cannot be used (not numbers,\n"
           "              NaN, infinite or absurd values, repeated frequencies) are named on standard\n"
           "              error with their line numbers; frequencies that look like kHz are refused.\n"
           "              (a preset file given with --preset is checked like one given to load;\n"
           "              --force uses it anyway)\n";
}
