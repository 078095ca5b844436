#include "tuning/eqimport.h"
#include "orvix/filtersection.h"
#include "presets/textfile.h"
#include "presets/textparse.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// Filter lists are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFileBytes = 1u << 20;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    const std::size_t b = s.find_first_not_of(" \t\r\n\f\v");
    if (b == std::string_view::npos) return {};
    const std::size_t e = s.find_last_not_of(" \t\r\n\f\v");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Tokens(std::string_view s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        const std::size_t b = i;
        while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        if (i > b) out.emplace_back(s.substr(b, i - b));
    }
    return out;
}

// A number with a decimal point or a decimal comma, independent of the locale, optionally followed by
// its unit ("105Hz"); the unit, when glued on, is returned in *pUnit (in lower case).
std::optional<double> Number(std::string_view token, std::string* pUnit = nullptr) {
    if (!pUnit) return ParseReal(token, NumberRules::kEqListValue);
    SNumberRules rules = NumberRules::kEqListValue;
    rules.extent = ENumberExtent::LEADING;
    std::size_t nEnd = 0;
    const std::optional<double> f = ParseReal(token, rules, &nEnd);
    if (f) *pUnit = Lower(token.substr(nEnd));
    return f;
}

std::string Fmt(const char* pszFormat, double f) {
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, f);
    return sz;
}

std::string LineText(int nLine, const std::string& text) {
    return nLine > 0 ? "line " + std::to_string(nLine) + ": " + text : text;
}

// Equalizer commands that are not filters and have no place in the bands.
bool IsOtherCommand(const std::string& lower) {
    static const char* const kCommands[] = {
        "include:",     "graphiceq:", "device:", "copy:",   "eval:", "delay:",
        "convolution:", "stage:",     "if:",     "elseif:", "else:", "endif:"};
    for (const char* psz : kCommands)
        if (lower.rfind(psz, 0) == 0) return true;
    return false;
}

struct SFilterLine {
    bool bOn = false;
    std::string type;
    std::optional<double> fFreq, fGain, fQ, fBwOct;
    std::string szBad; // what could not be read
};

// The part after "Filter [n]:".
SFilterLine ParseFilterBody(std::string_view body) {
    SFilterLine f;
    const std::vector<std::string> tok = Tokens(body);
    if (tok.empty()) {
        f.szBad = "no ON or OFF";
        return f;
    }
    const std::string state = Lower(tok[0]);
    if (state != "on" && state != "off") {
        f.szBad = "'" + tok[0] + "' where ON or OFF belongs";
        return f;
    }
    f.bOn = state == "on";
    std::size_t i = 1;
    auto isKey = [](const std::string& t) {
        const std::string l = Lower(t);
        return l == "fc" || l == "gain" || l == "q" || l == "bw";
    };
    while (i < tok.size() && !isKey(tok[i])) {
        if (!f.type.empty()) f.type += ' ';
        f.type += Upper(tok[i]);
        ++i;
    }
    while (i < tok.size()) {
        const std::string key = Lower(tok[i++]);
        if (key != "fc" && key != "gain" && key != "q" && key != "bw") {
            f.szBad = "'" + tok[i - 1] + "' is not a filter value";
            return f;
        }
        if (key == "bw" && i < tok.size() && Lower(tok[i]) == "oct") ++i;
        if (i >= tok.size()) {
            f.szBad = "no value after " + key;
            return f;
        }
        std::string unit;
        const std::optional<double> value = Number(tok[i], &unit);
        if (!value) {
            f.szBad = "'" + tok[i] + "' is not a number";
            return f;
        }
        ++i;
        double fValue = *value;
        // The unit, glued on or as the next token.
        if (unit.empty() && i < tok.size()) {
            const std::string next = Lower(tok[i]);
            if (next == "hz" || next == "khz" || next == "db") {
                unit = next;
                ++i;
            }
        }
        if (key == "fc") {
            if (unit == "khz")
                fValue *= 1000.0;
            else if (!unit.empty() && unit != "hz") {
                f.szBad = "unit '" + unit + "' of Fc";
                return f;
            }
            f.fFreq = fValue;
        } else if (key == "gain") {
            if (!unit.empty() && unit != "db") {
                f.szBad = "unit '" + unit + "' of the gain";
                return f;
            }
            f.fGain = fValue;
        } else if (key == "q") {
            f.fQ = fValue;
        } else {
            f.fBwOct = fValue;
        }
    }
    return f;
}

