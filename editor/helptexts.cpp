// The help texts of the main view's controls, by dialog control ID. Controls without a row (the
// steppers, the speaker icons, the help buttons) have no text.
#include "editor/help.h"

#include <algorithm>
#include <iterator>

namespace {

struct SHelpRow {
    int nFirst;
    int nLast;
    const char* pszText;
};

// Texts shared by several groups of controls.
constexpr const char kChannelSelect[] =
    "This area allows you to select the channel or the group of channels under modification. \r\n"
    "The solo feature enables only the selected channel(s). The mute feature allows you to \r\n"
    "remove one or several channels during your listening session.";
constexpr const char kInputLevel[] =
    "Click on this push button if you want to activate the low level mode of the activated input \r\n"
    "(RCA - 2V inputs). if you want to activate the HIGH level mode of the activated source  \r\n"
    "(if you use direct head-unit speaker outputs as an example).";
constexpr const char kRouting[] =
    "This area allows you to select the mapping of your inputs/outputs. If corresponding light is \r\n"
    "activated, some signal is sent from X input to Y output.This area also allows to sum 2 stereo \r\n"
    "inputs in order to configure one mono output (for subwoofers or central channel).";
constexpr const char kSensitivitySlider[] =
    "This sliding potentiometer allows you to change thesensitivityof the corresponding input (in dB). ";
constexpr const char kSensitivityBox[] =
    "This active box allows you to directly enter the level of the corresponding input (in dB). \r\n"
    "Use the keyboard arrows or stepper to get accurate adjustment.";

constexpr SHelpRow kHelpRows[] = {
    {2000, 2000,
     "This active box allows you to directly enter level of correction of whole audio system (in dB\r\n"
     " all channels).Use the keyboard arrows or stepper to get accurate adjustment."},
    {2001, 2001,
     "This active box allows you to directly enter the level of the selected channel(s) (in dB).\r\n"
     "  Use the keyboard arrows or stepper to get accurate adjustment."},
    {2002, 2003,
     "This rotary potentiometer allows you to change the Global level of your audio system (in dB \r\n"
     " all channels).Move up to turn right, move down to turn left. "},
    {2004, 2005,
     "This rotary potentiometer allows you to change the level of the selected channel(s) (in dB).\r\n"
     " Move up to turn right, move down to turn left."},
    {2006, 2013, kChannelSelect},
    {2014, 2014,
     "This push button allows you to invert the absolute phase of the selected channel(s).\r\n"
     " Inverting the phase could help providing more punchy, phased and accurate kicking sound."},
    {2015, 2030, kChannelSelect},
    {2031, 2031, "Click on this area to access inputs/outputs configuration parameters."},
    {2032, 2032, "Click on this area to access equalizing parameters."},
    {2033, 2033, "Click on this area to access Crossover parameters."},
    {2034, 2034, "Click on this area to access Time Alignment parameters."},
    {2035, 2035,
     "This switch allows to Turn OFF / Turn ON the whole equalizer section. \r\n"
     "This feature can be useful to check your correction results."},
    {2036, 2036,
     "This switch is changing the configuration menu from STANDARD mode to EXPERT mode. \r\n"
     "Use STANDARD mode in order to prepare a quick setup or common installation. \r\n"
     "Use EXPERT mode for full features’ access."},
    {2037, 2037,
     "Click on this push button if you’re using 5.1 wired inputs \r\n"
     "(coming from a multichannel analogical source)."},
    {2038, 2038,
     "Click on this push button if you’re using 4 wired inputscoming from the source.\r\n"
     "This mode can be useful if you want to keep active the fader feature of your head-unit."},
    {2039, 2039, "Click on this push button if you’re using only 2 wired inputs coming from the source."},
    {2040, 2040, "Click on this push button if you want to activate the AUX input."},
    {2041, 2041,
     "Click on this push button if you want to activate the numericalinput. \r\n"
     "Please check the source signal is compatible."},
    {2042, 2042, "This sliding potentiometer allows you to change the global input sensitivity (in dB). "},
    {2043, 2043,
     "This active box allows you to directly enter the level of the selected input (in dB). \r\n"
     "Use the keyboard arrows or stepper to get accurate adjustment."},
    {2044, 2045, kInputLevel},
    {2046, 2046,
     "Click on this push button if you want to pre-configure the DSP to drive a 2 ways’ \r\n"
     "speaker kit + one or two subwoofers."},
    {2047, 2047,
     "Click on this push button if you want to pre-configure the DSP to drive a 3 ways’ \r\n"
     "speaker kit + one or two subwoofers."},
    {2048, 2048,
     "Click on this push button if you want to pre-configure the DSP to drive a 2.1speakers’ \r\n"
     "architecture: a front passive or coaxial kit + one or two subwoofers."},
    {2049, 2049,
     "Click on this push button if you want to pre-configure the DSP to drive a 4.1speakers’ \r\n"
     "architecture: a front and a rear passive or coaxial kit + one or two subwoofers."},
    {2050, 2050,
     "Click on this push button if you want to pre-configure the DSP to drive a5.1 speakers’ \r\n"
     "architecture: a front and a rear kit + one central channel + one subwoofer)."},
    {2051, 2051,
     "Click on this push button to activate the output configuration. Please carefully check the output \r\n"
     "wiring is matching first in order to avoid damaging any of your speakers."},
    {2052, 2052, "Click on this area to activate a high-pass crossover on the selected channel(s)"},
    {2053, 2053, "Click on this area to activate a band-pass crossover on the selected channel(s)"},
    {2054, 2054, "Click on this area to activate a low-pass crossover on the selected channel(s)"},
    {2075, 2122, kRouting},
    {2123, 2128, kSensitivitySlider},
    {2129, 2129, kInputLevel},
    {2142, 2153, kChannelSelect},
    {2200, 2209,
     "For each of the 10 equalization points proposed, this sliding potentiometer allows you to \r\n"
     "change the level of correction (in dB). "},
    {2210, 2219,
     "For each of the 10 equalization points proposed, this rotary potentiometer allows you to \r\n"
     "change the quality factor.Move up to turn right, move down to turn left."},
    {2220, 2229,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the central frequency (in Hz)."},
    {2230, 2239,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the level of correction (in dB)."},
    {2240, 2249,
     "For each of the 10 equalizer points proposed, this active box allows you to change \r\n"
     "the quality factor. The value to be entered is a ratio (no units). Increase to have narrower \r\n"
     "bandwidth correction. Decrease to have wider bandwidth correction."},
    {2301, 2306, kSensitivityBox},
    {2307, 2338, kRouting},
    {2343, 2344, kSensitivityBox},
    {2347, 2348, kSensitivitySlider},
    {2390, 2390, "GRAPHIC   "},
    {2400, 2401,
     "This sliding potentiometer allows you to change the cutoff frequency of the crossover. \r\n"
     "Use the keyboard arrows to get accurate adjustment. "},
    {2402, 2403,
     "This active box allows you to select the crossover slope (in dB/oct). Use the stepper or \r\n"
     "keyboard arrows to get accurate adjustment."},
    {2404, 2405,
     "This active box allows you to directly enter the crossover cutoff frequency (in Hz).  \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {2500, 2500,
     "This active box allows you to enter equivalent delay in distance (cm) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {2501, 2501,
     "This active box allows you to directly enter delay (in ms) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {2502, 2502,
     "This active box allows you to enter equivalent delay in distance (in) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {2503, 2503,
     "This push button allows you to invert the absolute phase of the selected channel(s). \r\n"
     "Inverting the phase could help providing more punchy, phased and accurate kicking sound for \r\n"
     "woofers and subwoofers."},
};

constexpr bool RowsSortedAndDisjoint() {
    for (std::size_t i = 0; i < std::size(kHelpRows); ++i) {
        if (kHelpRows[i].nFirst > kHelpRows[i].nLast) return false;
        if (i > 0 && kHelpRows[i - 1].nLast >= kHelpRows[i].nFirst) return false;
    }
    return true;
}
static_assert(RowsSortedAndDisjoint(), "help rows must be sorted by ID and must not overlap");

} // namespace

const char* CHelp::HelpText(int nCtrlId) {
    // The last row starting at or before the ID.
    const auto* pRow = std::upper_bound(std::begin(kHelpRows), std::end(kHelpRows), nCtrlId,
                                        [](int nId, const SHelpRow& row) { return nId < row.nFirst; });
    if (pRow == std::begin(kHelpRows)) return nullptr;
    --pRow;
    return nCtrlId <= pRow->nLast ? pRow->pszText : nullptr;
}
