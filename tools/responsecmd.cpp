#include "responsecmd.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "eqcommands.h"

#include "orvix/complexresponse.h"
#include "orvix/settingsmodel.h"
#include "tuning/systemview.h"

namespace {

// An output number 1..8 as typed; -1 when it is none.
int ParseOutput(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '8') return -1;
    return text[0] - '1';
}

bool ParseSum(const std::string& text, std::vector<int>* pOut, std::string* pError) {
    std::set<int> seen;
    std::size_t nStart = 0;
    while (true) {
        const std::size_t nComma = text.find(',', nStart);
        const std::string item = text.substr(nStart, nComma == std::string::npos ? nComma : nComma - nStart);
        const int ch = ParseOutput(item);
        if (ch < 0 || !seen.insert(ch).second) {
            *pError = "--sum needs different output numbers 1..8 separated by commas, like 1,3,7";
            return false;
        }
        pOut->push_back(ch);
        if (nComma == std::string::npos) return true;
        nStart = nComma + 1;
    }
}

} // namespace

CLI::App* AddResponseCommand(CLI::App& app, SResponseOptions& opt, CtlCli::CUsage& usage) {
    using CtlCli::Check;
    CLI::App* cmd =
        app.add_subcommand("response", "print the response of outputs on the graph's frequency grid");
    cmd->footer(ResponseHelp());
    auto outputs = std::make_shared<std::set<int>>();
    usage.Required(cmd,
                   cmd->add_option_function<std::vector<std::string>>(
                          "--output",
                          [&opt](const std::vector<std::string>& values) {
                              for (const std::string& v : values)
                                  opt.outputs.push_back(ParseOutput(v));
                          },
                          "print output N (1..8; repeatable)")
                       ->type_name("N")
                       ->allow_extra_args(false)
                       ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                       ->check(Check(
                           [outputs](const std::string& v) {
                               const int ch = ParseOutput(v);
                               if (ch < 0) return std::string("--output needs an output number 1..8");
                               if (!outputs->insert(ch).second)
                                   return "--output " + std::to_string(ch + 1) + " is given twice";
                               return std::string();
                           },
                           "1..8")),
                   "response needs --output N (1..8)");
    cmd->add_option_function<std::string>(
           "--sum",
           [&opt](const std::string& v) {
               std::string error;
               opt.sum.clear();
               ParseSum(v, &opt.sum, &error);
           },
           "also the complex sum of these outputs")
        ->type_name("1,3,7")
        ->check(Check(
            [](const std::string& v) {
                std::vector<int> sum;
                std::string error;
                return ParseSum(v, &sum, &error) ? std::string() : error;
            },
            ""));
    cmd->add_flag("--phase", opt.bPhase, "the phase in degrees too");
    cmd->add_option("--preset", opt.presetPath, "read the preset file FILE, not the processor")
        ->type_name("FILE")
        ->check(CtlCli::NotEmpty("--preset needs a file name"));
    cmd->add_flag("--csv", opt.bCsv, "comma-separated, after a '#' header line");
    CLI::Option* pMeasurement =
        cmd->add_option_function<std::vector<std::string>>(
               "--measurement",
               [&opt](const std::vector<std::string>& values) {
                   for (const std::string& v : values) {
                       const std::size_t nSplit = v.find('=');
                       opt.measurements.emplace_back(ParseOutput(v.substr(0, nSplit)), v.substr(nSplit + 1));
                   }
               },
               "a measurement export of output N (repeatable)")
            ->type_name("N=FILE")
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->check(Check(
                [](const std::string& v) {
                    const std::size_t nSplit = v.find('=');
                    const int ch = nSplit == std::string::npos ? -1 : ParseOutput(v.substr(0, nSplit));
                    return ch < 0 || nSplit + 1 >= v.size()
                               ? std::string("--measurement needs an output number 1..8 and a file, like "
                                             "3=tweeter.txt")
                               : std::string();
                },
                ""));
    CLI::Option* pColumn =
        cmd->add_option("--column", opt.column, "the measurements' level column, by name or number")
            ->type_name("NAME")
            ->check(CtlCli::NotEmpty("--column needs a column name or number"));
    CLI::Option* pWith = cmd->add_option("--measured-with", opt.measuredWith,
                                         "the measurements were taken through FILE's settings")
                             ->type_name("FILE")
                             ->check(CtlCli::NotEmpty("--measured-with needs a preset file name"));
    CLI::Option* pRaw = cmd->add_flag("--raw", opt.bRaw, "the measurements are of the bare drivers");
    CLI::Option* pSum = cmd->get_option("--sum");
    usage.Needs(cmd, pColumn, pMeasurement, "--column goes with --measurement");
    usage.Needs(cmd, pMeasurement, pSum, "--measurement goes with --sum");
    usage.Excludes(cmd, pRaw, pWith, "--raw (bare drivers) and --measured-with FILE exclude each other");
    return cmd;
}

