// Every control group of the main view declared once: its IDs, what kind of control it is, the pages
// that show it, its help text and the law of its value. The page switches, the help, the dispatch
// of gestures and the view's creation of the widgets (their kind, range and first visibility) read it
// here; the rectangles and skin art of the widgets are the window layout's (skin/skinlayout.h,
// skin/skinids.h), which the view binds to these rows by ID.
#pragma once

#include <cstdint>

#include "editor/controlids.h"
#include "orvix/valuelaws.h"

namespace ctl {

enum class EKind : std::uint8_t {
    NONE,     // an ID of no group
    BOX,      // value box: typed text, Enter, arrow keys and wheel
    KNOB,     // rotary knob, moved relative to where it is pressed
    FADER,    // vertical slider
    SLIDER,   // horizontal slider
    BUTTON,   // push or toggle button
    SELECTOR, // channel or pair button, with a look per architecture
    STEPPER,  // up or down arrow, repeating while held
    ICON,     // speaker icon dragged along its track over the car
    PLOT,     // the response graph
    AREA,     // no control of its own: a spot that reports the pointer for its help text
};

// The pages a group shows on (bit 1 << CPages::EPage); FRAME: shown from the start on every page.
enum : std::uint8_t {
    ON_NONE = 0,
    ON_STANDARD = 1 << 0,
    ON_EXPERT = 1 << 1,
    ON_EQ = 1 << 2,
    ON_XOVER = 1 << 3,
    ON_DELAY = 1 << 4,
    ON_FRAME = 1 << 5,
};
constexpr std::uint8_t OnPage(int nPage) {
    return static_cast<std::uint8_t>(nPage >= 0 && nPage <= 4 ? 1 << nPage : 0);
}

// The law that turns the group's value into what the user reads (orvix/valuelaws.h, and the
// sensitivity and crossover laws of the parts that edit them).
enum class ELaw : std::uint8_t {
    NONE,
    LEVEL,       // level step, (v - 128) / 2 dB
    SENSITIVITY, // input sensitivity index, volts by table
    EQ_FREQ,     // Hz, 16 .. 20000
    EQ_GAIN,     // whole dB -12 .. +12
    EQ_Q,        // 1.0 .. 10.0 by 0.5
    XOVER_FREQ,  // Hz on a logarithmic slider
    XOVER_SLOPE, // dB/octave, 6 .. 48
    DELAY_MS,    // milliseconds, samples at 48 kHz
    DELAY_CM,    // centimetres of sound path
    DELAY_INCH,  // inches of sound path
};

// The help texts (editor/helptexts.cpp); HELP_NONE: the group has none.
enum EHelpText : std::uint8_t {
    HELP_NONE,
    HELP_MAIN_LEVEL_BOX,
    HELP_CHANNEL_LEVEL_BOX,
    HELP_MAIN_KNOB,
    HELP_CHANNEL_KNOB,
    HELP_CHANNEL_SELECT,
    HELP_PHASE,
    HELP_TAB_CONFIG, // one each: configuration, equalizer, crossover, time alignment
    HELP_TAB_EQ,
    HELP_TAB_XOVER,
    HELP_TAB_DELAY,
    HELP_EQ_SWITCH,
    HELP_MODE_SWITCH,
    HELP_INPUT_KIND, // one each: 5.1, 4 wires, 2 wires, AUX, numerical
    HELP_INPUT_KIND_4,
    HELP_INPUT_KIND_2,
    HELP_INPUT_KIND_AUX,
    HELP_INPUT_KIND_NUMERICAL,
    HELP_EASY_SENS_SLIDER,
    HELP_EASY_SENS_BOX,
    HELP_INPUT_LEVEL,
    HELP_ARCH, // one each: 2 ways, 3 ways, 2.1, 4.1, 5.1
    HELP_ARCH_3WAY,
    HELP_ARCH_21,
    HELP_ARCH_41,
    HELP_ARCH_51,
    HELP_ACTIVATE,
    HELP_XOVER_TYPE, // one each: high-pass, band-pass, low-pass
    HELP_XOVER_BP,
    HELP_XOVER_LP,
    HELP_ROUTING,
    HELP_SENS_SLIDER,
    HELP_EQ_GAIN_SLIDER,
    HELP_EQ_Q_KNOB,
    HELP_EQ_FREQ_BOX,
    HELP_EQ_GAIN_BOX,
    HELP_EQ_Q_BOX,
    HELP_SENS_BOX,
    HELP_GRAPH,
    HELP_XOVER_SLIDER,
    HELP_XOVER_SLOPE_BOX,
    HELP_XOVER_FREQ_BOX,
    HELP_DELAY_CM_BOX,
    HELP_DELAY_MS_BOX,
    HELP_DELAY_IN_BOX,
    HELP_DELAY_PHASE,
    HELP_AB_SIDE,
    HELP_SYSTEM_SWITCH, // one each: SYSTEM, PHASE, UNWRAP
    HELP_SYSTEM_PHASE,
    HELP_SYSTEM_UNWRAP,
    HELP_GRAPH_PLOT,
    HELP_GRAPH_LEGEND,
    HELP_SYSTEM_PLOT,
    HELP_SYSTEM_LEGEND,
    HELP_TEXT_COUNT
};

struct SControlGroup {
    SIdRange ids;
    EKind kind;
    std::uint8_t pages; // ON_... bits
    EHelpText help;
    bool bHelpEach; // member k has the text help + k; otherwise all share help
    ELaw law;
    int nPositions; // knobs, sliders, faders and icons: positions 0 .. nPositions - 1; else 0