// Q of a peaking filter from its bandwidth in octaves.
double QFromOctaves(double fOct) {
    const double f2 = std::pow(2.0, fOct);
    return std::sqrt(f2) / (f2 - 1.0);
}

std::string SignedDb(double f) {
    return Fmt(f > 0 ? "+%g dB" : "%g dB", f);
}

std::string QText(double fQ) {
    return Fmt("%.3f", fQ);
}

// Values far beyond anything a filter list holds mean a broken file rather than a strong filter: they
// are refused instead of clamped. Empty when the values are plausible.
std::string AbsurdValue(double fFreq, double fGain, double fQ) {
    if (fFreq > EqLimits::kMaxPlausibleFreq)
        return "Fc " + Fmt("%g Hz", fFreq) + " is no audio frequency (more than 1 MHz)";
    if (std::fabs(fGain) > EqLimits::kMaxPlausibleGain)
        return "Gain " + SignedDb(fGain) + " is beyond any filter (more than 100 dB)";
    if (fQ > EqLimits::kMaxPlausibleQ || fQ < EqLimits::kMinPlausibleQ)
        return "Q " + Fmt("%g", fQ) + " is beyond any filter (outside 0.001..1000)";
    return {};
}

} // namespace

namespace EqSteps {
SFilterCoef FlatBand(int nBand) {
    SFilterCoef c{};
    c.Filtertype = FT_PEAKING;
    c.Gain = 0;
    c.BandWidth = static_cast<float>(kBandWidthMin);
    c.Freq = CRev8001Lib::DEFAULT_EQ_FREQ[std::clamp(nBand, 0, CRev8001Lib::EQ_BANDS - 1)];
    return c;
}
} // namespace EqSteps

namespace {
// The stepped filter's level on the grid points within 20..20000 Hz.
std::vector<double> SteppedCurve(const SFilterCoef& c) {
    std::vector<double> all(RESPONSE_POINTS, 0.0);
    ZUtils::SBiquad q;
    if (c.Gain != 0 && ZUtils::DesignSection(c, 0, &q)) ZUtils::AddSectionCurve(q, all.data());
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    std::vector<double> out;
    for (int i = 0; i < grid.m_nCount; ++i)
        if (grid.m_fFreq[i] >= 20.0 && grid.m_fFreq[i] <= 20000.0)
            out.push_back(all[static_cast<std::size_t>(i)]);
    return out;
}

void RmsAndMax(const std::vector<double>& d, double* pRms, double* pMax) {
    double fSum = 0.0, fMax = 0.0;
    for (double v : d) {
        fSum += v * v;
        fMax = std::max(fMax, std::fabs(v));
    }
    *pRms = d.empty() ? 0.0 : std::sqrt(fSum / static_cast<double>(d.size()));
    *pMax = fMax;
}
} // namespace

SBandSelection SelectBands(const std::vector<SFilterCoef>& filters, int nBands) {
    SBandSelection s;
    const std::size_t n = filters.size();
    s.bKept.assign(n, true);
    s.fRmsCost.assign(n, 0.0);
    s.fMaxCost.assign(n, 0.0);
    std::vector<std::vector<double>> curves;
    for (const SFilterCoef& c : filters)
        curves.push_back(SteppedCurve(c));
    for (std::size_t k = 0; k < n; ++k)
        RmsAndMax(curves[k], &s.fRmsCost[k], &s.fMaxCost[k]);
    if (static_cast<int>(n) <= nBands) return s;
    // Each filter's curve adds in dB, so the change of leaving one out is its own curve: the cheapest
    // goes first, ties to the later line. Dropping them together costs their sum.
    std::vector<std::size_t> order(n);
    for (std::size_t k = 0; k < n; ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (s.fRmsCost[a] != s.fRmsCost[b]) return s.fRmsCost[a] < s.fRmsCost[b];
        return a > b;
    });
    std::vector<double> total(curves.empty() ? 0 : curves[0].size(), 0.0);
    for (std::size_t j = 0; j < n - static_cast<std::size_t>(nBands); ++j) {
        s.bKept[order[j]] = false;
        ++s.nLeftOut;
        for (std::size_t i = 0; i < total.size(); ++i)
            total[i] += curves[order[j]][i];
    }
    RmsAndMax(total, &s.fRmsTotal, &s.fMaxTotal);
    return s;
}

