// The five pages of the main view as form-state visibility: switching pages, which controls each
// page shows, the tab lights, and the animation timer of the configuration and time pages.
#pragma once

#include <vector>

#include "editor/editcontext.h"

class CSelection;
class CIoConfig;
class CFilterEditor;
class CDelayEditor;

class CPages {
public:
    enum EPage { PAGE_STANDARD = 0, PAGE_EXPERT = 1, PAGE_EQ = 2, PAGE_XOVER = 3, PAGE_DELAY = 4 };
    static constexpr int ANIMATION_MS = 50;

    CPages(const SEditContext& ctx, CSelection& selection, CIoConfig& ioConfig, CFilterEditor& filters,
           CDelayEditor& delays)
        : m_Ctx(ctx), m_Selection(selection), m_IoConfig(ioConfig), m_Filters(filters), m_Delays(delays) {}

    void ShowStandardConfigPage();
    void ShowExpertConfigPage();
    void ShowEqualizerPage();
    void ShowCrossoverPage();
    void ShowTimeAlignmentPage();
    void ShowPageControls(int nPage);
    void HidePageControls(int nPage);
    void OnAnimationTimer();

    // Selecting a channel or pair (-1: the current one again): the selection's display, then the
    // page that shows the channel.
    void SelectChannel(int nId);
    // The phase switch, then the speaker icons of the time page that show it.
    void TogglePhase(int nId);

    // Every control a page can show (for hiding it and for tests).
    static std::vector<int> PageControls(int nPage);

    int m_nAnimation = 0; // 0, 5, ... 45

private:
    // Steps shared by the page switches; false when the page was already shown.
    bool EnterPage(int nPage, int nTab);
    void ForcePair();
    // The values of the current page for the selected channel.
    void RefreshChannelPage();
    SEditContext m_Ctx;
    CSelection& m_Selection;
    CIoConfig& m_IoConfig;
    CFilterEditor& m_Filters;
    CDelayEditor& m_Delays;
};