std::string ResponseHelp() {
    return "Prints the response of outputs N, M ... (1..8) on the graph's frequency grid: filters, channel\n"
           "level, polarity and delay; with --sum also the complex sum of those outputs, with --phase the\n"
           "phase in degrees too. Reads the processor, or the preset file FILE with --preset. With --csv:\n"
           "a '#' header line, then frequency in Hz, each output's dB (and degrees), the sum's dB (and\n"
           "degrees), comma-separated, one line per grid point. A muted output is drawn as it would play,\n"
           "under a name that says so (out1_muted_db), and adds nothing to the sum (sum1_muted+3_db).\n"
           "--measurement N=FILE (repeatable) gives output N a measurement export (frequency, dB,\n"
           "degrees), taken through the settings read (--measured-with FILE: through those of the preset\n"
           "file FILE; --raw: of the bare drivers); when every output of --sum has one with phase, the\n"
           "sum is each measurement x (response now / response it was taken through) (column\n"
           "sum..._measured_db), otherwise the processor's alone and a note on standard error says why.\n"
           "Measurement files are read as eq-fit reads them (--column NAME: see there).\n"
           "The curves are the manager's drawing model of the processor's filters, evaluated at a drawing\n"
           "rate of 192 kHz, not a measurement of the processor: in the top octave (above about 10 kHz),\n"
           "where the sample rate shapes a filter, the processor's own filters may differ from the drawing.\n"
           "Status 3: the --preset file has missing keys (the curves use their defaults).";
}

bool LoadResponseMeasurements(const SResponseOptions& opt, ChannelTunings* pTunings,
                              std::vector<std::string>* pMessages) {
    for (const auto& [ch, path] : opt.measurements) {
        const SMeasurementRead r = ReadMeasurementFile(path, opt.column);
        const std::vector<std::string> lines = MeasurementMessages(path, r);
        pMessages->insert(pMessages->end(), lines.begin(), lines.end());
        if (!r.bOk) return false;
        SChannelTuning& t = (*pTunings)[static_cast<std::size_t>(ch)];
        t.measured = CurveOnGrid(r.curve);
        t.measuredPhase = PhaseOnGrid(r.curve);
        t.szMeasurement = path;
    }
    return true;
}

void ApplyMeasuredWith(const SResponseOptions& opt, const CSettingsModel& with, const std::string& szWithName,
                       ChannelTunings* pTunings) {
    for (const auto& [ch, path] : opt.measurements) {
        SChannelTuning& t = (*pTunings)[static_cast<std::size_t>(ch)];
        if (opt.bRaw)
            SetMeasuredRaw(t);
        else
            SetMeasuredThrough(t, with, ch, szWithName);
    }
}

