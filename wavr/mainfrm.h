// The fixed-size main frame: the menu with its check marks, the quit confirmation, and hot-plug.
#pragma once

#include <QMainWindow>
#include <map>

#include "hotplug.h"

class CWAVRView;
class QAction;

class CMainFrame : public QMainWindow {
public:
    static constexpr int EXIT_CODE = 18;

    explicit CMainFrame(CWAVRView* pView);

    // WM_MARK_LOAD and WM_MARK_SAVE from the view.
    void OnFrameMessage(unsigned nMsg, long nCode);
    void OnMarkLoad(long nCode);
    void OnMarkSave(long nCode);
    bool IsChecked(int nCommand) const;
    QAction* Action(int nCommand) const;
    // Places the frame on a screen of the given size: centred, at least 50 from the top left.
    static QPoint Placement(int nScreenW, int nScreenH);

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void BuildMenu();
    void OnCommand(int nCommand);
    bool ConfirmQuit();

    CWAVRView* m_pView;
    std::map<int, QAction*> m_Actions;
    CHotplugMonitor* m_pHotplug = nullptr;
};
