// The five pages of the main view as form-state visibility: switching pages, which controls each
// page shows, the tab lights, and the animation timer of the configuration and time pages.
#pragma once

#include <vector>

class CEditorCore;

class CPages {
public:
    enum EPage { PAGE_STANDARD = 0, PAGE_EXPERT = 1, PAGE_EQ = 2, PAGE_XOVER = 3, PAGE_DELAY = 4 };
    static constexpr int ANIMATION_MS = 50;

    explicit CPages(CEditorCore& core) : m_Core(core) {}

    void ShowStandardConfigPage();
    void ShowExpertConfigPage();
    void ShowEqualizerPage();
    void ShowCrossoverPage();
    void ShowTimeAlignmentPage();
    void ShowPageControls(int nPage);
    void HidePageControls(int nPage);
    void OnAnimationTimer();

    // Every control a page can show (for hiding it and for tests).
    static std::vector<int> PageControls(int nPage);

    int m_nAnimation = 0; // 0, 5, ... 45

private:
    // Steps shared by the page switches; false when the page was already shown.
    bool EnterPage(int nPage, int nTab);
    void ForcePair();
    CEditorCore& m_Core;
};
