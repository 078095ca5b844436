#include "responsecmd.h"

#include <algorithm>
#include <cstring>
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

void AddResponseOptions(ZUtils::CCmdLine& cmdline, SResponseOptions& opt) {
    // Every option marks that one was given, then takes its value.
    auto flag = [&opt](bool& bSet) {
        return [&opt, &bSet](std::string&) {
            opt.bAny = bSet = true;
            return true;
        };
    };
    auto value = [&opt](auto take) {
        return [&opt, take](const std::string& v, std::string& error) {
            opt.bAny = true;
            return take(v, error);
        };
    };
    auto text = [&value](std::string& target, const char* pszNeeds) {
        return value([&target, pszNeeds](const std::string& v, std::string& error) {
            if (v.empty()) {
                error = pszNeeds;
                return false;
            }
            target = v;
            return true;
        });
    };
    cmdline.Flag({"--phase"}, flag(opt.bPhase))
        .Flag({"--raw"}, flag(opt.bRaw))
        .Value({"--measured-with"}, text(opt.measuredWith, "--measured-with needs a preset file name"))
        .Flag({"--csv"}, flag(opt.bCsv))
        .Value({"--output"}, value([&opt](const std::string& v, std::string& error) {
                   const int ch = ParseOutput(v);
                   if (ch < 0) {
                       error = "--output needs an output number 1..8";
                       return false;
                   }
                   if (std::find(opt.outputs.begin(), opt.outputs.end(), ch) != opt.outputs.end()) {
                       error = "--output " + std::to_string(ch + 1) + " is given twice";
                       return false;
                   }
                   opt.outputs.push_back(ch);
                   return true;
               }))
        .Value({"--sum"}, value([&opt](const std::string& v, std::string& error) {
                   opt.sum.clear();
                   return ParseSum(v, &opt.sum, &error);
               }))
        .Value({"--preset"}, text(opt.presetPath, "--preset needs a file name"))
        .Value({"--column"}, text(opt.column, "--column needs a column name or number"))
        .Value({"--measurement"}, value([&opt](const std::string& v, std::string& error) {
                   const std::size_t nSplit = v.find('=');
                   const int ch = nSplit == std::string::npos ? -1 : ParseOutput(v.substr(0, nSplit));
                   if (ch < 0 || nSplit + 1 >= v.size()) {
                       error = "--measurement needs an output number 1..8 and a file, like 3=tweeter.txt";
                       return false;
                   }
                   opt.measurements.emplace_back(ch, v.substr(nSplit + 1));
                   return true;
               }));
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
