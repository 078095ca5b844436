// Parametric equalizer text: reading the filter lists that room-measurement software and system-wide
// equalizers write, mapping their peaking filters onto the ten bands of an output, and writing the
// bands back as the same kind of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "comm/sfiltercoef.h"
#include "orvix/rev8001lib.h"

// The steps the processor's bands take.
namespace EqSteps {
constexpr int kFreqMin = 16;
constexpr int kFreqMax = 20000;
constexpr int kGainMin = -12;
constexpr int kGainMax = 12;
constexpr double kBandWidthMin = 1.0;
constexpr double kBandWidthMax = 10.0;
constexpr double kBandWidthStep = 0.5;
// The stored BandWidth draws the bell of a textbook peaking filter with Q = BandWidth / 2.
constexpr double kQPerBandWidth = 0.5;
// Used when a peaking filter gives neither Q nor bandwidth.
constexpr double kDefaultQ = 1.0;

// A flat peaking band at the default centre of band nBand.
SFilterCoef FlatBand(int nBand);
} // namespace EqSteps

// One thing the user should know about the file, tied to its line (0 for the file as a whole).
struct SEqNote {
    enum EKind {
        IGNORED,  // a line or filter that is not imported (type, OFF, unreadable, not understood)
        PREAMP,   // a preamp, which the bands cannot hold
        CHANNEL,  // a channel selection of the file
        LEFT_OUT, // an importable filter that did not get one of the ten bands
        ADJUSTED, // a value clamped to the processor's range (old -> new) or supplied
    };
    int nLine = 0;
    EKind kind = IGNORED;
    std::string text;

    static const char* KindName(EKind kind);
};

struct SEqImport {
    // False when the file could not be read, is not text, or gave no peaking filter that is ON;
    // szError says which, and the bands must not be used.
    bool bOk = false;
    std::string szError;
    int nFilterLines = 0; // lines recognised as filters, imported or not
    int nImported = 0;    // filters placed into bands (the ten that matter most, in ascending frequency)
    int nRounded = 0;     // values moved to their step by no more than half of it (not listed)
    SFilterCoef bands[CRev8001Lib::EQ_BANDS] = {};
    std::vector<SEqNote> notes; // in line order

    // A readable report: a summary line, then one line per note.
    std::vector<std::string> Lines() const;
};

// Beyond these a value is no filter's: the file is taken as broken and refused.
namespace EqLimits {
constexpr double kMaxPlausibleFreq = 1e6;   // Hz
constexpr double kMaxPlausibleGain = 100.0; // dB either way
constexpr double kMinPlausibleQ = 0.001;
constexpr double kMaxPlausibleQ = 1000.0;
} // namespace EqLimits

// Which filters (on the steps) take the bands when there are more than fit: those whose loss changes
// the stepped curve least are left out (a filter of 0 dB costs nothing; of equal costs the later one).
// Costs are measured over the grid points within 20..20000 Hz.
struct SBandSelection {
    std::vector<bool> bKept;
    std::vector<double> fRmsCost, fMaxCost; // dB, per filter
    int nLeftOut = 0;
    double fRmsTotal = 0.0, fMaxTotal = 0.0; // dB, all left out together
};
SBandSelection SelectBands(const std::vector<SFilterCoef>& filters, int nBands);

// Parses filter text (UTF-8, optional BOM, LF or CRLF).
SEqImport ParseEqFilterText(std::string_view text);
// Reads and parses a file; a file that cannot be read, is larger than a filter list can be or holds
// binary bytes gives bOk false with the reason.
SEqImport ImportEqFilterFile(const std::string& path);

// Maps one peaking filter onto a band: frequency to the nearest whole Hz, gain to the nearest whole
// dB (halves away from zero), BandWidth = 2 Q to the nearest step, each within the band's range.
// Every value clamped is added to pNotes (line nLine); pnRounded counts values only rounded.
SFilterCoef MapPeakingFilter(double fFreq, double fGain, double fQ, int nLine, std::vector<SEqNote>* pNotes,
                             int* pnRounded);

// The bands as parametric equalizer text, one line per band; OFF lines when not bEnabled. nOutput
// (1..8) names the output in the heading comment.
std::string ExportEqFilterText(const SFilterCoef* pBands, bool bEnabled, int nOutput);
