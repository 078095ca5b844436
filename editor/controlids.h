// Dialog control IDs of the main view, by role.
#pragma once

namespace ctl {
constexpr int MAIN_LEVEL_BOX = 2000;
constexpr int CHANNEL_LEVEL_BOX = 2001;
constexpr int MAIN_KNOB = 2003;
constexpr int CHANNEL_KNOB = 2005;
constexpr int CHANNEL_FIRST = 2006; // 2006..2013
constexpr int PHASE = 2014;
constexpr int PAIR_FIRST = 2015;      // 2015..2018
constexpr int MUTE_FIRST = 2019;      // 2019..2026
constexpr int PAIR_MUTE_FIRST = 2027; // 2027..2030
constexpr int TAB_CONFIG = 2031;
constexpr int TAB_EQ = 2032;
constexpr int TAB_XOVER = 2033;
constexpr int TAB_DELAY = 2034;
constexpr int EQ_SWITCH = 2035;
constexpr int MODE_SWITCH = 2036;
constexpr int INPUT_KIND_FIRST = 2037; // 2037..2041
constexpr int EASY_SENS_SLIDER = 2042;
constexpr int EASY_SENS_BOX = 2043;
constexpr int EASY_LOW_HIGH = 2044;
constexpr int EASY_LOW_HIGH_2 = 2045;
constexpr int ARCH_FIRST = 2046; // 2046..2050
constexpr int ACTIVATE = 2051;
constexpr int XOVER_HP = 2052;
constexpr int XOVER_BP = 2053;
constexpr int XOVER_LP = 2054;
constexpr int EASY_SENS_UP = 2055;
constexpr int EASY_SENS_DOWN = 2056;
constexpr int MAIN_UP = 2057;
constexpr int MAIN_DOWN = 2058;
constexpr int CHANNEL_UP = 2059;
constexpr int CHANNEL_DOWN = 2060;
constexpr int DELAY_STEP_FIRST = 2061; // 2061..2066: up, down for ms, cm, in
constexpr int DELAY_STEP_LAST = 2066;
constexpr int SPEAKER_FIRST = 2130; // 2130..2141, standard mode
constexpr int SPEAKER_LAST = 2141;
constexpr int SOLO_FIRST = 2142;      // 2142..2149
constexpr int PAIR_SOLO_FIRST = 2150; // 2150..2153
constexpr int EQ_GAIN_SLIDER = 2200;  // + band
constexpr int EQ_Q_KNOB = 2210;
constexpr int EQ_FREQ_BOX = 2220;
constexpr int EQ_GAIN_BOX = 2230;
constexpr int EQ_Q_BOX = 2240;
constexpr int EXPERT_SPEAKER_FIRST = 2355; // 2355..2362
constexpr int EXPERT_SPEAKER_LAST = 2362;
constexpr int GRAPH = 2390;
constexpr int HP_SLIDER = 2400;
constexpr int LP_SLIDER = 2401;
constexpr int HP_SLOPE_BOX = 2402;
constexpr int LP_SLOPE_BOX = 2403;
constexpr int HP_FREQ_BOX = 2404;
constexpr int LP_FREQ_BOX = 2405;
constexpr int LP_FREQ_UP = 2406;
constexpr int LP_FREQ_DOWN = 2407;
constexpr int LP_SLOPE_UP = 2408;
constexpr int LP_SLOPE_DOWN = 2409;
constexpr int HP_FREQ_UP = 2410;
constexpr int HP_FREQ_DOWN = 2411;
constexpr int HP_SLOPE_UP = 2412;
constexpr int HP_SLOPE_DOWN = 2413;
constexpr int HELP = 2414;
constexpr int MANUAL = 2415;
constexpr int DELAY_CM_BOX = 2500;
constexpr int DELAY_MS_BOX = 2501;
constexpr int DELAY_IN_BOX = 2502;
constexpr int DELAY_PHASE = 2503;

constexpr int STEP_UP = 5038;
constexpr int STEP_DOWN = 5040;
} // namespace ctl

// Notifications the skinned controls post: (message, control ID, value).
constexpr unsigned WM_GDI_CTRL_DOWN = 10024;
constexpr unsigned WM_GDI_CTRL_MOVE = 10025;
constexpr unsigned WM_GDI_CTRL_UP = 10026;
constexpr unsigned WM_SKIN_BTN_DOWN = 10224;
constexpr unsigned WM_SKIN_BTN_REPEAT = 10225;
constexpr unsigned WM_SKIN_BTN_UP = 10227;
constexpr unsigned WM_CTRL_HOVER = 10424;