const char* SEqNote::KindName(EKind kind) {
    switch (kind) {
    case IGNORED:
        return "ignored";
    case PREAMP:
        return "preamp";
    case CHANNEL:
        return "channel";
    case LEFT_OUT:
        return "leftOut";
    case ADJUSTED:
        return "adjusted";
    }
    return "ignored";
}

SFilterCoef MapPeakingFilter(double fFreq, double fGain, double fQ, int nLine, std::vector<SEqNote>* pNotes,
                             int* pnRounded) {
    using namespace EqSteps;
    auto note = [&](const std::string& text) {
        if (pNotes) pNotes->push_back({nLine, SEqNote::ADJUSTED, text});
    };
    auto rounded = [&] {
        if (pnRounded) ++*pnRounded;
    };
    SFilterCoef c{};
    c.Filtertype = FT_PEAKING;

    const double fHz = std::clamp(std::round(fFreq), double(kFreqMin), double(kFreqMax));
    if (std::fabs(fHz - fFreq) > 0.5)
        note("Fc " + Fmt("%g Hz", fFreq) + " -> " + Fmt("%g Hz", fHz) + " (the bands reach 16..20000 Hz)");
    else if (fHz != fFreq)
        rounded();
    c.Freq = static_cast<std::uint16_t>(fHz);

    // std::round takes halves away from zero.
    const double fDb = std::clamp(std::round(fGain), double(kGainMin), double(kGainMax));
    if (std::fabs(fDb - fGain) > 0.5)
        note("Gain " + SignedDb(fGain) + " -> " + SignedDb(fDb) + " (the bands reach -12..+12 dB)");
    else if (fDb != fGain)
        rounded();
    c.Gain = static_cast<std::int8_t>(fDb);

    const double fBw = fQ / kQPerBandWidth;
    const double fStepped =
        std::clamp(std::round(fBw / kBandWidthStep) * kBandWidthStep, kBandWidthMin, kBandWidthMax);
    if (std::fabs(fStepped - fBw) > kBandWidthStep / 2.0)
        note("Q " + QText(fQ) + " -> " + QText(fStepped * kQPerBandWidth) +
             " (BandWidth = 2 Q reaches 1.0..10.0, Q 0.5..5)");
    else if (fStepped != fBw)
        rounded();
    c.BandWidth = static_cast<float>(fStepped);
    return c;
}

std::vector<std::string> SEqImport::Lines() const {
    std::vector<std::string> out;
    if (!bOk)
        out.push_back(szError);
    else
        out.push_back(
            "Imported " + std::to_string(nImported) + (nImported == 1 ? " filter" : " filters") +
            " into the bands; " + std::to_string(CRev8001Lib::EQ_BANDS - nImported) + " left flat." +
            (nRounded ? " " + std::to_string(nRounded) + " values rounded to the processor's steps." : ""));
    for (const SEqNote& n : notes)
        out.push_back(LineText(n.nLine, n.text));
    return out;
}

