// The help texts of the main view's controls, one row per text; which control shows which text is
// the control table's (editor/controltable.h). Controls without a text (the steppers, the speaker
// icons, the help buttons) have HELP_NONE there.
#include "editor/help.h"

#include "editor/controltable.h"
#include "editor/uitext.h"

#include <iterator>

namespace {

struct SHelpRow {
    ctl::EHelpText nHelp;
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
    {ctl::HELP_NONE, nullptr},
    {ctl::HELP_MAIN_LEVEL_BOX,
     "This active box allows you to directly enter level of correction of whole audio system (in dB\r\n"
     " all channels).Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::HELP_CHANNEL_LEVEL_BOX,
     "This active box allows you to directly enter the level of the selected channel(s) (in dB).\r\n"
     "  Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::HELP_MAIN_KNOB,
     "This rotary potentiometer allows you to change the Global level of your audio system (in dB \r\n"
     " all channels).Move up to turn right, move down to turn left. "},
    {ctl::HELP_CHANNEL_KNOB,
     "This rotary potentiometer allows you to change the level of the selected channel(s) (in dB).\r\n"
     " Move up to turn right, move down to turn left."},
    {ctl::HELP_CHANNEL_SELECT, kChannelSelect},
    {ctl::HELP_PHASE,
     "This push button allows you to invert the absolute phase of the selected channel(s).\r\n"
     " Inverting the phase could help providing more punchy, phased and accurate kicking sound."},
    {ctl::HELP_TAB_CONFIG, "Click on this area to access inputs/outputs configuration parameters."},
    {ctl::HELP_TAB_EQ, "Click on this area to access equalizing parameters."},
    {ctl::HELP_TAB_XOVER, "Click on this area to access Crossover parameters."},
    {ctl::HELP_TAB_DELAY, "Click on this area to access Time Alignment parameters."},
    {ctl::HELP_EQ_SWITCH, "This switch allows to Turn OFF / Turn ON the whole equalizer section. \r\n"
                          "This feature can be useful to check your correction results."},
    {ctl::HELP_MODE_SWITCH,
     "This switch is changing the configuration menu from STANDARD mode to EXPERT mode. \r\n"
     "Use STANDARD mode in order to prepare a quick setup or common installation. \r\n"
     "Use EXPERT mode for full features’ access."},
    {ctl::HELP_INPUT_KIND, "Click on this push button if you’re using 5.1 wired inputs \r\n"
                           "(coming from a multichannel analogical source)."},
    {ctl::HELP_INPUT_KIND_4,
     "Click on this push button if you’re using 4 wired inputscoming from the source.\r\n"
     "This mode can be useful if you want to keep active the fader feature of your head-unit."},
    {ctl::HELP_INPUT_KIND_2,
     "Click on this push button if you’re using only 2 wired inputs coming from the source."},
    {ctl::HELP_INPUT_KIND_AUX, "Click on this push button if you want to activate the AUX input."},
    {ctl::HELP_INPUT_KIND_NUMERICAL,
     "Click on this push button if you want to activate the numericalinput. \r\n"
     "Please check the source signal is compatible."},
    {ctl::HELP_EASY_SENS_SLIDER,
     "This sliding potentiometer allows you to change the global input sensitivity (in dB). "},
    {ctl::HELP_EASY_SENS_BOX,
     "This active box allows you to directly enter the level of the selected input (in dB). \r\n"
     "Use the keyboard arrows or stepper to get accurate adjustment."},
    {ctl::HELP_INPUT_LEVEL, kInputLevel},
    {ctl::HELP_ARCH, "Click on this push button if you want to pre-configure the DSP to drive a 2 ways’ \r\n"
                     "speaker kit + one or two subwoofers."},
    {ctl::HELP_ARCH_3WAY,
     "Click on this push button if you want to pre-configure the DSP to drive a 3 ways’ \r\n"
     "speaker kit + one or two subwoofers."},
    {ctl::HELP_ARCH_21,
     "Click on this push button if you want to pre-configure the DSP to drive a 2.1speakers’ \r\n"
     "architecture: a front passive or coaxial kit + one or two subwoofers."},
    {ctl::HELP_ARCH_41,
     "Click on this push button if you want to pre-configure the DSP to drive a 4.1speakers’ \r\n"
     "architecture: a front and a rear passive or coaxial kit + one or two subwoofers."},
    {ctl::HELP_ARCH_51,
     "Click on this push button if you want to pre-configure the DSP to drive a5.1 speakers’ \r\n"
     "architecture: a front and a rear kit + one central channel + one subwoofer)."},
    {ctl::HELP_ACTIVATE,
     "Click on this push button to activate the output configuration. Please carefully check the output \r\n"
     "wiring is matching first in order to avoid damaging any of your speakers."},
    {ctl::HELP_XOVER_TYPE, "Click on this area to activate a high-pass crossover on the selected channel(s)"},
    {ctl::HELP_XOVER_BP, "Click on this area to activate a band-pass crossover on the selected channel(s)"},
    {ctl::HELP_XOVER_LP, "Click on this area to activate a low-pass crossover on the selected channel(s)"},
    {ctl::HELP_ROUTING, kRouting},
    {ctl::HELP_SENS_SLIDER, kSensitivitySlider},
    {ctl::HELP_EQ_GAIN_SLIDER,
     "For each of the 10 equalization points proposed, this sliding potentiometer allows you to \r\n"
     "change the level of correction (in dB). "},
    {ctl::HELP_EQ_Q_KNOB,
     "For each of the 10 equalization points proposed, this rotary potentiometer allows you to \r\n"
     "change the quality factor.Move up to turn right, move down to turn left."},
    {ctl::HELP_EQ_FREQ_BOX,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the central frequency (in Hz)."},
    {ctl::HELP_EQ_GAIN_BOX,
     "For each of the 10 equalization points proposed, this active box allows you to change \r\n"
     "the level of correction (in dB)."},
    {ctl::HELP_EQ_Q_BOX,
     "For each of the 10 equalizer points proposed, this active box allows you to change \r\n"
     "the quality factor. The value to be entered is a ratio (no units). Increase to have narrower \r\n"
     "bandwidth correction. Decrease to have wider bandwidth correction."},
    {ctl::HELP_SENS_BOX, kSensitivityBox},
    {ctl::HELP_GRAPH, "GRAPHIC   "},
    {ctl::HELP_XOVER_SLIDER,
     "This sliding potentiometer allows you to change the cutoff frequency of the crossover. \r\n"
     "Use the keyboard arrows to get accurate adjustment. "},
    {ctl::HELP_XOVER_SLOPE_BOX,
     "This active box allows you to select the crossover slope (in dB/oct). Use the stepper or \r\n"
     "keyboard arrows to get accurate adjustment."},
    {ctl::HELP_XOVER_FREQ_BOX,
     "This active box allows you to directly enter the crossover cutoff frequency (in Hz).  \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::HELP_DELAY_CM_BOX,
     "This active box allows you to enter equivalent delay in distance (cm) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::HELP_DELAY_MS_BOX,
     "This active box allows you to directly enter delay (in ms) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::HELP_DELAY_IN_BOX,
     "This active box allows you to enter equivalent delay in distance (in) of the selected channel(s). \r\n"
     "Use the stepper or keyboard arrows to get accurate adjustment."},
    {ctl::HELP_DELAY_PHASE,
     "This push button allows you to invert the absolute phase of the selected channel(s). \r\n"
     "Inverting the phase could help providing more punchy, phased and accurate kicking sound for \r\n"
     "woofers and subwoofers."},
    // The parts added to the original window; the window shows them in its language (context "help").
    {ctl::HELP_AB_SIDE,
     MLB8_TRANSLATE_NOOP("help",
                         "A/B comparison: two complete settings, the lit side is the one playing. \r\n"
                         "Click the other side or press F8 to hear it; Edit > Copy puts the playing "
                         "setting over the other.")},
    {ctl::HELP_SYSTEM_SWITCH,
     MLB8_TRANSLATE_NOOP("help",
                         "SYSTEM shows every output the configuration drives, with its level, polarity "
                         "and delay, \r\nand the sum of the outputs ticked in the legend. Click again "
                         "for the selected channel's graph.")},
    {ctl::HELP_SYSTEM_PHASE,
     MLB8_TRANSLATE_NOOP("help", "PHASE adds each output's phase as a dashed line, on the scale at the right "
                                 "(degrees), \r\nwith the delay all outputs share taken out.")},
    {ctl::HELP_SYSTEM_UNWRAP,
     MLB8_TRANSLATE_NOOP("help", "UNWRAP draws the phase without its jumps of 360 degrees, so that a delay "
                                 "shows as a falling line; \r\nthe scale grows in round steps to hold every "
                                 "curve.")},
    {ctl::HELP_GRAPH_PLOT,
     MLB8_TRANSLATE_NOOP("help",
                         "The response of the selected channel and its partner with the equalizer and "
                         "crossover as set \r\n(level in dB over frequency). The Equalizer tools menu "
                         "adds a measurement, its target and the prediction.")},
    {ctl::HELP_GRAPH_LEGEND,
     MLB8_TRANSLATE_NOOP("help", "The legend of the curves laid over the graph: the measurement (grey), the "
                                 "target (green, dashed) \r\nand the prediction (white); the Equalizer tools "
                                 "menu shows or hides each.")},
    {ctl::HELP_SYSTEM_PLOT,
     MLB8_TRANSLATE_NOOP("help", "Every output in its colour, the selected one bold, the sum in thick white. "
                                 "\r\nClick a curve to select its channel.")},
    {ctl::HELP_SYSTEM_LEGEND,
     MLB8_TRANSLATE_NOOP("help",
                         "The outputs and their speakers. Click an output to add it to the sum or take "
                         "it out; \r\nthe sum line names its outputs and says when measurements "
                         "are used.")},
};

constexpr bool RowsInOrder() {
    if (std::size(kHelpRows) != ctl::HELP_TEXT_COUNT) return false;
    for (std::size_t i = 0; i < std::size(kHelpRows); ++i)
        if (kHelpRows[i].nHelp != static_cast<ctl::EHelpText>(i)) return false;
    return true;
}
static_assert(RowsInOrder(), "one help row per text, in the order of ctl::EHelpText");

} // namespace

const char* CHelp::HelpText(int nCtrlId) {
    return kHelpRows[ctl::HelpOf(nCtrlId)].pszText;
}