    constexpr EHelpText HelpOf(int nId) const {
        if (help == HELP_NONE || !ids.contains(nId)) return HELP_NONE;
        return bHelpEach ? static_cast<EHelpText>(help + ids.index(nId)) : help;
    }
};

// The rows, each group once; no two rows share an ID.
inline constexpr SControlGroup kControlGroups[] = {
    // Fixed frame: levels, selection, tabs, help.
    {One(MAIN_LEVEL_BOX), EKind::BOX, ON_FRAME, HELP_MAIN_LEVEL_BOX, false, ELaw::LEVEL, 0},
    {One(CHANNEL_LEVEL_BOX), EKind::BOX, ON_FRAME, HELP_CHANNEL_LEVEL_BOX, false, ELaw::LEVEL, 0},
    {One(MAIN_KNOB_AREA.first), EKind::AREA, ON_NONE, HELP_MAIN_KNOB, false, ELaw::NONE, 0}, // the ring
    {One(MAIN_KNOB), EKind::KNOB, ON_FRAME, HELP_MAIN_KNOB, false, ELaw::LEVEL, LEVEL_MAX_STEP + 1},
    {One(CHANNEL_KNOB_AREA.first), EKind::AREA, ON_NONE, HELP_CHANNEL_KNOB, false, ELaw::NONE, 0},
    {One(CHANNEL_KNOB), EKind::KNOB, ON_FRAME, HELP_CHANNEL_KNOB, false, ELaw::LEVEL, LEVEL_MAX_STEP + 1},
    {One(MAIN_UP), EKind::STEPPER, ON_FRAME, HELP_NONE, false, ELaw::LEVEL, 0},
    {One(MAIN_DOWN), EKind::STEPPER, ON_FRAME, HELP_NONE, false, ELaw::LEVEL, 0},
    {One(CHANNEL_UP), EKind::STEPPER, ON_FRAME, HELP_NONE, false, ELaw::LEVEL, 0},
    {One(CHANNEL_DOWN), EKind::STEPPER, ON_FRAME, HELP_NONE, false, ELaw::LEVEL, 0},
    {CHANNEL, EKind::SELECTOR, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {One(PHASE), EKind::BUTTON, ON_FRAME, HELP_PHASE, false, ELaw::NONE, 0},
    {PAIR, EKind::SELECTOR, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {MUTE, EKind::BUTTON, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {PAIR_MUTE, EKind::BUTTON, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {SOLO, EKind::BUTTON, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {PAIR_SOLO, EKind::BUTTON, ON_FRAME, HELP_CHANNEL_SELECT, false, ELaw::NONE, 0},
    {TAB, EKind::BUTTON, ON_FRAME, HELP_TAB_CONFIG, true, ELaw::NONE, 0},
    {One(EQ_SWITCH), EKind::BUTTON, ON_FRAME, HELP_EQ_SWITCH, false, ELaw::NONE, 0},
    {One(HELP), EKind::BUTTON, ON_FRAME, HELP_NONE, false, ELaw::NONE, 0},
    {One(MANUAL), EKind::BUTTON, ON_NONE, HELP_NONE, false, ELaw::NONE, 0}, // shown in help mode
    {One(MODE_SWITCH), EKind::BUTTON, ON_STANDARD | ON_EXPERT, HELP_MODE_SWITCH, false, ELaw::NONE, 0},

    // Standard configuration page.
    {INPUT_KIND, EKind::BUTTON, ON_STANDARD, HELP_INPUT_KIND, true, ELaw::NONE, 0},
    {One(EASY_SENS_SLIDER), EKind::SLIDER, ON_STANDARD, HELP_EASY_SENS_SLIDER, false, ELaw::SENSITIVITY,
     SENS_SLIDER_POSITIONS},
    {One(EASY_SENS_BOX), EKind::BOX, ON_STANDARD, HELP_EASY_SENS_BOX, false, ELaw::SENSITIVITY, 0},
    {One(EASY_SENS_UP), EKind::STEPPER, ON_STANDARD, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {One(EASY_SENS_DOWN), EKind::STEPPER, ON_STANDARD, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {One(EASY_LOW_HIGH), EKind::BUTTON, ON_STANDARD, HELP_INPUT_LEVEL, false, ELaw::NONE, 0},
    {One(EASY_LOW_HIGH_2), EKind::BUTTON, ON_STANDARD, HELP_INPUT_LEVEL, false, ELaw::NONE, 0}, // never shown
    {ARCH, EKind::BUTTON, ON_STANDARD, HELP_ARCH, true, ELaw::NONE, 0},
    {One(ACTIVATE), EKind::BUTTON, ON_STANDARD, HELP_ACTIVATE, false, ELaw::NONE, 0},

    // Expert configuration page.
    {EXP_INPUT, EKind::BUTTON, ON_EXPERT, HELP_NONE, false, ELaw::NONE, 0},
    {One(EXP_HIGHLOW), EKind::BUTTON, ON_EXPERT, HELP_NONE, false, ELaw::NONE, 0},
    {One(EXP_HIGHLOW_SPARE), EKind::AREA, ON_NONE, HELP_INPUT_LEVEL, false, ELaw::NONE, 0},
    // Row labels: the view has buttons for the first three (IN 1-6, AUX L/R, OPT L/R); the other
    // three IDs are listed with the page and take clicks but have no widget.
    {{EXP_LABEL.first, EXP_LABEL.at(2)}, EKind::BUTTON, ON_EXPERT, HELP_NONE, false, ELaw::NONE, 0},
    {{EXP_LABEL.at(3), EXP_LABEL.last}, EKind::AREA, ON_EXPERT, HELP_NONE, false, ELaw::NONE, 0},
    {EXP_SENS_SLIDER, EKind::SLIDER, ON_EXPERT, HELP_SENS_SLIDER, false, ELaw::SENSITIVITY,
     SENS_SLIDER_POSITIONS},
    {EXP_SENS_BOX, EKind::BOX, ON_EXPERT, HELP_SENS_BOX, false, ELaw::SENSITIVITY, 0},
    {EXP_SENS_UP, EKind::STEPPER, ON_EXPERT, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {EXP_SENS_DOWN, EKind::STEPPER, ON_EXPERT, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {AUX_SENS_SLIDER, EKind::SLIDER, ON_EXPERT, HELP_SENS_SLIDER, false, ELaw::SENSITIVITY,
     SENS_SLIDER_POSITIONS},
    {AUX_SENS_BOX, EKind::BOX, ON_EXPERT, HELP_SENS_BOX, false, ELaw::SENSITIVITY, 0},
    {AUX_SENS_UP, EKind::STEPPER, ON_EXPERT, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {AUX_SENS_DOWN, EKind::STEPPER, ON_EXPERT, HELP_NONE, false, ELaw::SENSITIVITY, 0},
    {EXP_ROUTE_MAIN, EKind::BUTTON, ON_EXPERT, HELP_ROUTING, false, ELaw::NONE, 0},
    {EXP_ROUTE_AUX, EKind::BUTTON, ON_EXPERT, HELP_ROUTING, false, ELaw::NONE, 0},
    {EXP_ROUTE_NUMERICAL, EKind::BUTTON, ON_EXPERT, HELP_ROUTING, false, ELaw::NONE, 0},

    // Equalizer page: one control of each kind per band.
    {EQ_GAIN_SLIDER, EKind::FADER, ON_EQ, HELP_EQ_GAIN_SLIDER, false, ELaw::EQ_GAIN, EQ_GAIN_POSITIONS},
    {EQ_Q_KNOB, EKind::KNOB, ON_EQ, HELP_EQ_Q_KNOB, false, ELaw::EQ_Q, EQ_Q_POSITIONS},
    {EQ_FREQ_BOX, EKind::BOX, ON_EQ, HELP_EQ_FREQ_BOX, false, ELaw::EQ_FREQ, 0},
    {EQ_GAIN_BOX, EKind::BOX, ON_EQ, HELP_EQ_GAIN_BOX, false, ELaw::EQ_GAIN, 0},
    {EQ_Q_BOX, EKind::BOX, ON_EQ, HELP_EQ_Q_BOX, false, ELaw::EQ_Q, 0},
    {One(GRAPH), EKind::PLOT, ON_EQ | ON_XOVER, HELP_GRAPH, false, ELaw::NONE, 0},

    // Crossover page.
    {XOVER_TYPE, EKind::BUTTON, ON_XOVER, HELP_XOVER_TYPE, true, ELaw::NONE, 0},
    {One(HP_SLIDER), EKind::SLIDER, ON_XOVER, HELP_XOVER_SLIDER, false, ELaw::XOVER_FREQ, XOVER_POSITIONS},
    {One(LP_SLIDER), EKind::SLIDER, ON_XOVER, HELP_XOVER_SLIDER, false, ELaw::XOVER_FREQ, XOVER_POSITIONS},
    {One(HP_SLOPE_BOX), EKind::BOX, ON_XOVER, HELP_XOVER_SLOPE_BOX, false, ELaw::XOVER_SLOPE, 0},
    {One(LP_SLOPE_BOX), EKind::BOX, ON_XOVER, HELP_XOVER_SLOPE_BOX, false, ELaw::XOVER_SLOPE, 0},
    {One(HP_FREQ_BOX), EKind::BOX, ON_XOVER, HELP_XOVER_FREQ_BOX, false, ELaw::XOVER_FREQ, 0},
    {One(LP_FREQ_BOX), EKind::BOX, ON_XOVER, HELP_XOVER_FREQ_BOX, false, ELaw::XOVER_FREQ, 0},
    {XOVER_STEPPER, EKind::STEPPER, ON_XOVER, HELP_NONE, false, ELaw::NONE, 0}, // never shown

    // Time-alignment page.
    {One(DELAY_MS_BOX), EKind::BOX, ON_DELAY, HELP_DELAY_MS_BOX, false, ELaw::DELAY_MS, 0},
    {One(DELAY_CM_BOX), EKind::BOX, ON_DELAY, HELP_DELAY_CM_BOX, false, ELaw::DELAY_CM, 0},
    {One(DELAY_IN_BOX), EKind::BOX, ON_DELAY, HELP_DELAY_IN_BOX, false, ELaw::DELAY_INCH, 0},
    {DELAY_STEP, EKind::STEPPER, ON_DELAY, HELP_NONE, false, ELaw::DELAY_MS, 0}, // up, down for ms, cm, in
    {One(DELAY_PHASE), EKind::BUTTON, ON_DELAY, HELP_DELAY_PHASE, false, ELaw::NONE, 0},
    {SPEAKER, EKind::ICON, ON_DELAY, HELP_NONE, false, ELaw::DELAY_MS, DELAY_ICON_POSITIONS},
    {EXPERT_SPEAKER, EKind::ICON, ON_DELAY, HELP_NONE, false, ELaw::DELAY_MS, DELAY_ICON_POSITIONS},

    // Parts added to the original window, which report the pointer for help mode.
    {AB_SIDE_HELP, EKind::AREA, ON_NONE, HELP_AB_SIDE, false, ELaw::NONE, 0},
    {SYSTEM_SWITCH_HELP, EKind::AREA, ON_NONE, HELP_SYSTEM_SWITCH, true, ELaw::NONE, 0},
    {One(GRAPH_PLOT_HELP), EKind::AREA, ON_NONE, HELP_GRAPH_PLOT, false, ELaw::NONE, 0},
    {One(GRAPH_LEGEND_HELP), EKind::AREA, ON_NONE, HELP_GRAPH_LEGEND, false, ELaw::NONE, 0},
    {One(SYSTEM_PLOT_HELP), EKind::AREA, ON_NONE, HELP_SYSTEM_PLOT, false, ELaw::NONE, 0},
    {One(SYSTEM_LEGEND_HELP), EKind::AREA, ON_NONE, HELP_SYSTEM_LEGEND, false, ELaw::NONE, 0},
};

// The group that holds a control ID, or nullptr.
constexpr const SControlGroup* FindGroup(int nId) {
    for (const SControlGroup& g : kControlGroups)
        if (g.ids.contains(nId)) return &g;
    return nullptr;
}
// The kind of a control; NONE for an ID of no group.
constexpr EKind KindOf(int nId) {
    const SControlGroup* p = FindGroup(nId);
    return p ? p->kind : EKind::NONE;
}
// The position of a control in its group (the band of an equalizer control, the channel of a mute
// ...), -1 for an ID of no group.
constexpr int MemberOf(int nId) {
    const SControlGroup* p = FindGroup(nId);
    return p ? p->ids.index(nId) : -1;
}
// The help text of a control; HELP_NONE for an ID of no group.
constexpr EHelpText HelpOf(int nId) {
    const SControlGroup* p = FindGroup(nId);
    return p ? p->HelpOf(nId) : HELP_NONE;
}

// Every group lies inside one block of controlids.h, no two groups share an ID, and a group whose
// members have a text each has one text per member.
constexpr bool GroupsWellFormed() {
    for (const SControlGroup& g : kControlGroups) {
        bool bInBlock = false;
        for (const SIdRange& b : kAllBlocks)
            bInBlock = bInBlock || (g.ids.first >= b.first && g.ids.last <= b.last);
        if (!bInBlock || g.ids.first > g.ids.last) return false;
        if (g.bHelpEach && g.help + g.ids.count() > HELP_TEXT_COUNT) return false;
        const bool bHasPositions = g.kind == EKind::KNOB || g.kind == EKind::FADER ||
                                   g.kind == EKind::SLIDER || g.kind == EKind::ICON;
        if (bHasPositions != (g.nPositions > 0)) return false;
        for (const SControlGroup& h : kControlGroups)
            if (&g != &h && g.ids.first <= h.ids.last && h.ids.first <= g.ids.last) return false;
    }
    return true;
}
static_assert(GroupsWellFormed(), "a control group lies outside its block, overlaps another or lacks texts");

} // namespace ctl
