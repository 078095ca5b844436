// Aligning the outputs at the seat from measurements with phase (each taken through its settings S
// or of the bare driver, all with one timing reference): a delay on the processor's sample grid, a
// polarity and a channel level per measured output, chosen on the predicted complex sum of all of them.
//
// The method: every way's passband level (measurement with the crossover divided out) is matched to
// the target, the loudest way staying at 0 dB; every way's arrival is the slope of its acoustic phase
// (S divided out) over its passband, and the arrivals are lined up on the sample grid; then the delay
// and polarity of the outputs are searched around that start for the flattest predicted sum over the
// range: every choice of polarities, each with the delays of one output at a time moved (up to half a
// period of its lowest crossover) until none moves. Where choices come out (nearly) equal, the one an
// installer expects wins: the fewest polarities changed from the settings now, then the polarities
// that agree with the measured phases (the way whose phase is the opposite of its neighbours' is the
// one wired the other way round), then the delays closest to the measured arrivals. Outputs the
// processor keeps silent (muted, or outside an active solo) are left out of the sum and the proposal.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/history.h"
#include "orvix/settingsmodel.h"
#include "tuning/measuredsum.h"

struct SAlignSettings {
    // Hz: the range the sum is judged on; it reaches lower where a way plays lower (a subwoofer), down
    // to the start of the lowest passband but not below 20 Hz (SAlignResult::fFrom).
    double fFrom = 60.0;
    double fTo = 16000.0;
    bool bKeepLevels = false;
    std::vector<double> target; // on the grid; empty: flat
};

// What the processor does to one output after its filters.
struct SAlignTrim {
    int nDelay = 0;       // samples at 48 kHz
    bool bInvert = false; // polarity inverted
    int nVolume = 0;      // channel level step (CSettingsModel::DbFromVolume)
    bool operator==(const SAlignTrim&) const = default;
};

struct SAlignOutput {
    int nChannel = 0;
    SAlignTrim before, after;
    double fArrivalMs = 0.0;           // the arrival read from the measured phase
    double fPassFrom = 0, fPassTo = 0; // Hz: the passband its level was read over
    double fPassLevelDb = 0.0;         // its passband level with its level before, relative to the target
    // How far its measured phase over its passband, its arrival taken out, lies from its neighbours'
    // (the outputs whose passbands reach within an octave of its own), 0..180 degrees: near 180 the
    // speaker is wired the other way round to them.
    double fPhaseOffDeg = 0.0;
};

// An output given but left out of the proposal and of the predicted sum; its settings stay as they are.
struct SAlignLeftOut {
    enum EWhy { MUTED, OUTSIDE_SOLO, NO_MEASUREMENT };
    int nChannel = 0;
    EWhy why = MUTED;
    bool operator==(const SAlignLeftOut&) const = default;
};

// A crossover region: an octave either side of a crossover frequency, within the range.
struct SAlignRegion {
    double fCrossover = 0.0;
    double fFrom = 0.0, fTo = 0.0;
    double fRmsBefore = 0.0, fRmsAfter = 0.0;
};

struct SAlignResult {
    bool bOk = false;
    std::string szError;
    std::vector<SAlignOutput> outputs;        // in the order of the channels given
    std::vector<SAlignRegion> regions;        // in rising frequency
    double fFrom = 0.0, fTo = 0.0;            // Hz: the range the sum was judged on
    double fRmsBefore = 0.0, fRmsAfter = 0.0; // over the range
    std::vector<std::string> notes;           // delays held at the processor's limit, and the like
    std::vector<SAlignLeftOut> leftOut;       // in the order of the channels given
    ZUtils::ZComplexCurve before, after;      // the predicted sums
};

// The processor's longest delay (the delay page's limit), in samples at 48 kHz.
constexpr int kAlignMaxDelay = 1056;

// The predicted sum of the channels with these trims (trims[k] belongs to channels[k]).
void PredictAlignedSum(const CSettingsModel& m, const ChannelTunings& tunings,
                       const std::vector<int>& channels, const std::vector<SAlignTrim>& trims,
                       ZUtils::ZComplexCurve* pOut);
// The RMS deviation in dB of the sum from the target (flat when empty) over fFrom..fTo, their mean
// difference taken out (the sum's absolute level is the microphone's, not the system's).
double SumDeviation(const ZUtils::ZComplexCurve& sum, const std::vector<double>& target, double fFrom,
                    double fTo);

// The proposal for the channels given, every one of which that sounds needs a measurement with phase.
// Those the processor keeps silent are left out (leftOut); when none sounds there is nothing to align.
SAlignResult ProposeAlignment(const CSettingsModel& m, const ChannelTunings& tunings,
                              const std::vector<int>& channels, const SAlignSettings& settings);

// The proposal put into the model (delays, polarities, levels).
void ApplyAlignmentToModel(const SAlignResult& r, CSettingsModel& m);
// The settings with the proposal in them, for CEditorCore::ApplyAsOneStep.
SEditSnapshot AlignedSettings(const SAlignResult& r, const CSettingsModel& m);

// A table of text: the first row holds the headings; between column k and k + 1 stands separators[k].
struct SAlignTable {
    std::vector<std::string> separators;
    std::vector<std::vector<std::string>> rows;
};
// Its lines, every column as wide as its widest cell (widthOf: the columns a text takes; by default
// one per character of the UTF-8 text).
std::vector<std::string> TableLines(const SAlignTable& table,
                                    const std::function<int(const std::string&)>& widthOf = {});

// The report: per output its delay (ms, cm, samples), polarity and level before -> after (the table),
// then the deviation per crossover region and over the range, before and after, the notes and the
// outputs left out (the rest). AlignReportLines is the table's lines and the rest.
SAlignTable AlignReportTable(const SAlignResult& r, const CSettingsModel& m);
std::vector<std::string> AlignReportRest(const SAlignResult& r, const CSettingsModel& m,
                                         const SAlignSettings& settings);
std::vector<std::string> AlignReportLines(const SAlignResult& r, const CSettingsModel& m,
                                          const SAlignSettings& settings);
