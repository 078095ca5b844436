#include "mainfrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>

#include "dialogs.h"
#include "editmenu.h"
#include "editor/editorids.h"
#include "eqtools.h"
#include "uilanguage.h"
#include "wavrview.h"

namespace {

// The captions are the Chinese sources; the window shows them in the user's language.
struct SMenuItem {
    int nCommand; // 0: separator
    const char* pszCaption;
    bool bCheckable;
};

struct SMenu {
    const char* pszTitle;
    std::vector<SMenuItem> items;
};

const SMenu kMenus[] = {
    {QT_TRANSLATE_NOOP("CMainFrame", "加载设置"),
     {{ID_LOAD_PRESET.at(0), QT_TRANSLATE_NOOP("CMainFrame", "加载DSP模式 1"), true},
      {ID_LOAD_PRESET.at(1), QT_TRANSLATE_NOOP("CMainFrame", "加载DSP模式 2"), true},
      {ID_LOAD_PRESET.at(2), QT_TRANSLATE_NOOP("CMainFrame", "加载DSP模式 3"), true},
      {ID_LOAD_PRESET.at(3), QT_TRANSLATE_NOOP("CMainFrame", "加载DSP模式 4"), true},
      {ID_LOAD_PRESET_FILE, QT_TRANSLATE_NOOP("CMainFrame", "从文件加载设置"), true},
      {ID_RESTORE_FACTORY, QT_TRANSLATE_NOOP("CMainFrame", "恢复出厂设置"), true},
      {0, nullptr, false},
      {ID_APP_EXIT, QT_TRANSLATE_NOOP("CMainFrame", "退出(&Q)"), false}}},
    {QT_TRANSLATE_NOOP("CMainFrame", "储存设置"),
     {{ID_STORE_PRESET.at(0), QT_TRANSLATE_NOOP("CMainFrame", "保存DSP模式 1"), true},
      {ID_STORE_PRESET.at(1), QT_TRANSLATE_NOOP("CMainFrame", "保存DSP模式 2"), true},
      {ID_STORE_PRESET.at(2), QT_TRANSLATE_NOOP("CMainFrame", "保存DSP模式 3"), true},
      {ID_STORE_PRESET.at(3), QT_TRANSLATE_NOOP("CMainFrame", "保存DSP模式 4"), true},
      {ID_SAVE_PRESET_FILE_AS, QT_TRANSLATE_NOOP("CMainFrame", "储存到指定DSP文件"), true},
      {ID_SAVE_PRESET_FILE, QT_TRANSLATE_NOOP("CMainFrame", "保存到DSP"), true}}},
    {QT_TRANSLATE_NOOP("CMainFrame", "参数设置"),
     {{ID_PAGE_CONFIGURATION, QT_TRANSLATE_NOOP("CMainFrame", "系统设置"), false},
      {ID_PAGE_EQUALIZER, QT_TRANSLATE_NOOP("CMainFrame", "均衡器"), false},
      {ID_PAGE_CROSSOVER, QT_TRANSLATE_NOOP("CMainFrame", "斜率"), false},
      {ID_PAGE_TIME_ALIGNMENT, QT_TRANSLATE_NOOP("CMainFrame", "延时调整"), false}}},
    {QT_TRANSLATE_NOOP("CMainFrame", "帮助"),
     {{ID_HELP_MANUAL, QT_TRANSLATE_NOOP("CMainFrame", "帮助"), false},
      {ID_APP_ABOUT, QT_TRANSLATE_NOOP("CMainFrame", "关于"), false}}},
};

} // namespace

CMainFrame::CMainFrame(CWAVRView* pView) : m_pView(pView) {
    setWindowTitle(CoreText(TEXT_TITLE));
    setCentralWidget(pView);
    BuildMenu();
    pView->EqTools().AddMenu(menuBar());
    AddEditMenu(menuBar(), pView);
    // Not resizable: the view has one size.
    setFixedSize(CWAVRView::WIDTH, CWAVRView::HEIGHT + menuBar()->sizeHint().height());
    m_pHotplug = new CHotplugMonitor(
        [this](EPortChange change, int nCom) {
            m_pView->OnDeviceChange(change == EPortChange::Arrived, nCom);
        },
        this);
}