std::vector<std::string> PrintResponse(std::FILE* pOut, const CSettingsModel& m, const SResponseOptions& opt,
                                       const ChannelTunings* pTunings) {
    std::vector<ZUtils::ZComplexCurve> curves(opt.outputs.size());
    for (std::size_t k = 0; k < opt.outputs.size(); ++k)
        CSystemView::OutputResponse(m, opt.outputs[k], &curves[k]);
    // A silent output keeps its curve (what it would play) under a column that says it is muted, and
    // adds nothing to the sum, whose name marks it as muted too.
    const unsigned nSilenced = CSystemView::SilencedMask(m);
    auto silent = [nSilenced](int ch) { return ((nSilenced >> ch) & 1u) != 0; };
    ZUtils::ZComplexCurve sum;
    std::string sumName, muted;
    std::vector<std::string> notes;
    if (!opt.sum.empty()) {
        std::vector<ZUtils::ZComplexCurve> members(opt.sum.size());
        std::vector<const ZUtils::ZComplexCurve*> pointers;
        int nMuted = 0;
        for (std::size_t k = 0; k < opt.sum.size(); ++k) {
            CSystemView::OutputResponse(m, opt.sum[k], &members[k]);
            pointers.push_back(&members[k]);
            const std::string number = std::to_string(opt.sum[k] + 1);
            sumName += (k ? "+" : "") + number + (silent(opt.sum[k]) ? "_muted" : "");
            if (silent(opt.sum[k])) muted += (nMuted++ ? ", Out " : "Out ") + number;
        }
        SGroupSum total;
        SumGroup(opt.sum, pointers, pTunings, &total, nSilenced);
        total.sum.Result(&sum);
        if (total.bMeasured) sumName += "_measured";
        if (nMuted) notes.push_back(muted + (nMuted == 1 ? " is" : " are") + " muted: not in the sum");
        if (!total.note.empty()) notes.push_back(total.note);
    }

    // Header: column names, comma-separated for CSV, aligned for reading otherwise.
    std::vector<std::string> columns = {"frequency_hz"};
    for (int ch : opt.outputs) {
        const std::string name = "out" + std::to_string(ch + 1) + (silent(ch) ? "_muted" : "");
        columns.push_back(name + "_db");
        if (opt.bPhase) columns.push_back(name + "_deg");
    }
    if (!opt.sum.empty()) {
        columns.push_back("sum" + sumName + "_db");
        if (opt.bPhase) columns.push_back("sum" + sumName + "_deg");
    }
    const char* pszSep = opt.bCsv ? "," : " ";
    // Aligned columns are 14 wide, wider where a name needs it (a long sum), so names never touch.
    std::vector<int> widths(columns.size(), 14);
    for (std::size_t k = 0; k < columns.size(); ++k)
        widths[k] = std::max(14, static_cast<int>(columns[k].size()) + 1 + (k ? 0 : 1));
    std::fputs("#", pOut);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (opt.bCsv)
            std::fprintf(pOut, "%s%s", k ? pszSep : " ", columns[k].c_str());
        else
            std::fprintf(pOut, "%*s", widths[k] - (k ? 0 : 1), columns[k].c_str());
    }
    std::fputc('\n', pOut);

    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    std::size_t nColumn = 0;
    auto value = [&](double f, int nDecimals, bool bFirst) {
        if (bFirst) nColumn = 0;
        if (opt.bCsv)
            std::fprintf(pOut, "%s%.*f", bFirst ? "" : pszSep, nDecimals, f);
        else
            std::fprintf(pOut, "%*.*f", widths[nColumn], nDecimals, f);
        ++nColumn;
    };
    for (int i = 0; i < grid.m_nCount; ++i) {
        value(grid.m_fFreq[i], 2, true);
        for (const ZUtils::ZComplexCurve& c : curves) {
            value(c.m_fDb[i], 3, false);
            if (opt.bPhase) value(ZUtils::WrapDegrees(c.m_fPhaseDeg[i]), 2, false);
        }
        if (!opt.sum.empty()) {
            value(sum.m_fDb[i], 3, false);
            if (opt.bPhase) value(ZUtils::WrapDegrees(sum.m_fPhaseDeg[i]), 2, false);
        }
        std::fputc('\n', pOut);
    }
    return notes;
}
