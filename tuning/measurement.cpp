#include "tuning/measurement.h"
#include "presets/textfile.h"
#include "presets/textparse.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

#include "orvix/complexresponse.h"
#include "orvix/filtersection.h"

namespace {

// Exports of a few hundred thousand points are a few megabytes.
constexpr std::size_t kMaxFileBytes = 64u << 20;
// Notes listed in a report before the rest is counted.
constexpr std::size_t kNotesShown = 8;

// A number as exported: '+' allowed, decimal commas when the line uses them; "nan", "inf" and values
// beyond the double's range are read (as NaN, infinities, the largest value or zero) so that they can
// be named, not lost.
bool ParseNumber(std::string_view s, bool bDecimalComma, double* pValue) {
    const std::optional<double> f =
        ParseReal(s, bDecimalComma ? NumberRules::kMeasurementComma : NumberRules::kMeasurement);
    if (f) *pValue = *f;
    return f.has_value();
}

// The fields of a line. A semicolon, a tab or else a comma separates them, and each field is
// trimmed (empty fields keep their place); without those, runs of spaces separate them. A comma
// is the decimal mark instead when the line is split by semicolons or tabs, or by spaces with no
// comma at a field's edge ("20,5 80,1").
struct SFields {
    std::vector<std::string_view> items;
    bool bDecimalComma = false;
};

SFields SplitFields(std::string_view line) {
    SFields out;
    const bool bSemicolon = line.find(';') != std::string_view::npos;
    const bool bTab = line.find('\t') != std::string_view::npos;
    bool bDecimalComma = bSemicolon || bTab;
    if (!bDecimalComma && line.find(',') != std::string_view::npos) {
        bool bSpaces = false, bCommaAtEdge = false;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && line[i] == ' ')
                ++i;
            const std::size_t b = i;
            while (i < line.size() && line[i] != ' ')
                ++i;
            if (i > b) {
                if (b > 0) bSpaces = true;
                if (line[b] == ',' || line[i - 1] == ',') bCommaAtEdge = true;
            }
        }
        bDecimalComma = bSpaces && !bCommaAtEdge;
    }
    out.bDecimalComma = bDecimalComma;
    const char cSep = bSemicolon                                                     ? ';'
                      : bTab                                                         ? '\t'
                      : (!bDecimalComma && line.find(',') != std::string_view::npos) ? ','
                                                                                     : ' ';
    if (cSep == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && IsBlankChar(line[i]))
                ++i;
            const std::size_t b = i;
            while (i < line.size() && !IsBlankChar(line[i]))
                ++i;
            if (i > b) out.items.push_back(line.substr(b, i - b));
        }
        return out;
    }
    std::size_t b = 0;
    while (true) {
        const std::size_t e = line.find(cSep, b);
        out.items.push_back(
            TrimBlanks(line.substr(b, e == std::string_view::npos ? std::string_view::npos : e - b)));
        if (e == std::string_view::npos) break;
        b = e + 1;
    }
    if (out.items.size() > 1 && out.items.back().empty()) out.items.pop_back(); // "20;80;"
    return out;
}

