// The help texts of the main view's controls, by dialog control ID. Controls without a row (the
// steppers, the speaker icons, the help buttons) have no text.
#include "editor/help.h"

#include "editor/controlids.h"
#include "editor/uitext.h"

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
    {ctl::MAIN_LEVEL_BOX, ctl::MAIN_LEVEL_BOX,
     "This active box allows you to directly enter level of correction of whole audio system (in dB\r\n"
     " all channels).Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::CHANNEL_LEVEL_BOX, ctl::CHANNEL_LEVEL_BOX,
     "This active box allows you to directly enter the level of the selected channel(s) (in dB).\r\n"
     "  Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::MAIN_KNOB_AREA.first, ctl::MAIN_KNOB_AREA.last,
     "This rotary potentiometer allows you to change the Global level of your audio system (in dB \r\n"
     " all channels).Move up to turn right, move down to turn left. "},
    {ctl::CHANNEL_KNOB_AREA.first, ctl::CHANNEL_KNOB_AREA.last,
     "This rotary potentiometer allows you to change the level of the selected channel(s) (in dB).\r\n"
     " Move up to turn right, move down to turn left."},
    {ctl::CHANNEL.first, ctl::CHANNEL.last, kChannelSelect},
    {ctl::PHASE, ctl::PHASE,
     "This push button allows you to invert the absolute phase of the selected channel(s).\r\n"
     " Inverting the phase could help providing more punchy, phased and accurate kicking sound."},
    {ctl::PAIR.first, ctl::PAIR_MUTE.last, kChannelSelect},
    {ctl::TAB_CONFIG, ctl::TAB_CONFIG,
     "Click on this area to access inputs/outputs configuration parameters."},
    {ctl::TAB_EQ, ctl::TAB_EQ, "Click on this area to access equalizing parameters."},
    {ctl::TAB_XOVER, ctl::TAB_XOVER, "Click on this area to access Crossover parameters."},
    {ctl::TAB_DELAY, ctl::TAB_DELAY, "Click on this area to access Time Alignment parameters."},
    {ctl::EQ_SWITCH, ctl::EQ_SWITCH,
     "This switch allows to Turn OFF / Turn ON the whole equalizer section. \r\n"
     "This feature can be useful to check your correction results."},
    {ctl::MODE_SWITCH, ctl::MODE_SWITCH,
     "This switch is changing the configuration menu from STANDARD mode to EXPERT mode. \r\n"
     "Use STANDARD mode in order to prepare a quick setup or common installation. \r\n"
     "Use EXPERT mode for full features’ access."},
    {ctl::INPUT_KIND.first, ctl::INPUT_KIND.first,
     "Click on this push button if you’re using 5.1 wired inputs \r\n"
     "(coming from a multichannel analogical source)."},
    {ctl::INPUT_KIND.at(1), ctl::INPUT_KIND.at(1),
     "Click on this push button if you’re using 4 wired inputscoming from the source.\r\n"
     "This mode can be useful if you want to keep active the fader feature of your head-unit."},
    {ctl::INPUT_KIND.at(2), ctl::INPUT_KIND.at(2),
     "Click on this push button if you’re using only 2 wired inputs coming from the source."},
    {ctl::INPUT_KIND.at(3), ctl::INPUT_KIND.at(3),
     "Click on this push button if you want to activate the AUX input."},
    {ctl::INPUT_KIND.last, ctl::INPUT_KIND.last,
     "Click on this push button if you want to activate the numericalinput. \r\n"
     "Please check the source signal is compatible."},
    {ctl::EASY_SENS_SLIDER, ctl::EASY_SENS_SLIDER,
     "This sliding potentiometer allows you to change the global input sensitivity (in dB). "},
    {ctl::EASY_SENS_BOX, ctl::EASY_SENS_BOX,
     "This active box allows you to directly enter the level of the selected input (in dB). \r\n"
     "Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::EASY_LOW_HIGH, ctl::EASY_LOW_HIGH_2, kInputLevel},
    {ctl::ARCH.first, ctl::ARCH.first,
     "Click on this push button if you want to pre-configure the DSP to drive a 2 ways’ \r\n"
     "speaker kit + one or two subwoofers."},
    {ctl::ARCH.at(1), ctl::ARCH.at(1),
     "Click on this push button if you want to pre-configure the DSP to drive a 3 ways’ \r\n"
     "speaker kit + one or two subwoofers."},
    {ctl::ARCH.at(2), ctl::ARCH.at(2),
     "Click on this push button if you want to pre-configure the DSP to drive a 2.1speakers’ \r\n"
     "architecture: a front passive or coaxial kit + one or two subwoofers."},
    {ctl::ARCH.at(3), ctl::ARCH.at(3),
     "Click on this push button if you want to pre-configure the DSP to drive a 4.1speakers’ \r\n"
     "architecture: a front and a rear passive or coaxial kit + one or two subwoofers."},
    {ctl::ARCH.last, ctl::ARCH.last,
     "Click on this push button if you want to pre-configure the DSP to drive a5.1 speakers’ \r\n"
     "architecture: a front and a rear kit + one central channel + one subwoofer)."},
    {ctl::ACTIVATE, ctl::ACTIVATE,
     "Click on this push button to activate the output configuration. Please carefully check the output \r\n"
     "wiring is matching first in order to avoid damaging any of your speakers."},
    {ctl::XOVER_HP, ctl::XOVER_HP,
     "Click on this area to activate a high-pass crossover on the selected channel(s)"},
    {ctl::XOVER_BP, ctl::XOVER_BP,
     "Click on this area to activate a band-pass crossover on the selected channel(s)"},
    {ctl::XOVER_LP, ctl::XOVER_LP,
     "Click on this area to activate a low-pass crossover on the selected channel(s)"},
    {ctl::EXP_ROUTE_MAIN.first, ctl::EXP_ROUTE_MAIN.last, kRouting},
    {ctl::EXP_SENS_SLIDER.first, ctl::EXP_SENS_SLIDER.last, kSensitivitySlider},
    {ctl::EXP_HIGHLOW_SPARE, ctl::EXP_HIGHLOW_SPARE, kInputLevel},
    {ctl::SOLO.first, ctl::PAIR_SOLO.last, kChannelSelect},
    {ctl::EQ_GAIN_SLIDER.first, ctl::EQ_GAIN_SLIDER.last,
     "For each of the 10 equalization points proposed, this sliding potentiometer allows you to \r\n"
     "change the level of correction (in dB). "},
    {ctl::EQ_Q_KNOB.first, ctl::EQ_Q_KNOB.last,
     "For each of the 10 equalization points proposed, this rotary potentiometer allows you to \r\n"
     "change the quality factor.Move up to turn right, move down to turn left."},
    {ctl::EQ_FREQ_BOX.first, ctl::EQ_FREQ_BOX.last,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the central frequency (in Hz)."},
    {ctl::EQ_GAIN_BOX.first, ctl::EQ_GAIN_BOX.last,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the level of correction (in dB)."},
    {ctl::EQ_Q_BOX.first, ctl::EQ_Q_BOX.last,
     "For each of the 10 equalizer points proposed, this active box allows you to change \r\n"
     "the quality factor. The value to be entered is a ratio (no units). Increase to have narrower \r\n"
     "bandwidth correction. Decrease to have wider bandwidth correction."},
    {ctl::EXP_SENS_BOX.first, ctl::EXP_SENS_BOX.last, kSensitivityBox},
    {ctl::EXP_ROUTE_AUX.first, ctl::EXP_ROUTE_NUMERICAL.last, kRouting},
    {ctl::AUX_SENS_BOX.first, ctl::AUX_SENS_BOX.last, kSensitivityBox},
    {ctl::AUX_SENS_SLIDER.first, ctl::AUX_SENS_SLIDER.last, kSensitivitySlider},
    {ctl::GRAPH, ctl::GRAPH, "GRAPHIC   "},
    {ctl::HP_SLIDER, ctl::LP_SLIDER,
     "This sliding potentiometer allows you to change the cutoff frequency of the crossover. \r\n"
     "Use the keyboard arrows to get accurate adjustment. "},
    {ctl::HP_SLOPE_BOX, ctl::LP_SLOPE_BOX,
     "This active box allows you to select the crossover slope (in dB/oct). Use the stepper or \r\n"
     "keyboard arrows to get accurate adjustment."},
    {ctl::HP_FREQ_BOX, ctl::LP_FREQ_BOX,
     "This active box allows you to directly enter the crossover cutoff frequency (in Hz).  \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::DELAY_CM_BOX, ctl::DELAY_CM_BOX,
     "This active box allows you to enter equivalent delay in distance (cm) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::DELAY_MS_BOX, ctl::DELAY_MS_BOX,
     "This active box allows you to directly enter delay (in ms) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::DELAY_IN_BOX, ctl::DELAY_IN_BOX,
     "This active box allows you to enter equivalent delay in distance (in) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::DELAY_PHASE, ctl::DELAY_PHASE,
     "This push button allows you to invert the absolute phase of the selected channel(s). \r\n"
     "Inverting the phase could help providing more punchy, phased and accurate kicking sound for \r\n"
     "woofers and subwoofers."},
    // The parts added to the original window; the window shows them in its language (context "help").
    {ctl::AB_SIDE_HELP.first, ctl::AB_SIDE_HELP.last,
     MLB8_TRANSLATE_NOOP("help",
                         "A/B comparison: two complete settings, the lit side is the one playing. \r\n"
                         "Click the other side or press F8 to hear it; Edit > Copy puts the playing "
                         "setting over the other.")},
    {ctl::SYSTEM_SWITCH_HELP.first, ctl::SYSTEM_SWITCH_HELP.first,
     MLB8_TRANSLATE_NOOP("help",
                         "SYSTEM shows every output the configuration drives, with its level, polarity "
                         "and delay, \r\nand the sum of the outputs ticked in the legend. Click again "
                         "for the selected channel's graph.")},
    {ctl::SYSTEM_SWITCH_HELP.at(1), ctl::SYSTEM_SWITCH_HELP.at(1),
     MLB8_TRANSLATE_NOOP("help", "PHASE adds each output's phase as a dashed line, on the scale at the right "
                                 "(degrees), \r\nwith the delay all outputs share taken out.")},
    {ctl::SYSTEM_SWITCH_HELP.last, ctl::SYSTEM_SWITCH_HELP.last,
     MLB8_TRANSLATE_NOOP("help", "UNWRAP draws the phase without its jumps of 360 degrees, so that a delay "
                                 "shows as a falling line; \r\nthe scale grows in round steps to hold every "
                                 "curve.")},
    {ctl::GRAPH_PLOT_HELP, ctl::GRAPH_PLOT_HELP,
     MLB8_TRANSLATE_NOOP("help",
                         "The response of the selected channel and its partner with the equalizer and "
                         "crossover as set \r\n(level in dB over frequency). The Equalizer tools menu "
                         "adds a measurement, its target and the prediction.")},
    {ctl::GRAPH_LEGEND_HELP, ctl::GRAPH_LEGEND_HELP,
     MLB8_TRANSLATE_NOOP("help", "The legend of the curves laid over the graph: the measurement (grey), the "
                                 "target (green, dashed) \r\nand the prediction (white); the Equalizer tools "
                                 "menu shows or hides each.")},
    {ctl::SYSTEM_PLOT_HELP, ctl::SYSTEM_PLOT_HELP,
     MLB8_TRANSLATE_NOOP("help", "Every output in its colour, the selected one bold, the sum in thick white. "
                                 "\r\nClick a curve to select its channel.")},
    {ctl::SYSTEM_LEGEND_HELP, ctl::SYSTEM_LEGEND_HELP,
     MLB8_TRANSLATE_NOOP("help",
                         "The outputs and their speakers. Click an output to add it to the sum or take "
                         "it out; \r\nthe sum line names its outputs and says when measurements "
                         "are used.")},
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
