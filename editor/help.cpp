#include "editor/help.h"

#include "comm/ctrlmessages.h"
#include "comm/formstate.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "editor/controltable.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/writer.h"
#include "orvix/settingsmodel.h"

#include <cerrno>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
// The edit boxes, which report no hover of their own, and the AUX sensitivity sliders, which the
// cursor tracking has always counted with them.
bool IsTrackedEditBox(int nId) {
    return ctl::KindOf(nId) == ctl::EKind::BOX || ctl::AUX_SENS_SLIDER.contains(nId);
}
} // namespace

std::string UserManualPath(const std::string& exeDir) {
    std::filesystem::path dir(exeDir.empty() ? std::string(".") : exeDir);
    return (dir / ".." / "share" / "MLB-8 DSP Manager" / "user-manual.pdf").lexically_normal().string();
}

namespace ZUtils {

std::string ExecutableDir() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}

int LaunchDocument(const std::string& program, const std::string& document) {
    if (program.empty()) return ENOENT;
    posix_spawnattr_t attr;
    int nResult = posix_spawnattr_init(&attr);
    if (nResult) return nResult;
    // A session of its own: the reader outlives the manager and ignores its terminal.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(document.c_str()), nullptr};
    pid_t pid = 0;
    nResult = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (nResult) return nResult;
    // The reader runs on; its exit status is collected in the background. Without a thread to spare
    // the reader still runs and only its exit status is left uncollected.
    try {
        std::thread([pid] {
            int nStatus = 0;
            while (waitpid(pid, &nStatus, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
    }
    return 0;
}

} // namespace ZUtils

CHelp::CHelp(const SEditContext& ctx)
    : m_Ctx(ctx), m_szManualPath(UserManualPath(ZUtils::ExecutableDir())),
      m_Launcher(ZUtils::LaunchDocument) {}

void CHelp::ToggleHelpMode() {
    m_bHelpMode = !m_bHelpMode;
    m_Ctx.m_Form.Show(ctl::MANUAL, m_bHelpMode != 0);
    m_Ctx.m_Form.SetToggle(ctl::HELP, m_bHelpMode);
    m_Ctx.m_Host.Repaint(AREA_HELP_BAR);
    m_Ctx.m_Host.Repaint(AREA_HELP_TEXT);
}

void CHelp::OnCtrlHover(int nCtrlId, int nOnOff) {
    if (!m_bHelpMode) return;
    m_bHelpControlIDOnOff = nOnOff == 1;
    m_nHelpControlID = nCtrlId;
    TRACE("\r\n m_bHelpControlIDOnOff[%d] [%d]", m_nHelpControlID, m_bHelpControlIDOnOff);
    m_Ctx.m_Host.Repaint(AREA_HELP_TEXT);
}

void CHelp::OnSetCursor(int nDlgId) {
    const int nId = IsTrackedEditBox(nDlgId) ? nDlgId : -1;
    if (nId == m_nCursorCtrlID) return;
    m_nCursorCtrlID = nId;
    if (nId < 0)
        m_Ctx.m_Host.PostToSelf(WM_CTRL_HOVER, 0, 0);
    else
        m_Ctx.m_Host.PostToSelf(WM_CTRL_HOVER, static_cast<std::uintptr_t>(nId), 1);
}

const char* CHelp::CurrentText() const {
    if (!m_bHelpMode || !m_bHelpControlIDOnOff) return m_pszNotice;
    const char* pszText = HelpText(m_nHelpControlID);
    return pszText ? pszText : m_pszNotice;
}

void CHelp::OpenUserManual() {
    // A missing manual is reported here: the desktop opener would start and fail where nobody sees it.
    int nResult = ENOENT;
    std::error_code ec;
    if (std::filesystem::is_regular_file(m_szManualPath, ec) && m_Launcher) {
        for (const char* pszProgram : {MANUAL_READER, MANUAL_READER_2, MANUAL_OPENER}) {
            nResult = m_Launcher(pszProgram, m_szManualPath);
            if (nResult == 0) return;
        }
    }
    TRACE("\r\n !!! ERROR Cannot Excute User Manual [%d]", nResult);
    m_Ctx.m_Host.MessageBox(TEXT_MANUAL_ERROR);
}
