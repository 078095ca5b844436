// The four file commands of the menu: load, save as, save, and restore of the factory settings.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "editor/editcontext.h"
#include "presets/presetkeys.h"

class CDeviceLink;

// The factory settings file installed with the program.
std::string FactoryFilePath();

class CPresetFiles {
public:
    CPresetFiles(const SEditContext& ctx, CDeviceLink& link);

    // ID_LOAD_PRESET_FILE: open dialog, read, after-load refresh, title; timer 13 then writes it all.
    void LoadPresetFile();
    // ID_SAVE_PRESET_FILE_AS (also offered when the processor goes away): save dialog, then timer 12.
    void SavePresetFileAs();
    // ID_SAVE_PRESET_FILE: into the current file, or through the save dialog when there is none.
    void SavePresetFile();
    // ID_RESTORE_FACTORY: reads the factory file and writes it to the processor. Returns 1 when the file was
    // read and written to the processor (the menu does not report the second).
    int RestoreFactorySettings();
    // WM_SAVE_FILE (posted by timer 12): writes the file chosen by SavePresetFileAs.
    void OnSaveFile();

    // Load steps after the dialog, for a path given directly: read and check, ask when the file is
    // incomplete or had values changed, apply, refresh, title, timer 13. Returns 0 (after a message
    // box, or when the user cancelled) with the model unchanged and nothing sent.
    int LoadPresetPath(const std::string& path);
    // Reads and checks a preset file without changing anything. False when it cannot be read or holds
    // no preset section (the reason in LastError()); LastReport() then tells what applying it would do.
    bool CheckPresetFile(const std::string& path, EPresetRead mode, ZUtils::ZProfile& profile);
    // Applies a checked file to the model as a loaded file: model, after-load refresh, title, and
    // timer 13, which writes it to the processor.
    void ApplyPresetFile(const ZUtils::ZProfile& profile, const std::string& path);
    // Reads m_szFilePath into the model. Returns 0, with the model unchanged, when the file cannot be
    // read or holds no preset section; the reason is in LastError().
    int ReadConfigFile(EPresetRead mode);
    // Writes the model to m_szFilePath and marks the save with nCode (4 save as, 5 save). A failure is
    // shown in a message box and not marked; returns 0 then.
    int WriteConfigFile(int nCode);

    const std::string& FileTitle() const { return m_szFileTitle; }
    const std::string& LastError() const { return m_szError; }
    // What the last read found missing, unreadable, clamped or masked.
    const SPresetReport& LastReport() const { return m_Report; }
    void SetFactoryPath(const std::string& path) { m_szFactoryPath = path; }
    const std::string& FactoryPath() const { return m_szFactoryPath; }

private:
    void AfterRead();
    // Asks before an incomplete or changed file is applied; true when it may be.
    bool MayApply(const std::string& what);
    SEditContext m_Ctx;
    CDeviceLink& m_Link;
    std::string m_szFileTitle;
    std::string m_szFactoryPath;
    std::string m_szError;
    SPresetReport m_Report;
};
