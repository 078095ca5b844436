// Every dialog control ID of the main view and its dialogs, by role, and every menu command ID: the
// one place where an ID is a number. A group of controls (one per channel, band, input ...) is a
// range; single controls inside a group are named from it. The blocks are checked below not to
// overlap, controls and commands together.
#pragma once

#include <cstddef>

namespace ctl {

// A run of consecutive control IDs, first..last inclusive.
struct SIdRange {
    int first;
    int last;

    constexpr bool contains(int nId) const { return nId >= first && nId <= last; }
    constexpr int count() const { return last - first + 1; }
    // The ID of the k-th control of the group, k from 0.
    constexpr int at(int k) const { return first + k; }
    // The position of nId in the group (only meaningful where contains(nId)).
    constexpr int index(int nId) const { return nId - first; }
};

constexpr SIdRange One(int nId) {
    return {nId, nId};
}

// Level boxes, knobs and their steppers.
constexpr int MAIN_LEVEL_BOX = 2000;
constexpr int CHANNEL_LEVEL_BOX = 2001;
constexpr SIdRange MAIN_KNOB_AREA{2002, 2003}; // the knob and its ring share one help text
constexpr int MAIN_KNOB = MAIN_KNOB_AREA.last;
constexpr SIdRange CHANNEL_KNOB_AREA{2004, 2005};
constexpr int CHANNEL_KNOB = CHANNEL_KNOB_AREA.last;
constexpr int MAIN_UP = 2057;
constexpr int MAIN_DOWN = 2058;
constexpr int CHANNEL_UP = 2059;
constexpr int CHANNEL_DOWN = 2060;

// Channel and pair selectors with their mutes and solos.
constexpr SIdRange CHANNEL{2006, 2013};
constexpr int PHASE = 2014;
constexpr SIdRange PAIR{2015, 2018};
constexpr SIdRange MUTE{2019, 2026};
constexpr SIdRange PAIR_MUTE{2027, 2030};
constexpr SIdRange SOLO{2142, 2149};
constexpr SIdRange PAIR_SOLO{2150, 2153};

// Page tabs and switches.
constexpr SIdRange TAB{2031, 2034};
constexpr int TAB_CONFIG = TAB.at(0);
constexpr int TAB_EQ = TAB.at(1);
constexpr int TAB_XOVER = TAB.at(2);
constexpr int TAB_DELAY = TAB.at(3);
constexpr int EQ_SWITCH = 2035;
constexpr int MODE_SWITCH = 2036;
constexpr int HELP = 2414;
constexpr int MANUAL = 2415;

// Standard configuration page.
constexpr SIdRange INPUT_KIND{2037, 2041};
constexpr int EASY_SENS_SLIDER = 2042;
constexpr int EASY_SENS_BOX = 2043;
constexpr int EASY_LOW_HIGH = 2044;
constexpr int EASY_LOW_HIGH_2 = 2045; // never shown
constexpr SIdRange ARCH{2046, 2050};
constexpr int ACTIVATE = 2051;
constexpr int EASY_SENS_UP = 2055;
constexpr int EASY_SENS_DOWN = 2056;
constexpr SIdRange SPEAKER{2130, 2141}; // speaker icons of the standard mode

// Expert configuration page. Row labels: EXP_LABEL.first IN 1-6, then AUX L/R, OPT L/R, one shown
// per expert input; a click on EXP_LABEL.at(c) (c 0..5) selects main input channel c.
constexpr SIdRange EXP_LABEL{2069, 2074};
constexpr SIdRange EXP_ROUTE_MAIN{2075, 2122}; // at(6 o + n): output o, main input n
constexpr SIdRange EXP_SENS_SLIDER{2123, 2128};
constexpr int EXP_HIGHLOW_SPARE = 2129; // a help text, no control
constexpr SIdRange EXP_SENS_UP{2160, 2165};
constexpr SIdRange EXP_SENS_DOWN{2166, 2171};
constexpr SIdRange EXP_INPUT{2172, 2174}; // main, AUX, optical
constexpr SIdRange EXP_SENS_BOX{2301, 2306};
constexpr SIdRange EXP_ROUTE_AUX{2307, 2322};       // at(2 o + n)
constexpr SIdRange EXP_ROUTE_NUMERICAL{2323, 2338}; // at(2 o + n)
constexpr SIdRange AUX_SENS_UP{2339, 2340};
constexpr SIdRange AUX_SENS_DOWN{2341, 2342};
constexpr SIdRange AUX_SENS_BOX{2343, 2344};
constexpr int EXP_HIGHLOW = 2346;
constexpr SIdRange AUX_SENS_SLIDER{2347, 2348};
constexpr SIdRange EXPERT_SPEAKER{2355, 2362};

// Equalizer page: one control of each kind per band.
constexpr SIdRange EQ_GAIN_SLIDER{2200, 2209};
constexpr SIdRange EQ_Q_KNOB{2210, 2219};
constexpr SIdRange EQ_FREQ_BOX{2220, 2229};
constexpr SIdRange EQ_GAIN_BOX{2230, 2239};
constexpr SIdRange EQ_Q_BOX{2240, 2249};
constexpr int GRAPH = 2390;

// Crossover page.
constexpr SIdRange XOVER_TYPE{2052, 2054};
constexpr int XOVER_HP = XOVER_TYPE.at(0);
constexpr int XOVER_BP = XOVER_TYPE.at(1);
constexpr int XOVER_LP = XOVER_TYPE.at(2);
constexpr int HP_SLIDER = 2400;
constexpr int LP_SLIDER = 2401;
constexpr int HP_SLOPE_BOX = 2402;
constexpr int LP_SLOPE_BOX = 2403;
constexpr int HP_FREQ_BOX = 2404;
constexpr int LP_FREQ_BOX = 2405;
constexpr SIdRange XOVER_STEPPER{2406, 2413}; // never shown: up, down for LP freq, LP slope, HP ...
constexpr int LP_FREQ_UP = XOVER_STEPPER.at(0);
constexpr int LP_FREQ_DOWN = XOVER_STEPPER.at(1);
constexpr int LP_SLOPE_UP = XOVER_STEPPER.at(2);
constexpr int LP_SLOPE_DOWN = XOVER_STEPPER.at(3);
constexpr int HP_FREQ_UP = XOVER_STEPPER.at(4);
constexpr int HP_FREQ_DOWN = XOVER_STEPPER.at(5);
constexpr int HP_SLOPE_UP = XOVER_STEPPER.at(6);
constexpr int HP_SLOPE_DOWN = XOVER_STEPPER.at(7);

// Time-alignment page.
constexpr SIdRange DELAY_STEP{2061, 2066}; // up, down for ms, cm, in
constexpr int DELAY_CM_BOX = 2500;
constexpr int DELAY_MS_BOX = 2501;
constexpr int DELAY_IN_BOX = 2502;
constexpr int DELAY_PHASE = 2503;

// Buttons of the about box and of the OK/Cancel question.
constexpr int ABOUT_CLOSE = 2416;
constexpr int ABOUT_LINK = 2417;
constexpr int DIALOG_OK = 2506;
constexpr int DIALOG_CANCEL = 2507;

// Parts of the window added to the original that report the pointer for help mode: the A/B sides, the
// graph's system view switches, the plain graph and its overlay's legend, the system view's plot and
// legend.
constexpr SIdRange ADDED_HELP{2600, 2608};
constexpr SIdRange AB_SIDE_HELP{2600, 2601};       // side A, side B
constexpr SIdRange SYSTEM_SWITCH_HELP{2602, 2604}; // SYSTEM, PHASE, UNWRAP
constexpr int GRAPH_PLOT_HELP = 2605;
constexpr int GRAPH_LEGEND_HELP = 2606;
constexpr int SYSTEM_PLOT_HELP = 2607;
constexpr int SYSTEM_LEGEND_HELP = 2608;

// Step codes that stand in for a control when a value is stepped by key or wheel.
constexpr int STEP_UP = 5038;
constexpr int STEP_DOWN = 5040;

// Every block above; the named members of TAB, XOVER_TYPE, XOVER_STEPPER and the knob areas are
// inside their block.
constexpr SIdRange kAllBlocks[] = {
    One(MAIN_LEVEL_BOX),
    One(CHANNEL_LEVEL_BOX),
    MAIN_KNOB_AREA,
    CHANNEL_KNOB_AREA,
    One(MAIN_UP),
    One(MAIN_DOWN),
    One(CHANNEL_UP),
    One(CHANNEL_DOWN),
    CHANNEL,
    One(PHASE),
    PAIR,
    MUTE,
    PAIR_MUTE,
    SOLO,
    PAIR_SOLO,
    TAB,
    One(EQ_SWITCH),
    One(MODE_SWITCH),
    One(HELP),
    One(MANUAL),
    INPUT_KIND,
    One(EASY_SENS_SLIDER),
    One(EASY_SENS_BOX),
    One(EASY_LOW_HIGH),
    One(EASY_LOW_HIGH_2),
    ARCH,
    One(ACTIVATE),
    One(EASY_SENS_UP),
    One(EASY_SENS_DOWN),
    SPEAKER,
    EXP_LABEL,
    EXP_ROUTE_MAIN,
    EXP_SENS_SLIDER,
    One(EXP_HIGHLOW_SPARE),
    EXP_SENS_UP,
    EXP_SENS_DOWN,
    EXP_INPUT,
    EXP_SENS_BOX,
    EXP_ROUTE_AUX,
    EXP_ROUTE_NUMERICAL,
    AUX_SENS_UP,
    AUX_SENS_DOWN,
    AUX_SENS_BOX,
    One(EXP_HIGHLOW),
    AUX_SENS_SLIDER,
    EXPERT_SPEAKER,
    EQ_GAIN_SLIDER,
    EQ_Q_KNOB,
    EQ_FREQ_BOX,
    EQ_GAIN_BOX,
    EQ_Q_BOX,
    One(GRAPH),
    XOVER_TYPE,
    One(HP_SLIDER),
    One(LP_SLIDER),
    One(HP_SLOPE_BOX),
    One(LP_SLOPE_BOX),
    One(HP_FREQ_BOX),
    One(LP_FREQ_BOX),
    XOVER_STEPPER,
    DELAY_STEP,
    One(DELAY_CM_BOX),
    One(DELAY_MS_BOX),
    One(DELAY_IN_BOX),
    One(DELAY_PHASE),
    ADDED_HELP,
    One(ABOUT_CLOSE),
    One(ABOUT_LINK),
    One(DIALOG_OK),
    One(DIALOG_CANCEL),
    One(STEP_UP),
    One(STEP_DOWN),
};

} // namespace ctl

