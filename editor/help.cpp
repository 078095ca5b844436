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
#include <system_error>

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
