// Message, timer, command and text constants shared by the editor core and its hosts.
#pragma once

#include <cstdint>

#include "comm/protocol.h"
#include "editor/controlids.h"
#include "editor/uitext.h"

// Messages the editor posts to itself
constexpr std::uint32_t WM_GRAPH_REFRESH = 0x464;
constexpr std::uint32_t WM_WHEEL_STEP = 0x465;
constexpr std::uint32_t WM_APPLY_IO_CONFIG = 0x466;
constexpr std::uint32_t WM_SAVE_FILE = 0x467;
constexpr std::uint32_t WM_SEND_ALL = 0x468;
constexpr std::uint32_t WM_LOAD_DONE = 0x469;
// The probes of a port ended with an answer (lParam: that port's COM number); posted after the
// answer's own chunk, so its found flag is set when this arrives.
constexpr std::uint32_t WM_SEARCH_ANSWERED = 0x470;
// The processor went away while nothing was being loaded or saved: offer to save the settings to a
// file. Posted by the link, so the link does not call up into the files.
constexpr std::uint32_t WM_OFFER_SAVE_FILE = 0x471;
// Messages to the frame (lParam: 0..3 preset 1..4, 4 file load / save as, 5 file save)
constexpr std::uint32_t WM_MARK_LOAD = 0x4C8;
constexpr std::uint32_t WM_MARK_SAVE = 0x4C9;
// From the frame: a serial port went away or arrived (lParam: COM number when known, else -1)
constexpr std::uint32_t WM_DEVICE_DISCONNECT = 0x52C;
constexpr std::uint32_t WM_DEVICE_CONNECT = 0x52D;

// Timers of the view
constexpr int TIMER_DEVICE_SEARCH = 1;    // 3000 ms, repeating
constexpr int TIMER_ANIMATION = 2;        // 50 ms, repeating
constexpr int TIMER_GRAPH = 10;           // 50 ms
constexpr int TIMER_IO_APPLY = 11;        // 100 ms
constexpr int TIMER_SAVE_FILE = 12;       // 100 ms
constexpr int TIMER_SEND_ALL = 13;        // 100 ms
constexpr int TIMER_ID_UNLOCK_MOUSE = 14; // 1000 ms
constexpr int TIMER_WHEEL = 20;           // 300 ms

constexpr std::uint32_t DEVICE_SEARCH_MS = 3000;
constexpr std::uint32_t GRAPH_DELAY_MS = 50;
constexpr std::uint32_t UNLOCK_MOUSE_MS = 1000;
constexpr std::uint32_t WHEEL_DELAY_MS = 300;

// Repaint areas the editor asks its host to redraw
enum ERepaintArea {
    AREA_ALL = 0,
    AREA_CONNECTION = 1,
    AREA_CONFIG = 2,
    AREA_GRAPH = 3,
    AREA_PAGE = 4,
    AREA_ANIMATION = 5,
};

constexpr const char* TEXT_COMM_ERROR = "Communication error!";
constexpr const char* TEXT_TITLE = MLB8_TRANSLATE_NOOP("editor", "MLB-8 DSP 管理工具");
constexpr int UPDATE_CODE = 89;
