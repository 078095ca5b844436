#include "editmenu.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "editor/history.h"
#include "wavrview.h"

QMenu* AddEditMenu(QMenuBar* pBar, CWAVRView* pView) {
    auto* pMenu = new QMenu(QStringLiteral("Edit"), pBar);
    const QList<QAction*> menus = pBar->actions();
    pBar->insertMenu(menus.size() > 1 ? menus.at(1) : nullptr, pMenu);
    QAction* pUndo = pMenu->addAction(QStringLiteral("Undo"));
    pUndo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    QAction* pRedo = pMenu->addAction(QStringLiteral("Redo"));
    pRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    QObject::connect(pUndo, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_EDIT_UNDO); });
    QObject::connect(pRedo, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_EDIT_REDO); });
    // Shown enabled only when possible; the keys stay live while the menu is closed and the core
    // refuses what it cannot do.
    QObject::connect(pMenu, &QMenu::aboutToShow, pMenu, [pView, pUndo, pRedo] {
        pUndo->setEnabled(pView->Core().CanUndo());
        pRedo->setEnabled(pView->Core().CanRedo());
    });
    QObject::connect(pMenu, &QMenu::aboutToHide, pMenu, [pUndo, pRedo] {
        pUndo->setEnabled(true);
        pRedo->setEnabled(true);
    });
    return pMenu;
}
