// The equalizer filter-list reader and the measurement reader fed arbitrary text. Imported bands lie
// on the processor's steps and export then import gives them back; a measurement is strictly
// ascending in frequency, its values finite and within the reader's limits, what it left out named,
// and its curve on the grid is finite wherever it is known.
#include <cmath>
#include <string_view>

#include "fuzz/fuzzcheck.h"
#include "tuning/eqimport.h"
#include "tuning/measurement.h"

namespace {

// Every value kept is finite and within the reader's limits; what was left out is named in line
// order, and the report always has a first line.
void CheckMeasurementRead(const SMeasurementRead& m) {
    namespace L = MeasurementLimits;
    FUZZ_CHECK(!m.Lines().empty());
    FUZZ_CHECK(m.bOk == m.szError.empty());
    FUZZ_CHECK(m.notes.size() <= SMeasurementRead::kMaxNotes && m.nNotesLeftOut >= 0);
    for (std::size_t k = 0; k < m.notes.size(); ++k) {
        FUZZ_CHECK(m.notes[k].nFirst >= 0 && m.notes[k].nFirst <= m.notes[k].nLast &&
                   !m.notes[k].text.empty());
        if (k) FUZZ_CHECK(m.notes[k].nFirst >= m.notes[k - 1].nFirst);
    }
    if (!m.bOk) {
        FUZZ_CHECK(m.curve.freq.empty() && m.curve.level.empty() && m.curve.phase.empty());
        return;
    }
    FUZZ_CHECK(m.curve.freq.size() >= 2 && m.curve.freq.size() == m.curve.level.size());
    FUZZ_CHECK(m.curve.phase.empty() || m.curve.phase.size() == m.curve.freq.size());
    for (std::size_t i = 0; i < m.curve.freq.size(); ++i) {
        FUZZ_CHECK(m.curve.freq[i] > 0.0 && m.curve.freq[i] <= L::kMaxFreqHz);
        FUZZ_CHECK(std::isfinite(m.curve.level[i]) && std::fabs(m.curve.level[i]) <= L::kMaxLevelDb);
        if (!m.curve.phase.empty())
            FUZZ_CHECK(std::isfinite(m.curve.phase[i]) && std::fabs(m.curve.phase[i]) <= L::kMaxPhaseDeg);
        if (i) FUZZ_CHECK(m.curve.freq[i] > m.curve.freq[i - 1]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    const std::string_view text(reinterpret_cast<const char*>(pData), nSize);

    const SEqImport r = ParseEqFilterText(text);
    (void)r.Lines();
    FUZZ_CHECK(r.nImported >= 0 && r.nImported <= CRev8001Lib::EQ_BANDS);
    FUZZ_CHECK(r.bOk == (r.nImported > 0));
    if (r.bOk) {
        for (const SFilterCoef& c : r.bands) {
            FUZZ_CHECK(c.Filtertype == FT_PEAKING);
            FUZZ_CHECK(c.Freq >= EqSteps::kFreqMin && c.Freq <= EqSteps::kFreqMax);
            FUZZ_CHECK(c.Gain >= EqSteps::kGainMin && c.Gain <= EqSteps::kGainMax);
            FUZZ_CHECK(c.BandWidth >= 1.0f && c.BandWidth <= 10.0f &&
                       c.BandWidth * 2.0f == std::round(c.BandWidth * 2.0f));
        }
        {
            const SEqImport back = ParseEqFilterText(ExportEqFilterText(r.bands, 1, 1));
            FUZZ_CHECK(back.bOk && back.nRounded == 0 && back.notes.empty());
            for (int b = 0; b < CRev8001Lib::EQ_BANDS; ++b)
                FUZZ_CHECK(back.bands[b].Freq == r.bands[b].Freq && back.bands[b].Gain == r.bands[b].Gain &&
                           back.bands[b].BandWidth == r.bands[b].BandWidth);
        }
    }

    const SMeasurementRead m = ParseMeasurementText(text);
    CheckMeasurementRead(m);
    if (FuzzCheck::Sampled(pData, nSize, 4, 2)) CheckMeasurementRead(ParseMeasurementText(text, "raw"));
    if (m.bOk) {
        // On every input: an input that passes the reader but overflows on the grid is the one to find.
        for (double v : CurveOnGrid(m.curve))
            FUZZ_CHECK(std::isnan(v) || std::isfinite(v));
    }
    return 0;
}
