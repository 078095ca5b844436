#include "editor/presetfile.h"

#include "comm/fileplatform.h"
#include "comm/formstate.h"
#include "comm/sysplatform.h"
#include "comm/trace.h"
#include "editor/devicelink.h"
#include "editor/editorhost.h"
#include "editor/editorids.h"
#include "editor/help.h"
#include "editor/writer.h"
#include "orvix/architecture.h"
#include "orvix/settingsmodel.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <unordered_set>

#include "editor/uitext.h"

namespace {

constexpr const char* kBusySaving = MLB8_TRANSLATE_NOOP("editor", "正在保存中.....");
constexpr const char* kBusyFactory = "Factory Setting.....";
constexpr std::uint32_t kFileTimerMs = 100;

} // namespace

std::string FactoryFilePath() {
    const std::string dir = ZUtils::ExecutableDir();
    // Folded, so that messages name the folder without "bin/..".
    const std::filesystem::path path = (dir.empty() ? std::string("..") : dir + "/..") +
                                       "/share/MLB-8 DSP Manager/Dovu/" + FACTORY_FILE_NAME;
    return path.lexically_normal().string();
}

CPresetFiles::CPresetFiles(const SEditContext& ctx, CDeviceLink& link)
    : m_Ctx(ctx), m_Link(link), m_szFactoryPath(FactoryFilePath()) {}

bool CPresetFiles::CheckPresetFile(const std::string& path, EPresetRead mode, ZUtils::ZProfile& profile) {
    m_szError.clear();
    m_Report.Clear();
    if (!profile.LoadFile(path))
        m_szError = ZUtils::ZProfile::ErrorText(profile.LastError());
    else if (!IsPresetProfile(profile))
        m_szError = "not a preset file";
    if (!m_szError.empty()) {
        TRACE("\r\n !!!!! ERROR reading \"%s\": %s", path.c_str(), m_szError.c_str());
        return false;
    }
    CSettingsModel scratch;
    ReadPresetKeys(profile, scratch, mode, &m_Report);
    return true;
}

bool CPresetFiles::MayApply(const std::string& what) {
    if (m_Report.Clean()) return true;
    return m_Ctx.m_Host.ConfirmLoad(m_Report.Question(what));
}

int CPresetFiles::ReadConfigFile(EPresetRead mode) {
    ZUtils::ZProfile profile;
    if (!CheckPresetFile(m_Ctx.m_Model.m_szFilePath, mode, profile)) return 0;
    ReadPresetKeys(profile, m_Ctx.m_Model, mode);
    return 1;
}

void CPresetFiles::AfterRead() {
    m_Link.OnLoadDone();
}

int CPresetFiles::WriteConfigFile(int nCode) {
    IEditorHost& host = m_Ctx.m_Host;
    const std::string path = m_Ctx.m_Model.m_szFilePath;
    host.ShowBusy(kBusySaving);
    // Keys the file already has keep their places; keys of others stay as they are. A file too large
    // or in an encoding the profile does not read is replaced as a whole: the user chose it.
    ZUtils::ZProfile profile;
    int nError = 0;
    bool bOk = ZUtils::ZProfile::CanSave(path, &nError);
    if (bOk && !profile.LoadFile(path)) {
        nError = profile.LastError();
        bOk = nError == ENOENT || nError == EFBIG || nError == ZUtils::ZProfile::ERR_UTF16;
        profile.Clear();
    }
    if (bOk) {
        const std::tm stamp = ZUtils::LocalTime(std::time(nullptr));
        WritePresetKeys(profile, m_Ctx.m_Model, stamp);
        bOk = profile.SaveFile(path);
        nError = profile.LastError();
    }
    host.HideBusy();
    if (!bOk) {
        m_szError = ZUtils::ZProfile::ErrorText(nError);
        TRACE("\r\n !!!!! ERROR saving \"%s\": %s", path.c_str(), m_szError.c_str());
        host.MessageBox("The preset file \"" + path + "\" could not be saved: " + m_szError + ".");
        return 0;
    }
    host.PostToFrame(WM_MARK_SAVE, nCode);
    return 1;
}

int CPresetFiles::LoadPresetPath(const std::string& path) {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    ZUtils::ZProfile profile;
    if (!CheckPresetFile(path, EPresetRead::File, profile)) {
        host.MessageBox("The preset file \"" + path + "\" could not be read: " + m_szError + ".");
        m.MouseLbtnEventDisable(0);
        return 0;
    }
    if (!MayApply("The preset file \"" + ::FileTitle(path) + "\"")) {
        m.MouseLbtnEventDisable(0);
        return 0;
    }
    ApplyPresetFile(profile, path);
    return 1;
}

