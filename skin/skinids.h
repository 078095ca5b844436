// Numeric IDs of the skin images. Every image is compiled in as ":/skin/<ID>.png".
//
// Most IDs are fixed by the window layout. The images that have no fixed ID (page tabs, labelled
// push buttons, routing lights, and the select-button and speaker-icon variants that no output
// architecture asks for) live in the free range 1100..1399, documented here and in the manifest.
#pragma once

#include <array>

namespace SkinId {

// Window frame and pages.
constexpr int BACKGROUND = 200;    // 1008 x 656, drawn stretched into the 1018 x 706 window
constexpr int TAB_BAR = 201;       // 108 x 452 at (0, 147)
constexpr int TOP_BAR = 202;       // 1008 x 146 into (0, 0, 1008, 147)
constexpr int PAGE_STANDARD = 203; // 901 x 452 at (107, 147); 205..208 likewise
constexpr int PAGE_EXPERT = 205;
constexpr int PAGE_EQUALIZER = 206;
constexpr int PAGE_CROSSOVER = 207;
constexpr int PAGE_TIME = 208;
constexpr int LEVEL_EDIT_FRAME = 209;  // 110 x 37, behind the main and channel level boxes
constexpr int XOVER_SLOPE_FRAME = 210; // 110 x 50
constexpr int XOVER_FREQ_FRAME = 211;  // 110 x 50

// Stepper arrows of every value box: up 291 normal / 292 pressed (20 x 16),
// down 293 normal / 294 pressed (20 x 15).
constexpr int STEP_UP = 291;
constexpr int STEP_UP_PRESSED = 292;
constexpr int STEP_DOWN = 293;
constexpr int STEP_DOWN_PRESSED = 294;

// Level knobs: knob strip (65 frames of 101 x 101) and the two ring strips (57 frames of 101 x 90).
constexpr int KNOB_STRIP = 300;
constexpr int RING_CHANNEL = 301;
constexpr int RING_MAIN = 302;
constexpr int KNOB_FRAMES = 65;
constexpr int RING_FRAMES = 57;

// Phase button (35 x 35): normal, pressed, inverted, inverted and pressed.
constexpr int PHASE = 303;

// Channel (44 x 26) and pair (52 x 26) select buttons. See SelectButton() below.
constexpr int SELECT_FIRST = 310;
constexpr int SELECT_LAST = 365;
constexpr int SELECT_EXTRA_FIRST = 1100; // the combinations no architecture uses (40 images)

// Mute and solo (37 x 15): 366 mute off, 367 mute on, 368 solo off, 369 solo on.
constexpr int MUTE_OFF = 366;
constexpr int MUTE_ON = 367;
constexpr int SOLO_OFF = 368;
constexpr int SOLO_ON = 369;

constexpr int GRAPH_BACKGROUND = 376; // 883 x 239

// Switches: STANDARD/EXPERT (168 x 24; 381 standard, 382 expert), equalizer (67 x 34; 383 off, 384 on),
// input level (110 x 49; 418 high level, 419 low level).
constexpr int MODE_STANDARD = 381;
constexpr int MODE_EXPERT = 382;
constexpr int EQ_OFF = 383;
constexpr int EQ_ON = 384;
constexpr int LEVEL_HIGH = 418;
constexpr int LEVEL_LOW = 419;

// Horizontal slider: thumb 28 x 28, level fill 155 x 8, track 170 x 28.
constexpr int HSLIDER_THUMB = 400;
constexpr int HSLIDER_FILL = 401;
constexpr int HSLIDER_TRACK = 402;

// Standard configuration page overlays.
constexpr int SENS_LABEL = 441;   // 102 x 22
constexpr int SENS_FRAME = 465;   // 110 x 37
constexpr int BLANK_PANEL = 1003; // 460 x 100

// Speaker pictures on the car of the standard page: odd ID normal, next even ID phase-inverted.
constexpr int SPK_CENTRE = 443;    // 48 x 48
constexpr int SPK_SUB_R = 445;     // 52 x 52
constexpr int SPK_SUB_L = 447;     // 52 x 52
constexpr int SPK_TWEETER_L = 449; // 28 x 28
constexpr int SPK_TWEETER_R = 451;
constexpr int SPK_MID_L = 453; // 32 x 32
constexpr int SPK_MID_R = 455;
constexpr int SPK_WOOFER_L = 457; // 40 x 40
constexpr int SPK_COAX_L = 459;   // 40 x 40
constexpr int SPK_WOOFER_R = 461;
constexpr int SPK_COAX_R = 463;

// Equalizer: gain fader thumb strip (124 frames of 34 x 31), fader track 7 x 104,
// Q knob strip (65 frames of 42 x 42).
constexpr int FADER_STRIP = 500;
constexpr int FADER_TRACK = 501;
constexpr int QKNOB_STRIP = 502;
constexpr int FADER_FRAMES = 124;
constexpr int QKNOB_FRAMES = 65;

// Crossover page lit overlays.
constexpr int XOVER_HP_SYMBOL = 608; // 40 x 40
constexpr int XOVER_LP_SYMBOL = 609;
constexpr int XOVER_LP_LABEL = 610; // 67 x 24
constexpr int XOVER_HP_LABEL = 611;

constexpr int CAR = 783;             // 463 x 200, time-alignment page
constexpr int ANIMATION_FIRST = 800; // 800..849, 140 x 140
constexpr int ANIMATION_FRAMES = 50;

// Help button (35 x 35): normal, pressed, on, on and pressed. "User Manual" button (106 x 32).
constexpr int HELP = 902;
constexpr int MANUAL = 907;
constexpr int MANUAL_PRESSED = 908;

// Dialogs.
constexpr int DIALOG_BACKGROUND = 950; // 600 x 334
constexpr int ABOUT_CONTENT = 951;     // 581 x 259
constexpr int BTN_CANCEL = 952;        // 81 x 34, 953 pressed
constexpr int BTN_CANCEL_PRESSED = 953;
constexpr int BTN_OK = 954; // 81 x 34, 955 pressed
constexpr int BTN_OK_PRESSED = 955;
constexpr int MSG_SAVE = 956;     // 580 x 110
constexpr int MSG_QUIT = 957;     // 580 x 110
constexpr int WEB_LINK = 1002;    // 100 x 19
constexpr int WEB_LINK_ZH = 1004; // 100 x 19, for the Chinese interface

// The save and quit questions in English, for the English interface.
constexpr int MSG_SAVE_EN = 958; // 580 x 110
constexpr int MSG_QUIT_EN = 959; // 580 x 110

constexpr int CONNECTED = 964;    // 106 x 56
constexpr int DISCONNECTED = 965; // 106 x 56

// Expert routing row labels: IN 1..6 (26 x 167), AUX L/R and OPT L/R (50 x 38).
constexpr int ROW_LABEL_MAIN = 967;
constexpr int ROW_LABEL_AUX = 968;
constexpr int ROW_LABEL_OPT = 969;

// Free range. Labelled push buttons have four looks in a row: normal, pressed, lit, lit and pressed.
constexpr int TAB_FIRST = 1200;          // 4 tabs x 4 looks, 82 x 80: Configuration, Equalizer,
                                         // Crossover, Time alignment
constexpr int INPUT_KIND_FIRST = 1220;   // 5 kinds x 4 looks, 92 x 34
constexpr int ARCH_FIRST = 1240;         // 5 architectures x 4 looks, 92 x 34
constexpr int ACTIVATE = 1260;           // 92 x 34, 1261 pressed
constexpr int XOVER_TYPE_FIRST = 1270;   // high-pass, band-pass, low-pass x 4 looks, 92 x 34
constexpr int ROUTE_LIGHT = 1290;        // 18 x 18: off, off pressed, on, on pressed
constexpr int EXPERT_INPUT_FIRST = 1300; // MAIN, AUX, OPT x 4 looks, 92 x 34
constexpr int SYSTEM_VIEW_FIRST = 1320;  // the graph's SYSTEM, PHASE, UNWRAP switches x 4 looks
constexpr int SYSTEM_VIEW_W = 64;
constexpr int SYSTEM_VIEW_H = 22;
constexpr int AB_FIRST = 1340; // the A and B sides of the comparison x 4 looks
constexpr int AB_W = 30;
constexpr int AB_H = 22;

constexpr int APP_ICON = 1400; // 256 x 256, the program's icon (window and desktop entry)

constexpr int LOOKS = 4;

// Image of a labelled four-look button: nFirst + 4 * nButton + nLook.
constexpr int ButtonLook(int nFirst, int nButton, int nLook) {
    return nFirst + LOOKS * nButton + nLook;
}

// Select buttons: state index 0..3 picks the role colour (0 amber, 1 teal, 2 violet, 3 blue; the
// architectures choose the state per button); each (button, state) has an on and an off
// image. The combinations the architectures use take 310..365 (buttons in order, channel buttons
// 0..7 first, then pairs 0..3; per button the states in ascending order, on before off); the others
// take 1100.. in the same order. Returns 0 for arguments out of range.
int SelectButton(bool bPair, int nIndex, int nState, bool bOn);

// States each select button shows in some architecture (bit n = state n).
constexpr std::array<unsigned, 8> CHANNEL_STATES_USED = {0b111, 0b111, 0b011, 0b011,
                                                         0b001, 0b001, 0b011, 0b011};
constexpr std::array<unsigned, 4> PAIR_STATES_USED = {0b1011, 0b1111, 0b1011, 0b1001};

// Speaker icons of the time-alignment page: a puck with the channel number, in three sizes by
// state (0 tweeter 30 x 30, 1 mid/woofer 36 x 36, 2 subwoofer 42 x 42) and four looks
// (0 selected, 1 normal, 2 selected and phase-inverted, 3 phase-inverted). Per channel the twelve
// IDs run in the order the icon loads them: the six inactive looks (look 0 state 0, look 1 state 0,
// look 0 state 1, ...), then the six active ones. Channels 1..5 take 711..770, channels 6 and 7
// take 972..995, channel 8 takes 996..1001 (inactive) and 1140..1145 (active).
int SpeakerIcon(int nChannel, int nState, int nLook);
// The twelve IDs of one channel in load order (inactive six, then active six).
std::array<int, 12> SpeakerIconSet(int nChannel);

} // namespace SkinId