// A header column: its name as written (without a unit in brackets), the name compared (lower case),
// and whether its unit says kHz.
struct SColumn {
    std::string shown, key;
    bool bKiloHertz = false;
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The columns a line names, or none when it names no frequency column (then it is no header).
std::vector<SColumn> HeaderColumns(std::string_view line) {
    // Units in brackets go, so that "Freq (Hz)" stays one field; a kHz unit is remembered.
    std::string bare;
    std::vector<bool> kilo;
    int nDepth = 0;
    std::string unit;
    for (char c : line) {
        if (c == '(' || c == '[') {
            ++nDepth;
            unit.clear();
        } else if ((c == ')' || c == ']') && nDepth > 0) {
            if (--nDepth == 0 && Lower(TrimBlanks(unit)) == "khz") bare += "\x01"; // marks the field
        } else if (nDepth > 0) {
            unit += c;
        } else {
            bare += c;
        }
    }
    const SFields fields = SplitFields(bare);
    std::vector<SColumn> columns;
    bool bFrequency = false;
    for (std::string_view f : fields.items) {
        SColumn c;
        c.bKiloHertz = f.find('\x01') != std::string_view::npos;
        std::string name;
        for (char ch : f)
            if (ch != '\x01') name += ch;
        c.shown = std::string(TrimBlanks(name));
        c.key = Lower(c.shown);
        if (c.key.size() > 4 && c.key.substr(c.key.size() - 4) == "_khz") c.bKiloHertz = true;
        bFrequency = bFrequency || c.key == "frequency" || c.key == "freq" || c.key == "f" || c.key == "hz" ||
                     c.key == "frequency_hz" || c.key == "freq_hz" || c.key == "frequency_khz";
        columns.push_back(std::move(c));
    }
    if (!bFrequency || columns.size() < 2) return {};
    return columns;
}

int FindColumn(const std::vector<SColumn>& columns, std::initializer_list<const char*> names) {
    for (const char* pszName : names)
        for (std::size_t k = 0; k < columns.size(); ++k)
            if (columns[k].key == pszName) return static_cast<int>(k);
    return -1;
}

std::string ColumnList(const std::vector<SColumn>& columns) {
    std::string out;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (k == 12) return out + ", ...";
        out += (k ? ", " : "") + (columns[k].shown.empty() ? std::string("(unnamed)") : columns[k].shown);
    }
    return out;
}

std::string Number(double f) {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%g", f);
    return sz;
}

// Collects the notes, joining a line to the note before when the reason is the same.
class CNotes {
public:
    explicit CNotes(SMeasurementRead* pRead) : m_pRead(pRead) {}
    void Add(int nLine, const std::string& text) {
        std::vector<SMeasurementNote>& notes = m_pRead->notes;
        if (!notes.empty() && notes.back().text == text && notes.back().nLast + 1 == nLine) {
            notes.back().nLast = nLine;
        } else if (notes.size() < SMeasurementRead::kMaxNotes) {
            notes.push_back({nLine, nLine, text});
        } else {
            ++m_pRead->nNotesLeftOut;
        }
    }

private:
    SMeasurementRead* m_pRead;
};

// What is wrong with a value, or nothing.
const char* BadFrequency(double f) {
    if (!std::isfinite(f)) return "frequency is not a finite number";
    if (!(f > 0.0)) return "frequency is not above 0 Hz";
    if (f > MeasurementLimits::kMaxFreqHz) return "frequency beyond 1 MHz";
    return nullptr;
}

const char* BadLevel(double f) {
    if (!std::isfinite(f)) return "level is not a finite number";
    if (std::fabs(f) > MeasurementLimits::kMaxLevelDb) return "level beyond -1000..+1000 dB";
    return nullptr;
}

const char* BadPhase(double f) {
    if (!std::isfinite(f)) return "phase is not a finite number";
    if (std::fabs(f) > MeasurementLimits::kMaxPhaseDeg) return "phase beyond 10 million degrees";
    return nullptr;
}

} // namespace

std::vector<std::string> SMeasurementRead::Lines() const {
    std::vector<std::string> out;
    if (!bOk) {
        out.push_back(szError);
    } else {
        std::string line = "Used " + std::to_string(curve.freq.size()) + " points, " +
                           Number(curve.freq.front()) + ".." + Number(curve.freq.back()) + " Hz";
        if (!szLevelColumn.empty()) line += ", the level from the column \"" + szLevelColumn + "\"";
        out.push_back(line + ".");
    }
    int nMore = nNotesLeftOut;
    for (std::size_t k = 0; k < notes.size(); ++k) {
        const SMeasurementNote& n = notes[k];
        if (k >= kNotesShown) {
            nMore += n.nLast - n.nFirst + 1;
            continue;
        }
        if (n.nFirst == 0)
            out.push_back(n.text);
        else if (n.nFirst == n.nLast)
            out.push_back("line " + std::to_string(n.nFirst) + ": " + n.text);
        else
            out.push_back("lines " + std::to_string(n.nFirst) + "-" + std::to_string(n.nLast) + ": " +
                          n.text);
    }
    if (nMore)
        out.push_back("... and " + std::to_string(nMore) + (nMore == 1 ? " more line." : " more lines."));
    return out;
}

