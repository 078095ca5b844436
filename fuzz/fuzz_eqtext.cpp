// The equalizer filter-list reader and the measurement reader fed arbitrary text. Imported bands lie
// on the processor's steps and export then import gives them back; a measurement is strictly
// ascending in frequency, finite, and its curve on the grid is finite wherever it is known.
#include <cmath>
#include <string_view>

#include "editor/eqimport.h"
#include "editor/measurement.h"
#include "fuzz/fuzzcheck.h"

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
    if (m.bOk) {
        FUZZ_CHECK(m.curve.freq.size() >= 2 && m.curve.freq.size() == m.curve.level.size());
        for (std::size_t i = 0; i < m.curve.freq.size(); ++i) {
            FUZZ_CHECK(m.curve.freq[i] > 0.0 && std::isfinite(m.curve.freq[i]) &&
                       std::isfinite(m.curve.level[i]));
            if (i) FUZZ_CHECK(m.curve.freq[i] > m.curve.freq[i - 1]);
        }
        // On every input: an input that passes the reader but overflows on the grid is the one to find.
        for (double v : CurveOnGrid(m.curve))
            FUZZ_CHECK(std::isnan(v) || std::isfinite(v));
    }
    return 0;
}
