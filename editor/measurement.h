// Frequency-response measurements and target ("house") curves as measurement software exports them:
// comment lines starting with '*', then frequency, level in dB and optionally phase per line,
// separated by tabs, spaces, commas or semicolons. Both are brought onto the response graph's grid.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SMeasurement {
    std::vector<double> freq;  // Hz, strictly ascending
    std::vector<double> level; // dB
    std::vector<double> phase; // degrees as exported; empty unless every data line has a phase column
};

struct SMeasurementRead {
    bool bOk = false;
    std::string szError; // why the file gave no curve
    int nSkipped = 0;    // lines that were neither comments nor data
    SMeasurement curve;
};

SMeasurementRead ParseMeasurementText(std::string_view text);
SMeasurementRead ReadMeasurementFile(const std::string& path);

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