SMeasurementRead ParseMeasurementText(std::string_view input, const std::string& levelColumn) {
    SMeasurementRead r;
    CNotes notes(&r);
    std::string decoded, encoding;
    if (input.substr(0, 2) == "\xFF\xFE" || input.substr(0, 2) == "\xFE\xFF") {
        decoded = std::string(input);
        DecodeUtf16Text(&decoded, &encoding);
        input = decoded;
    }
    std::string_view text = input;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    struct SPoint {
        double f, level, phase;
        int nLine;
    };
    std::vector<SPoint> points;
    // Where the values are: fixed columns once the first data line is seen.
    std::vector<SColumn> header, candidate;
    int nFreq = 0, nLevel = 1, nPhase = -1;
    bool bStarted = false, bByPosition = true, bKiloHertz = false;
    bool bPhase = true; // every data line of a file without a header has a phase
    const bool bColumnNumber =
        !levelColumn.empty() && levelColumn.find_first_not_of("0123456789") == std::string::npos;
    // 1 for the first column; 0 when not given as a number (or too large)
    const int nColumnNumber = ParseInt(levelColumn, NumberRules::kColumnNumber).value_or(0);

    // Fixes the columns at the first data line of nFields fields; false (with r.szError) when the
    // header names no usable level column.
    auto start = [&](std::size_t nFields) {
        bStarted = true;
        if (!candidate.empty() && candidate.size() == nFields) header = candidate;
        for (const SColumn& c : header)
            r.columns.push_back(c.shown);
        if (!header.empty()) {
            bByPosition = false;
            nFreq = FindColumn(header,
                               {"frequency", "freq", "f", "hz", "frequency_hz", "freq_hz", "frequency_khz"});
            bKiloHertz = header[static_cast<std::size_t>(nFreq)].bKiloHertz;
            nPhase = FindColumn(header, {"phase", "degrees", "deg", "phase_deg", "phase_degrees"});
            if (levelColumn.empty()) {
                nLevel = FindColumn(header, {"raw", "spl", "magnitude", "mag", "db", "level", "spl_db"});
                if (nLevel < 0) {
                    r.szError = "Columns found: " + ColumnList(header) +
                                "; no level column (raw, spl, magnitude, db).";
                    return false;
                }
            } else {
                nLevel = bColumnNumber ? nColumnNumber - 1 : -1;
                if (!bColumnNumber) {
                    nLevel = -1;
                    for (std::size_t k = 0; k < header.size(); ++k)
                        if (header[k].key == Lower(TrimBlanks(levelColumn))) nLevel = static_cast<int>(k);
                }
                if (nLevel < 0 || nLevel >= static_cast<int>(header.size()) || nLevel == nFreq) {
                    r.szError =
                        "No level column \"" + levelColumn + "\". Columns found: " + ColumnList(header) + ".";
                    return false;
                }
            }
            r.szLevelColumn = header[static_cast<std::size_t>(nLevel)].shown;
        } else if (!levelColumn.empty()) {
            if (!bColumnNumber) {
                r.szError = "The file has no header line naming its columns, so there is no column \"" +
                            levelColumn + "\" (a column can be given by its number, 1 for the first).";
                return false;
            }
            nLevel = nColumnNumber - 1;
            if (nLevel <= 0) {
                r.szError =
                    "Column " + levelColumn + " cannot be the level: the first column is the frequency.";
                return false;
            }
            bByPosition = false;
            nPhase = -1;
        }
        return true;
    };

    int nLine = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A line ends at LF, CR LF or a lone CR.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = TrimBlanks(text.substr(pos, end - pos));
        pos = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
        ++nLine;
        if (line.empty()) continue;
        const bool bComment = line[0] == '*' || line[0] == '#';
        if (bComment) {
            if (!bStarted) {
                std::string_view rest = line;
                while (!rest.empty() && (rest.front() == '*' || rest.front() == '#'))
                    rest.remove_prefix(1);
                if (std::vector<SColumn> c = HeaderColumns(TrimBlanks(rest)); !c.empty())
                    candidate = std::move(c);
            }
            continue;
        }
        const SFields fields = SplitFields(line);
        double fFirst = 0.0;
        const bool bData =
            !fields.items.empty() && ParseNumber(fields.items[0], fields.bDecimalComma, &fFirst);
        if (!bData) {
            ++r.nSkipped;
            if (bStarted)
                notes.Add(nLine, "not a line of numbers");
            else if (std::vector<SColumn> c = HeaderColumns(line); !c.empty())
                candidate = std::move(c), --r.nSkipped;
            continue;
        }
        ++r.nDataLines;
        if (!bStarted && !start(fields.items.size())) return r;
        std::vector<double> n;
        const char* pszBad = nullptr;
        if (bByPosition) {
            for (std::string_view item : fields.items) {
                double f = 0.0;
                if (item.empty()) continue;
                if (!ParseNumber(item, fields.bDecimalComma, &f)) {
                    pszBad = "not a line of numbers";
                    break;
                }
                n.push_back(f);
            }
            if (!pszBad && n.size() < 2) pszBad = "a frequency without a level";
            if (!pszBad && n.size() > 3) pszBad = "more numbers than frequency, level and phase";
            if (!pszBad) bPhase = bPhase && n.size() == 3;
        } else {
            const int nNeeded = std::max({nFreq, nLevel, nPhase}) + 1;
            if (static_cast<int>(fields.items.size()) < nNeeded) {
                pszBad = "fewer columns than the header names";
            } else {
                for (int k : {nFreq, nLevel, nPhase}) {
                    double f = std::numeric_limits<double>::quiet_NaN();
                    if (k >= 0 &&
                        !ParseNumber(fields.items[static_cast<std::size_t>(k)], fields.bDecimalComma, &f)) {
                        pszBad = k == nFreq    ? "the frequency is not a number"
                                 : k == nLevel ? "the level is not a number"
                                               : "the phase is not a number";
                        break;
                    }
                    n.push_back(k >= 0 ? f : 0.0);
                }
            }
        }
        if (!pszBad) {
            if (bKiloHertz) n[0] *= 1000.0;
            pszBad = BadFrequency(n[0]);
            if (!pszBad) pszBad = BadLevel(n[1]);
            if (!pszBad && n.size() > 2 && (nPhase >= 0 || bByPosition)) pszBad = BadPhase(n[2]);
        }
        if (pszBad) {
            ++r.nSkipped;
            notes.Add(nLine, pszBad);
            continue;
        }
        points.push_back({n[0], n[1], n.size() > 2 ? n[2] : 0.0, nLine});
    }
    if (!bByPosition) bPhase = nPhase >= 0;

    // Out of order: named once, at the first line that goes back.
    for (std::size_t k = 1; k < points.size(); ++k)
        if (points[k].f < points[k - 1].f) {
            notes.Add(points[k].nLine, "frequency " + Number(points[k].f) +
                                           " Hz below the line before: the points were sorted by frequency");
            break;
        }
    std::stable_sort(points.begin(), points.end(),
                     [](const SPoint& a, const SPoint& b) { return a.f < b.f; });
    std::vector<int> repeated;
    for (const SPoint& pt : points) {
        if (!r.curve.freq.empty() && pt.f == r.curve.freq.back()) {
            repeated.push_back(pt.nLine);
            continue;
        }
        r.curve.freq.push_back(pt.f);
        r.curve.level.push_back(pt.level);
        if (bPhase) r.curve.phase.push_back(pt.phase);
    }
    std::sort(repeated.begin(), repeated.end());
    for (int nRepeated : repeated)
        notes.Add(nRepeated, "frequency repeated: the first line of it is used");
    std::stable_sort(
        r.notes.begin(), r.notes.end(),
        [](const SMeasurementNote& a, const SMeasurementNote& b) { return a.nFirst < b.nFirst; });

    auto refuse = [&r](const std::string& why) {
        r.szError = why;
        r.curve = {};
        return r;
    };
    if (r.curve.freq.size() < 2) {
        if (points.empty() && r.nSkipped > 0 && bStarted)
            return refuse("No usable data lines: " + std::to_string(r.nSkipped) +
                          " lines with numbers could not be used (see below).");
        return refuse(points.empty() ? "No data lines (frequency and level) found: this is not a measurement."
                                     : "Fewer than two distinct frequencies: this is not a measurement.");
    }
    // Frequencies that miss the graph are a unit mistake more often than a measurement.
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    const double fLo = r.curve.freq.front(), fHi = r.curve.freq.back();
    if (fHi <= 24.0 && fHi / fLo >= 10.0)
        return refuse(
            "The frequencies run from " + Number(fLo) + " to " + Number(fHi) +
            ": they look like kHz. Give them in Hz (or name the column's unit, like \"Freq(kHz)\").");
    if (fHi < grid.m_fFreq[0] || fLo > grid.m_fFreq[grid.m_nCount - 1])
        return refuse("The frequencies run from " + Number(fLo) + " to " + Number(fHi) +
                      " Hz: none lies on the graph (" + Number(grid.m_fFreq[0]) + ".." +
                      Number(std::round(grid.m_fFreq[grid.m_nCount - 1])) + " Hz).");
    r.bOk = true;
    return r;
}