void CPresetFiles::ApplyPresetFile(const ZUtils::ZProfile& profile, const std::string& path) {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    m.m_szFilePath.clear();
    m.m_szFilePath = path;
    ReadPresetKeys(profile, m, EPresetRead::File);
    m_szFileTitle = ::FileTitle(path);
    AfterRead();
    host.KillTimer(TIMER_SEND_ALL);
    host.SetTimer(TIMER_SEND_ALL, kFileTimerMs);
    host.SetTitle(std::string(TEXT_TITLE) + "(" + m_szFileTitle + ")");
}

void CPresetFiles::LoadPresetFile() {
    CSettingsModel& m = m_Ctx.m_Model;
    m.MouseLbtnEventDisable(1);
    const std::string path = m_Ctx.m_Host.OpenFileDialog(PRESET_FILE_FILTER);
    if (path.empty()) {
        m.MouseLbtnEventDisable(0);
        return;
    }
    LoadPresetPath(path);
}

namespace {
// A name typed without an extension gets the preset extension, as the save dialog would add it.
std::string WithPresetExtension(const std::string& path) {
    const std::string title = FileTitle(path);
    return title.find('.') == std::string::npos ? path + PRESET_FILE_EXTENSION : path;
}
} // namespace

void CPresetFiles::SavePresetFileAs() {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    m.MouseLbtnEventDisable(1);
    const std::string path = host.SaveFileDialog(PRESET_FILE_FILTER, m.m_szFilePath);
    if (path.empty()) {
        m.MouseLbtnEventDisable(0);
        return;
    }
    m.m_szFilePath.clear();
    m.m_szFilePath = WithPresetExtension(path);
    m_szFileTitle = ::FileTitle(m.m_szFilePath);
    host.KillTimer(TIMER_SAVE_FILE);
    host.SetTimer(TIMER_SAVE_FILE, kFileTimerMs);
}

void CPresetFiles::OnSaveFile() {
    TRACE("\r\n WM_SAVE_FILE");
    WriteConfigFile(4);
    m_Ctx.m_Host.KillTimer(TIMER_ID_UNLOCK_MOUSE);
    m_Ctx.m_Host.SetTimer(TIMER_ID_UNLOCK_MOUSE, UNLOCK_MOUSE_MS);
}

void CPresetFiles::SavePresetFile() {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    bool bExists = false;
    if (!m.m_szFilePath.empty()) {
        // Looked at, not opened: opening a FIFO for reading would wait for a writer.
        const int nError = ZFile::Probe(m.m_szFilePath);
        if (nError == 0) {
            bExists = true;
        } else if (nError != ENOENT && nError != ENOTDIR) {
            const std::string reason = std::strerror(nError);
            TRACE("\r\n !!!!! ERROR opening \"%s\": %s", m.m_szFilePath.c_str(), reason.c_str());
            host.MessageBox("The preset file \"" + m.m_szFilePath + "\" could not be opened: " + reason +
                            ".");
            return;
        }
    }
    if (!bExists) {
        const std::string path = host.SaveFileDialog(PRESET_FILE_FILTER, m.m_szFilePath);
        if (path.empty()) return;
        m.m_szFilePath.clear();
        m.m_szFilePath = WithPresetExtension(path);
        m_szFileTitle = ::FileTitle(m.m_szFilePath);
    }
    WriteConfigFile(5);
}

int CPresetFiles::RestoreFactorySettings() {
    CSettingsModel& m = m_Ctx.m_Model;
    IEditorHost& host = m_Ctx.m_Host;
    ZUtils::ZProfile profile;
    if (!CheckPresetFile(m_szFactoryPath, EPresetRead::Factory, profile)) {
        host.MessageBox("The factory settings file \"" + m_szFactoryPath +
                        "\" could not be read: " + m_szError + ". Nothing was changed.");
        return 0;
    }
    if (!MayApply("The factory settings file \"" + m_szFactoryPath + "\"")) return 0;
    m.m_szFilePath = m_szFactoryPath;
    ReadPresetKeys(profile, m, EPresetRead::Factory);
    m_szFileTitle = ::FileTitle(m_szFactoryPath);
    AfterRead();
    host.ShowBusy(kBusyFactory);
    const int bSent = m_Ctx.m_Writer.SendDDXProc(m.m_nCurPreset);
    host.HideBusy();
    host.PostToFrame(WM_MARK_LOAD, 5);
    host.SetTitle(TEXT_TITLE);
    return bSent;
}
