// Window-pixel rectangles the skin art is drawn around.
//
// The page backgrounds leave room, wells and captions for the controls at these rectangles. The
// fixed frame and the equalizer page follow the view's layout; the expert, crossover and
// time-alignment pages are laid out here, and the view places their controls at the same spots.
#pragma once

#include <array>

struct SSkinRect {
    int x, y, w, h;
};

namespace SkinLayout {

constexpr int WINDOW_W = 1018;
constexpr int WINDOW_H = 706;
constexpr SSkinRect PAGE = {107, 147, 901, 452};
constexpr SSkinRect TAB_BAR = {0, 147, 108, 452};
constexpr SSkinRect TOP_BAR = {0, 0, 1008, 147};

// Fixed frame.
constexpr std::array<SSkinRect, 4> TABS = {
    {{15, 172, 82, 80}, {15, 270, 82, 80}, {15, 395, 82, 80}, {15, 495, 82, 80}}};
constexpr SSkinRect EQ_SWITCH = {20, 350, 67, 34};
constexpr SSkinRect MODE_SWITCH = {120, 148, 168, 24};
constexpr SSkinRect MAIN_FRAME = {14, 55, 110, 37};
constexpr SSkinRect MAIN_EDIT = {20, 65, 40, 16};
constexpr SSkinRect MAIN_KNOB = {108, 27, 101, 101};
constexpr SSkinRect MAIN_STEP_UP = {59, 58, 20, 15};
constexpr SSkinRect MAIN_STEP_DOWN = {59, 74, 20, 15};
constexpr SSkinRect CHANNEL_FRAME = {238, 55, 110, 37};
constexpr SSkinRect CHANNEL_EDIT = {243, 65, 40, 16};
constexpr SSkinRect CHANNEL_KNOB = {335, 27, 101, 101};
constexpr SSkinRect CHANNEL_STEP_UP = {283, 58, 20, 15};
constexpr SSkinRect CHANNEL_STEP_DOWN = {283, 74, 20, 15};
constexpr SSkinRect PHASE = {260, 95, 35, 35};
constexpr std::array<int, 8> CHANNEL_X = {534, 592, 651, 710, 768, 828, 884, 942};
constexpr int CHANNEL_Y = 23, CHANNEL_W = 44, CHANNEL_H = 26;
constexpr std::array<int, 8> CHANNEL_SOLO_X = {537, 596, 655, 714, 773, 830, 889, 948};
constexpr int CHANNEL_SOLO_Y = 50, CHANNEL_MUTE_Y = 65, MUTE_W = 37, MUTE_H = 15;
constexpr std::array<int, 4> PAIR_X = {559, 675, 792, 910};
constexpr int PAIR_Y = 84, PAIR_W = 52, PAIR_H = 26;
constexpr std::array<int, 4> PAIR_SOLO_X = {568, 685, 802, 918};
constexpr int PAIR_SOLO_Y = 110, PAIR_MUTE_Y = 124;
constexpr SSkinRect HELP = {13, 608, 35, 35};
constexpr SSkinRect MANUAL = {620, 608, 128, 34};
constexpr SSkinRect HELP_TEXT = {140, 604, 470, 50};
constexpr SSkinRect INDICATOR = {750, 595, 106, 56};
constexpr SSkinRect AB_SWITCH = {170, 9, 62, 22}; // the A/B comparison's two sides, in the header
constexpr SSkinRect GRAPH = {116, 156, 883, 239};

// Standard configuration page.
constexpr std::array<int, 5> STD_BUTTON_X = {127, 231, 345, 456, 567};
constexpr int STD_INPUT_Y = 250, STD_ARCH_Y = 480, BUTTON_W = 92, BUTTON_H = 34;
constexpr SSkinRect STD_ACTIVATE = {567, 540, 92, 34};
constexpr SSkinRect STD_SENS_SLIDER = {280, 320, 170, 28};
constexpr SSkinRect STD_SENS_EDIT = {468, 325, 35, 14};
constexpr SSkinRect STD_SENS_UP = {505, 317, 20, 15};
constexpr SSkinRect STD_SENS_DOWN = {505, 333, 20, 15};
constexpr SSkinRect STD_SENS_FRAME = {460, 314, 110, 37};
constexpr SSkinRect STD_SENS_LABEL = {174, 320, 102, 22};
constexpr SSkinRect STD_BLANK = {174, 310, 460, 100};
constexpr SSkinRect STD_LEVEL_SWITCH = {311, 359, 110, 49};
constexpr SSkinRect STD_ANIMATION = {777, 285, 140, 140};
constexpr SSkinRect STD_CAR = {708, 160, 282, 438}; // drawn into the page background, nose up

// Equalizer page, bands 1..10.
constexpr std::array<int, 10> EQ_GAIN_X = {180, 263, 347, 430, 512, 595, 678, 761, 845, 928};
constexpr int EQ_GAIN_Y = 441, EQ_GAIN_W = 34, EQ_GAIN_H = 119;
constexpr std::array<int, 10> EQ_Q_X = {180, 264, 347, 429, 511, 595, 677, 760, 842, 925};
constexpr int EQ_Q_Y = 555, EQ_Q_SIZE = 42;
constexpr std::array<int, 10> EQ_FREQ_X = {184, 267, 350, 434, 515, 597, 682, 765, 847, 931};
constexpr int EQ_FREQ_Y = 413, EQ_FREQ_W = 38, EQ_FREQ_H = 15;
constexpr std::array<int, 10> EQ_GAINEDIT_X = {226, 309, 392, 475, 558, 640, 722, 808, 890, 972};
constexpr int EQ_GAINEDIT_Y = 478, EQ_GAINEDIT_W = 25, EQ_GAINEDIT_H = 16;
constexpr std::array<int, 10> EQ_QEDIT_X = {227, 307, 393, 475, 556, 638, 724, 805, 889, 971};
constexpr int EQ_QEDIT_Y = 557;

// Expert configuration page.
constexpr std::array<int, 3> EXP_INPUT_X = {127, 231, 335}; // 2172..2174, 92 x 34
constexpr int EXP_INPUT_Y = 200;
constexpr SSkinRect EXP_LEVEL_SWITCH = {455, 192, 110, 49};     // 2346, images 418/419
constexpr std::array<int, 4> EXP_SENS_Y = {288, 352, 414, 480}; // IN 1-2, IN 3-4, IN 5-6, AUX L/R
// The frame with its box ends inside the sensitivity panel (at 910 it ran past the window's edge).
constexpr int EXP_SENS_FRAME_X = 892;                      // 110 x 37 frames (465)
constexpr int EXP_SENS_SLIDER_X = 722;                     // 170 x 28, y = row y + 4
constexpr int EXP_SENS_EDIT_DX = 8, EXP_SENS_EDIT_DY = 11; // edit 35 x 14 inside the frame
constexpr int EXP_SENS_STEP_DX = 45, EXP_SENS_UP_DY = 3, EXP_SENS_DOWN_DY = 19;
constexpr std::array<int, 8> EXP_MATRIX_COL_X = {215, 271, 327, 383, 439, 495, 551, 607}; // light centres
constexpr int EXP_MATRIX_TOP = 300;                // top of the first row
constexpr double EXP_MAIN_ROW_PITCH = 167.0 / 6.0; // IN 1..6 rows, beside label 967
constexpr int EXP_AUX_ROW_PITCH = 19;              // L/R rows, beside labels 968/969
constexpr int ROUTE_LIGHT_SIZE = 18;
constexpr SSkinRect EXP_ROW_LABEL_MAIN = {172, 300, 26, 167};
constexpr SSkinRect EXP_ROW_LABEL_PAIR = {150, 300, 50, 38};

// Crossover page.
constexpr std::array<int, 3> XO_TYPE_X = {407, 513, 619}; // 2052..2054, 92 x 34
constexpr int XO_TYPE_Y = 412;
constexpr SSkinRect XO_HP_LABEL = {151, 494, 68, 24};
constexpr SSkinRect XO_HP_SYMBOL = {261, 487, 40, 40};
constexpr SSkinRect XO_HP_SLOPE = {370, 474, 110, 50};
constexpr SSkinRect XO_HP_FREQ = {371, 530, 110, 50};
constexpr SSkinRect XO_HP_SLIDER = {151, 545, 170, 28};
constexpr SSkinRect XO_LP_LABEL = {657, 493, 67, 24};
constexpr SSkinRect XO_LP_SYMBOL = {767, 487, 40, 40};
constexpr SSkinRect XO_LP_SLOPE = {875, 475, 110, 50};
constexpr SSkinRect XO_LP_FREQ = {875, 531, 110, 50};
constexpr SSkinRect XO_LP_SLIDER = {657, 545, 170, 28};
constexpr int XO_EDIT_DX = 10, XO_EDIT_DY = 26, XO_EDIT_W = 50,
              XO_EDIT_H = 16; // edit inside a 110 x 50 frame

// Time-alignment page: delay boxes (frame 110 x 37 drawn into the page, edit and steppers placed
// inside it as in the level frame): ms (2501, steppers 2061/2062), cm (2500, 2063/2064),
// in (2502, 2065/2066).
constexpr std::array<int, 3> TA_FRAME_X = {380, 530, 680};
constexpr int TA_FRAME_Y = 195;
constexpr int TA_EDIT_DX = 6, TA_EDIT_DY = 10, TA_STEP_DX = 45, TA_UP_DY = 3, TA_DOWN_DY = 19;
constexpr SSkinRect TA_PHASE = {850, 196, 35, 35};
constexpr SSkinRect TA_CAR_STANDARD = {425, 280, 463, 200};
constexpr SSkinRect TA_CAR_EXPERT = {425, 350, 463, 200};
constexpr SSkinRect TA_ANIM_STANDARD = {660, 305, 140, 140};

} // namespace SkinLayout