SMeasurementRead ReadMeasurementFile(const std::string& path, const std::string& levelColumn) {
    SMeasurementRead r;
    std::string text;
    if (!ReadTextFile(path, kMaxFileBytes, "64 MiB", "a measurement export", &text, &r.szError)) return r;
    return ParseMeasurementText(text, levelColumn);
}

namespace {

std::vector<double> OnGrid(const std::vector<double>& freq, const std::vector<double>& values) {
    const ZUtils::ZResponseGrid& grid = ZUtils::ZResponseGrid::Get();
    std::vector<double> out(RESPONSE_POINTS, std::numeric_limits<double>::quiet_NaN());
    const std::size_t n = std::min(freq.size(), values.size());
    if (n < 2) return out;
    std::size_t k = 0;
    for (int i = 0; i < grid.m_nCount; ++i) {
        const double f = grid.m_fFreq[i];
        if (f < freq.front() || f > freq[n - 1]) continue;
        while (k + 2 < n && freq[k + 1] < f)
            ++k;
        const double f0 = freq[k], f1 = freq[k + 1];
        const double t = std::clamp((std::log(f) - std::log(f0)) / (std::log(f1) - std::log(f0)), 0.0, 1.0);
        out[static_cast<std::size_t>(i)] = values[k] + t * (values[k + 1] - values[k]);
    }
    return out;
}

} // namespace

