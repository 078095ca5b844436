// Help mode of the main view: the help button, the help text of the control under the pointer and the
// user manual. No widget here: the view draws CurrentText() into the help text area and mirrors the
// form state of the help button (ctl::HELP) and the "User Manual" button (ctl::MANUAL).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "comm/fileplatform.h"
#include "comm/sysplatform.h"
#include "editor/editcontext.h"

// Repaint areas of the bottom bar, beyond the core's own areas.
constexpr int AREA_HELP_BAR = 40;  // (50, 608) to (771, 644): the help and "User Manual" buttons
constexpr int AREA_HELP_TEXT = 41; // (140, 604) to (610, 654)

// How the view draws the help text: near alignment, trimmed by word with an ellipsis, "\r\n" breaks
// lines. The layout rectangle is deliberately larger than the help text area.
constexpr const char* HELP_TEXT_FONT = "Times New Roman"; // regular, size in pixels
constexpr int HELP_TEXT_PIXELS = 12;
constexpr std::uint32_t HELP_TEXT_ARGB = 0xFAFAFAFA;
constexpr int HELP_TEXT_X = 140, HELP_TEXT_Y = 604, HELP_TEXT_CX = 610, HELP_TEXT_CY = 654;

// The readers tried for the user manual, in this order, and the desktop's own opener after them.
constexpr const char* MANUAL_READER = "AcroRd32.exe";
constexpr const char* MANUAL_READER_2 = "Acrobat.exe";
constexpr const char* MANUAL_OPENER = ZUtils::DESKTOP_OPENER;
constexpr const char* TEXT_MANUAL_ERROR = "Cannot open User Manaul";

// The installed user manual, relative to the folder of the executable.
std::string UserManualPath(const std::string& exeDir);

// Starts a program with a document as its only argument. Returns 0 when the program was started,
// otherwise an error number (ENOENT when it is not found on PATH).
using DocumentLauncher = std::function<int(const std::string& program, const std::string& document)>;

// The default launcher is ZUtils::LaunchDocument and the manual is found from ZUtils::ExecutableDir
// (comm/sysplatform.h, comm/fileplatform.h).

class CHelp {
public:
    // The manual path defaults to the installed one beside the executable; the launcher to
    // ZUtils::LaunchDocument.
    explicit CHelp(const SEditContext& ctx);

    // The help text of a control, or nullptr when it has none.
    static const char* HelpText(int nCtrlId);

    // Click on the help button ctl::HELP.
    void ToggleHelpMode();
    // WM_CTRL_HOVER (control ID, 1 entered / 0 left).
    void OnCtrlHover(int nCtrlId, int nOnOff);
    // Cursor tracking for the edit boxes, which report no hover of their own: nDlgId is the dialog ID of
    // the window under the cursor (-1 when none). Posts WM_CTRL_HOVER when the edit box under the
    // cursor changes.
    void OnSetCursor(int nDlgId);
    // Click on "User Manual" (ctl::MANUAL) and the menu command Help.
    void OpenUserManual();

    // What the view draws in the help text area, or nullptr for nothing: the help text of the control
    // under the pointer in help mode, otherwise the notice.
    const char* CurrentText() const;
    // A notice for the user, shown until it is cleared (nullptr).
    void SetNotice(const char* pszText) { m_pszNotice = pszText; }

    void SetManualPath(const std::string& path) { m_szManualPath = path; }
    const std::string& ManualPath() const { return m_szManualPath; }
    void SetLauncher(DocumentLauncher launcher) { m_Launcher = std::move(launcher); }

    int m_bHelpMode = 0;
    int m_nHelpControlID = -1;
    int m_bHelpControlIDOnOff = 0;
    int m_nCursorCtrlID = 0;

private:
    SEditContext m_Ctx;
    const char* m_pszNotice = nullptr;
    std::string m_szManualPath;
    DocumentLauncher m_Launcher;
};