SEqImport ParseEqFilterText(std::string_view text) {
    SEqImport r;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    struct STaken {
        int nLine;
        double fFreq, fGain, fQ;
        bool bQMissing;
    };
    std::vector<STaken> taken;
    std::string absurd; // the first value no filter can have, with its line
    bool bSeenFilter = false;
    int nLine = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++nLine;
        const std::string_view line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';' || line.substr(0, 2) == "//") {
            if (end == text.size()) break;
            continue;
        }
        const std::string lower = Lower(line);
        auto ignore = [&](const std::string& why) { r.notes.push_back({nLine, SEqNote::IGNORED, why}); };

        if (lower.rfind("preamp", 0) == 0 && lower.find(':') != std::string::npos) {
            const std::vector<std::string> tok = Tokens(line.substr(line.find(':') + 1));
            const std::optional<double> f = tok.empty() ? std::nullopt : Number(tok[0], nullptr);
            r.notes.push_back(
                {nLine, SEqNote::PREAMP,
                 (f ? "Preamp " + SignedDb(*f) : std::string("Preamp")) +
                     " not imported: the bands have no preamp (lower the output's level instead)"});
        } else if (lower.rfind("channel", 0) == 0 && lower.find(':') != std::string::npos) {
            r.notes.push_back(
                {nLine, SEqNote::CHANNEL,
                 "'" + std::string(line) +
                     "': channel selections are not followed; the filters go to the chosen output"});
        } else if (lower.rfind("filter", 0) == 0) {
            // "Filter:", "Filter 1:", "Filter1:"; anything else ("Filter Settings file") is a heading.
            std::size_t i = 6;
            while (i < lower.size() && std::isspace(static_cast<unsigned char>(lower[i])))
                ++i;
            while (i < lower.size() && std::isdigit(static_cast<unsigned char>(lower[i])))
                ++i;
            while (i < lower.size() && std::isspace(static_cast<unsigned char>(lower[i])))
                ++i;
            if (i >= lower.size() || lower[i] != ':') {
                if (bSeenFilter) ignore("not understood, ignored");
            } else {
                bSeenFilter = true;
                ++r.nFilterLines;
                const SFilterLine f = ParseFilterBody(line.substr(i + 1));
                const bool bPeaking = f.type == "PK" || f.type == "PEQ";
                if (!f.szBad.empty()) {
                    ignore("unreadable filter (" + f.szBad + "), not imported");
                } else if (!f.bOn) {
                    ignore("filter is OFF, not imported");
                } else if (f.type.empty() || f.type == "NONE") {
                    ignore("empty filter (no type), skipped");
                } else if (!bPeaking) {
                    ignore(f.type + " filter not importable (the bands are peaking sections)");
                } else if (!f.fFreq || !f.fGain) {
                    ignore(std::string("incomplete filter (no ") + (!f.fFreq ? "Fc" : "gain") +
                           "), not imported");
                } else if (*f.fFreq <= 0.0) {
                    ignore("Fc " + Fmt("%g", *f.fFreq) + " Hz is not a frequency, not imported");
                } else {
                    double fQ = EqSteps::kDefaultQ;
                    bool bMissing = false;
                    if (f.fQ)
                        fQ = *f.fQ;
                    else if (f.fBwOct && *f.fBwOct > 0.0)
                        fQ = QFromOctaves(*f.fBwOct);
                    else
                        bMissing = true;
                    if (!(fQ > 0.0) || !std::isfinite(fQ))
                        ignore("Q " + Fmt("%g", fQ) + " is not a usable value, not imported");
                    else if (const std::string why = AbsurdValue(*f.fFreq, *f.fGain, fQ); !why.empty())
                        absurd = absurd.empty() ? LineText(nLine, why) : absurd;
                    else
                        taken.push_back({nLine, *f.fFreq, *f.fGain, fQ, bMissing});
                }
            }
        } else if (IsOtherCommand(lower)) {
            ignore("'" + std::string(line.substr(0, line.find(':'))) + "' is not a filter, ignored");
        } else if (bSeenFilter) {
            ignore("not understood, ignored");
        }
        if (end == text.size()) break;
    }

    if (!absurd.empty()) {
        r.szError = absurd + ": the file is refused, nothing was imported.";
        return r;
    }

    // Every filter on the steps, with what mapping it adjusted; of more than ten, the ten whose loss
    // changes the stepped curve least are kept, in file order.
    struct SMapped {
        SFilterCoef coef;
        int nLine;
        std::vector<SEqNote> notes;
        int nRounded = 0;
    };
    std::vector<SMapped> all;
    for (const STaken& t : taken) {
        SMapped m{{}, t.nLine, {}, 0};
        if (t.bQMissing)
            m.notes.push_back(
                {t.nLine, SEqNote::ADJUSTED, "no Q given; Q " + Fmt("%.3f", EqSteps::kDefaultQ) + " used"});
        m.coef = MapPeakingFilter(t.fFreq, t.fGain, t.fQ, t.nLine, &m.notes, &m.nRounded);
        all.push_back(std::move(m));
    }
    std::vector<SFilterCoef> coefs;
    for (const SMapped& m : all)
        coefs.push_back(m.coef);
    const SBandSelection sel = SelectBands(coefs, CRev8001Lib::EQ_BANDS);
    std::vector<std::pair<SFilterCoef, int>> mapped;
    for (std::size_t k = 0; k < all.size(); ++k) {
        const SMapped& m = all[k];
        if (sel.bKept[k]) {
            r.notes.insert(r.notes.end(), m.notes.begin(), m.notes.end());
            r.nRounded += m.nRounded;
            mapped.emplace_back(m.coef, m.nLine);
            continue;
        }
        const STaken& t = taken[k];
        r.notes.push_back({t.nLine, SEqNote::LEFT_OUT,
                           "PK " + Fmt("%g Hz", t.fFreq) + " " + SignedDb(t.fGain) + " Q " + QText(t.fQ) +
                               " left out: the output has ten bands" +
                               (m.coef.Gain == 0 ? " and it rounds to 0 dB"
                                                 : "; leaving it out changes the curve by " +
                                                       Fmt("%.2f dB RMS, ", sel.fRmsCost[k]) +
                                                       Fmt("%.2f dB max", sel.fMaxCost[k]))});
    }
    if (sel.nLeftOut > 0)
        r.notes.push_back({0, SEqNote::LEFT_OUT,
                           "Leaving out " + std::to_string(sel.nLeftOut) +
                               (sel.nLeftOut == 1 ? " filter" : " filters") + " changes the curve by " +
                               Fmt("%.2f dB RMS, ", sel.fRmsTotal) + Fmt("%.2f dB max", sel.fMaxTotal) +
                               " (20..20000 Hz)"});
    // Filters that do something first, in ascending frequency; filters of 0 dB after them in file
    // order, so that what an export writes comes back band for band.
    std::stable_sort(mapped.begin(), mapped.end(), [](const auto& a, const auto& b) {
        if ((a.first.Gain == 0) != (b.first.Gain == 0)) return b.first.Gain == 0;
        return a.first.Gain != 0 && a.first.Freq < b.first.Freq;
    });
    // In line order; notes on the file as a whole after the lines.
    std::stable_sort(r.notes.begin(), r.notes.end(), [](const SEqNote& a, const SEqNote& b) {
        return (a.nLine == 0 ? INT_MAX : a.nLine) < (b.nLine == 0 ? INT_MAX : b.nLine);
    });
    r.nImported = static_cast<int>(mapped.size());
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
        r.bands[b] = b < r.nImported ? mapped[static_cast<std::size_t>(b)].first : EqSteps::FlatBand(b);
    r.bOk = r.nImported > 0;
    if (!r.bOk)
        r.szError = r.nFilterLines == 0 ? "No filter lines found: this is not a filter file."
                                        : "No peaking filter that is ON was found; nothing was imported.";
    return r;
}

SEqImport ImportEqFilterFile(const std::string& path) {
    SEqImport r;
    std::string text;
    if (!ReadTextFile(path, kMaxFileBytes, "1 MiB", "a filter file", &text, &r.szError)) return r;
    return ParseEqFilterText(text);
}

std::string ExportEqFilterText(const SFilterCoef* pBands, bool bEnabled, int nOutput) {
    std::string out = "# MLB-8 output " + std::to_string(nOutput) + " equalizer" +
                      (bEnabled ? "" : " (switched off)") + "\n";
    for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b) {
        const SFilterCoef& c = pBands[b];
        const bool bOn = bEnabled && c.Filtertype == FT_PEAKING;
        char sz[128];
        std::snprintf(sz, sizeof sz, "Filter %d: %s PK Fc %u Hz Gain %d dB Q %.3f\n", b + 1,
                      bOn ? "ON" : "OFF", unsigned(c.Freq), int(c.Gain),
                      static_cast<double>(c.BandWidth) * EqSteps::kQPerBandWidth);
        out += sz;
    }
    return out;
}
