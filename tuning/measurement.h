// Frequency-response measurements and target ("house") curves as measurement software exports them:
// comment lines starting with '*' or '#', an optional header line naming the columns, then frequency,
// level in dB and optionally phase per line, separated by tabs, spaces, commas or semicolons (UTF-8 or
// UTF-16; LF, CRLF or CR line ends). Both are brought onto the response graph's grid.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct SMeasurement {
    std::vector<double> freq;  // Hz, strictly ascending
    std::vector<double> level; // dB
    std::vector<double> phase; // degrees as exported; empty unless every data line has a phase column
};

// Lines of the file that were not used, with why; consecutive lines with the same reason are one
// note (nFirst..nLast). A note with nFirst 0 is about the file as a whole.
struct SMeasurementNote {
    int nFirst = 0, nLast = 0;
    std::string text;
};

struct SMeasurementRead {
    bool bOk = false;
    std::string szError; // why the file gave no curve
    int nSkipped = 0;    // lines that were neither comments, the header nor usable data
    int nDataLines = 0;  // lines that begin with a number, used or not: the file was meant as a measurement
    std::vector<std::string> columns;    // the header's column names; empty when there is no header
    std::string szLevelColumn;           // the column the level was read from, when there is a header
    std::vector<SMeasurementNote> notes; // in line order, at most kMaxNotes
    int nNotesLeftOut = 0;               // lines of notes beyond kMaxNotes
    SMeasurement curve;

    static constexpr std::size_t kMaxNotes = 64;
    // The report: the refusal or what was used, then the notes (the first few, then how many more).
    std::vector<std::string> Lines() const;
};

// The limits beyond which a value is taken as broken, not measured.
namespace MeasurementLimits {
constexpr double kMaxFreqHz = 1e6;
constexpr double kMaxLevelDb = 1000.0;
constexpr double kMaxPhaseDeg = 1e7;
} // namespace MeasurementLimits

// levelColumn chooses the level by the header's column name (case and unit ignored) or by its number
// (1 = the first column); empty takes the first of raw, spl, magnitude, db, level, or the second
// column of a file without a header.
SMeasurementRead ParseMeasurementText(std::string_view text, const std::string& levelColumn = {});
SMeasurementRead ReadMeasurementFile(const std::string& path, const std::string& levelColumn = {});

// The level at every point of the response grid (RESPONSE_POINTS values), interpolated linearly over
// the logarithm of the frequency; NaN outside the measured range.
std::vector<double> CurveOnGrid(const SMeasurement& curve);
// The phase at every point of the grid in degrees, unwrapped along the measured points first so
// that the interpolation over the logarithm of the frequency never crosses a jump of a turn; NaN
// outside the measured range, empty when the curve has no phase.
std::vector<double> PhaseOnGrid(const SMeasurement& curve);
// A flat target of 0 dB on the grid.
std::vector<double> FlatTarget();
// The mean of the finite values at the grid points within fFrom..fTo Hz; NaN when there is none.
double MeanOverRange(const std::vector<double>& grid, double fFrom, double fTo);
// The measurement moved so that its mean level over fFrom..fTo equals the target's there.
std::vector<double> NormalisedMeasurement(const std::vector<double>& measured,
                                          const std::vector<double>& target, double fFrom, double fTo);