void CMainFrame::BuildMenu() {
    for (const SMenu& menu : kMenus) {
        QMenu* pMenu = menuBar()->addMenu(QCoreApplication::translate("CMainFrame", menu.pszTitle));
        for (const SMenuItem& item : menu.items) {
            if (!item.nCommand) {
                pMenu->addSeparator();
                continue;
            }
            QAction* pAction = pMenu->addAction(QCoreApplication::translate("CMainFrame", item.pszCaption));
            pAction->setCheckable(item.bCheckable);
            const int nCommand = item.nCommand;
            connect(pAction, &QAction::triggered, this, [this, nCommand, pAction] {
                // Check marks follow the marks the view sends, not the click.
                if (pAction->isCheckable()) pAction->setChecked(!pAction->isChecked());
                OnCommand(nCommand);
            });
            m_Actions[nCommand] = pAction;
        }
    }
}

QAction* CMainFrame::Action(int nCommand) const {
    auto it = m_Actions.find(nCommand);
    return it == m_Actions.end() ? nullptr : it->second;
}

bool CMainFrame::IsChecked(int nCommand) const {
    const QAction* p = Action(nCommand);
    return p && p->isChecked();
}

void CMainFrame::OnCommand(int nCommand) {
    if (nCommand == ID_APP_EXIT) {
        if (ConfirmQuit()) QApplication::exit(EXIT_CODE);
        return;
    }
    if (nCommand == ID_APP_ABOUT) {
        CAboutDlg dlg(this);
        dlg.exec();
        return;
    }
    m_pView->OnMenuCommand(nCommand);
}

void CMainFrame::OnFrameMessage(unsigned nMsg, long nCode) {
    if (nMsg == WM_MARK_LOAD)
        OnMarkLoad(nCode);
    else if (nMsg == WM_MARK_SAVE)
        OnMarkSave(nCode);
}

void CMainFrame::OnMarkLoad(long nCode) {
    if (nCode < 0 || nCode > 5) return;
    for (int nId : {ID_LOAD_PRESET.at(0), ID_LOAD_PRESET.at(1), ID_LOAD_PRESET.at(2), ID_LOAD_PRESET.at(3),
                    ID_LOAD_PRESET_FILE, ID_RESTORE_FACTORY})
        Action(nId)->setChecked(false);
    Action(nCode <= 3 ? ID_LOAD_PRESET.at(static_cast<int>(nCode))
                      : (nCode == 4 ? ID_LOAD_PRESET_FILE : ID_RESTORE_FACTORY))
        ->setChecked(true);
}

void CMainFrame::OnMarkSave(long nCode) {
    if (nCode < 0 || nCode > 5) return;
    for (int nId : {ID_STORE_PRESET.at(0), ID_STORE_PRESET.at(1), ID_STORE_PRESET.at(2),
                    ID_STORE_PRESET.at(3), ID_SAVE_PRESET_FILE_AS, ID_SAVE_PRESET_FILE})
        Action(nId)->setChecked(false);
    Action(nCode <= 3 ? ID_STORE_PRESET.at(static_cast<int>(nCode))
                      : (nCode == 4 ? ID_SAVE_PRESET_FILE_AS : ID_SAVE_PRESET_FILE))
        ->setChecked(true);
}

bool CMainFrame::ConfirmQuit() {
    COkCancelDlg dlg(this, true);
    return dlg.exec() == QDialog::Accepted;
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    if (ConfirmQuit()) {
        pEvent->accept();
        return;
    }
    m_pView->KillTimer(TIMER_ANIMATION);
    pEvent->ignore();
}

QPoint CMainFrame::Placement(int nScreenW, int nScreenH) {
    return QPoint(std::max((nScreenW - CWAVRView::WIDTH) / 2, 50),
                  std::max((nScreenH - CWAVRView::HEIGHT) / 2, 50));
}
