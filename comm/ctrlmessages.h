// Notifications the skinned controls post to their parent: (message, control ID, value). Shared by
// the controls and the editor that reads them, without Qt.
#pragma once

constexpr unsigned WM_GDI_CTRL_DOWN = 10024;
constexpr unsigned WM_GDI_CTRL_MOVE = 10025;
constexpr unsigned WM_GDI_CTRL_UP = 10026;
constexpr unsigned WM_SKIN_BTN_DOWN = 10224;
constexpr unsigned WM_SKIN_BTN_REPEAT = 10225;
constexpr unsigned WM_SKIN_BTN_UP = 10227;
constexpr unsigned WM_CTRL_HOVER = 10424;