// Menu commands, numbered as the menus have always sent them.
constexpr ctl::SIdRange ID_LOAD_PRESET{32771, 32774}; // memories 1..4
constexpr int ID_LOAD_PRESET_1 = ID_LOAD_PRESET.first;
constexpr int ID_LOAD_PRESET_FILE = 32775;
constexpr int ID_PAGE_CONFIGURATION = 32776;
constexpr int ID_PAGE_EQUALIZER = 32778;
constexpr ctl::SIdRange ID_STORE_PRESET{32779, 32782}; // memories 1..4
constexpr int ID_STORE_PRESET_1 = ID_STORE_PRESET.first;
constexpr int ID_PAGE_TIME_ALIGNMENT = 32786;
constexpr int ID_PAGE_CROSSOVER = 32787;
constexpr int ID_SAVE_PRESET_FILE_AS = 32791;
constexpr int ID_SAVE_PRESET_FILE = 32792;
constexpr int ID_RESTORE_FACTORY = 32794;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;
constexpr int ID_AB_SWITCH = 57650; // play the other of the two compared settings
constexpr int ID_AB_COPY = 57651;   // copy the live setting over the other
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_HELP_MANUAL = 57670;

namespace ctl {

constexpr SIdRange kAllCommands[] = {
    ID_LOAD_PRESET,
    One(ID_LOAD_PRESET_FILE),
    One(ID_PAGE_CONFIGURATION),
    One(ID_PAGE_EQUALIZER),
    ID_STORE_PRESET,
    One(ID_PAGE_TIME_ALIGNMENT),
    One(ID_PAGE_CROSSOVER),
    One(ID_SAVE_PRESET_FILE_AS),
    One(ID_SAVE_PRESET_FILE),
    One(ID_RESTORE_FACTORY),
    One(ID_EDIT_UNDO),
    One(ID_EDIT_REDO),
    One(ID_AB_SWITCH),
    One(ID_AB_COPY),
    One(ID_APP_ABOUT),
    One(ID_APP_EXIT),
    One(ID_HELP_MANUAL),
};

template <std::size_t N, std::size_t M>
constexpr bool BlocksWellFormedAndDisjoint(const SIdRange (&controls)[N], const SIdRange (&commands)[M]) {
    auto block = [&](std::size_t k) { return k < N ? controls[k] : commands[k - N]; };
    for (std::size_t i = 0; i < N + M; ++i) {
        if (block(i).first > block(i).last) return false;
        for (std::size_t j = i + 1; j < N + M; ++j)
            if (block(i).first <= block(j).last && block(j).first <= block(i).last) return false;
    }
    return true;
}
static_assert(BlocksWellFormedAndDisjoint(kAllBlocks, kAllCommands), "two ID blocks overlap");

} // namespace ctl
