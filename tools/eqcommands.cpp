#include "eqcommands.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "editor/editorcore.h"
#include "editor/eqapply.h"
#include "editor/eqfit.h"
#include "editor/eqimport.h"
#include "editor/eqtuning.h"
#include "editor/measurement.h"
#include "editor/presetfile.h"
#include "jsonout.h"

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
    if (opt.bRaw) {
        SetMeasuredRaw(tuning);
    } else if (!opt.measuredWith.empty()) {
        ZUtils::ZProfile profile;
        if (!s.Core().Files().CheckPresetFile(opt.measuredWith, EPresetRead::File, profile)) {
            std::fprintf(stderr, "mlb8ctl: cannot read the preset file %s: %s.\n", opt.measuredWith.c_str(),
                         s.Core().Files().LastError().c_str());
            return kExitFailed;
        }
        CSettingsModel with;
        with.WriteStartupDefaults();
        ReadPresetKeys(profile, with, EPresetRead::File);
        SetMeasuredThrough(tuning, with, ch, opt.measuredWith);
    } else {
        SetMeasuredThrough(tuning, s.Core().Model(), ch,
                           opt.presetIn.empty() ? "the processor's settings" : opt.presetIn);
    }
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

} // namespace

bool IsEqCommand(const std::string& command) {
    return command == "eq-import" || command == "eq-export" || command == "eq-fit";
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
    return "  eq-import FILE --output N [--pair] [--preset IN --write OUT]\n"
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
