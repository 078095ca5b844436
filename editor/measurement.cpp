#include "editor/measurement.h"
#include "editor/textfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

#include "orvix/complexresponse.h"
#include "orvix/filtersection.h"

namespace {

// Exports of a few hundred thousand points are a few megabytes.
constexpr std::size_t kMaxFileBytes = 64u << 20;

bool ParseDouble(std::string_view s, bool bDecimalComma, double* pValue) {
    std::string t(s);
    if (bDecimalComma) std::replace(t.begin(), t.end(), ',', '.');
    std::size_t i = 0;
    if (i < t.size() && t[i] == '+') ++i;
    const auto res = std::from_chars(t.data() + i, t.data() + t.size(), *pValue);
    return res.ec == std::errc() && res.ptr == t.data() + t.size() && std::isfinite(*pValue);
}

// The numbers of one data line, or an empty list when it is not one. A comma separates the columns
// unless the line is split by tabs, semicolons or spaces already, where it is the decimal mark.
std::vector<double> LineNumbers(std::string_view line) {
    bool bDecimalComma =
        line.find(';') != std::string_view::npos || line.find('\t') != std::string_view::npos;
    if (!bDecimalComma && line.find(',') != std::string_view::npos) {
        // "20,5 80,1": commas inside space-separated fields are decimal marks.
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
    std::vector<double> out;
    std::size_t i = 0;
    auto isSep = [&](char c) { return c == ' ' || c == '\t' || c == ';' || (!bDecimalComma && c == ','); };
    while (i < line.size()) {
        while (i < line.size() && isSep(line[i]))
            ++i;
        const std::size_t b = i;
        while (i < line.size() && !isSep(line[i]))
            ++i;
        if (i == b) break;
        double f = 0.0;
        if (!ParseDouble(line.substr(b, i - b), bDecimalComma, &f)) return {};
        out.push_back(f);
    }
    return out;
}

} // namespace

SMeasurementRead ParseMeasurementText(std::string_view text) {
    SMeasurementRead r;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    struct SPoint {
        double f, level, phase;
    };
    std::vector<SPoint> points;
    bool bPhase = true;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line[0] == '*' || line[0] == '#') continue;
        const std::vector<double> n = LineNumbers(line);
        if (n.size() < 2 || n.size() > 3 || !(n[0] > 0.0)) {
            ++r.nSkipped;
            continue;
        }
        bPhase = bPhase && n.size() == 3;
        points.push_back({n[0], n[1], n.size() == 3 ? n[2] : 0.0});
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const SPoint& a, const SPoint& b) { return a.f < b.f; });
    for (const SPoint& pt : points) {
        if (!r.curve.freq.empty() && pt.f == r.curve.freq.back()) continue; // the first of equal frequencies
        r.curve.freq.push_back(pt.f);
        r.curve.level.push_back(pt.level);
        if (bPhase) r.curve.phase.push_back(pt.phase);
    }
    if (r.curve.freq.size() < 2) {
        r.szError = points.empty() ? "No data lines (frequency and level) found: this is not a measurement."
                                   : "Fewer than two distinct frequencies: this is not a measurement.";
        r.curve = {};
        return r;
    }
    r.bOk = true;
    return r;
}

SMeasurementRead ReadMeasurementFile(const std::string& path) {
    SMeasurementRead r;
    std::string text;
    if (!ReadTextFile(path, kMaxFileBytes, "64 MiB", "a measurement export", &text, &r.szError)) return r;
    return ParseMeasurementText(text);
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