std::vector<double> CurveOnGrid(const SMeasurement& curve) {
    return OnGrid(curve.freq, curve.level);
}

std::vector<double> PhaseOnGrid(const SMeasurement& curve) {
    if (curve.phase.size() != curve.freq.size() || curve.phase.empty()) return {};
    std::vector<double> unwrapped(curve.phase);
    ZUtils::UnwrapDegrees(unwrapped.data(), static_cast<int>(unwrapped.size()));
    return OnGrid(curve.freq, unwrapped);
}

std::vector<double> FlatTarget() {
    return std::vector<double>(RESPONSE_POINTS, 0.0);
}

double MeanOverRange(const std::vector<double>& grid, double fFrom, double fTo) {
    const ZUtils::ZResponseGrid& g = ZUtils::ZResponseGrid::Get();
    double fSum = 0.0;
    int nCount = 0;
    for (int i = 0; i < g.m_nCount && static_cast<std::size_t>(i) < grid.size(); ++i) {
        const double v = grid[static_cast<std::size_t>(i)];
        if (g.m_fFreq[i] < fFrom || g.m_fFreq[i] > fTo || !std::isfinite(v)) continue;
        fSum += v;
        ++nCount;
    }
    return nCount ? fSum / nCount : std::numeric_limits<double>::quiet_NaN();
}

std::vector<double> NormalisedMeasurement(const std::vector<double>& measured,
                                          const std::vector<double>& target, double fFrom, double fTo) {
    // Both means over the points where both are known, so that a short target does not tilt the level.
    std::vector<double> m(measured), t(target);
    m.resize(RESPONSE_POINTS, std::numeric_limits<double>::quiet_NaN());
    t.resize(RESPONSE_POINTS, std::numeric_limits<double>::quiet_NaN());
    for (std::size_t i = 0; i < m.size(); ++i)
        if (!std::isfinite(m[i]) || !std::isfinite(t[i]))
            m[i] = t[i] = std::numeric_limits<double>::quiet_NaN();
    const double fShift = MeanOverRange(t, fFrom, fTo) - MeanOverRange(m, fFrom, fTo);
    std::vector<double> out(measured);
    out.resize(RESPONSE_POINTS, std::numeric_limits<double>::quiet_NaN());
    if (!std::isfinite(fShift)) return out;
    for (double& v : out)
        v += fShift;
    return out;
}
