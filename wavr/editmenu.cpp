#include "editmenu.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "editor/abcompare.h"
#include "editor/controlids.h"
#include "wavrview.h"

namespace {

QString Tr(const char* pszText) {
    return QCoreApplication::translate("EditMenu", pszText);
}

} // namespace

QMenu* AddEditMenu(QMenuBar* pBar, CWAVRView* pView) {
    auto* pMenu = new QMenu(Tr("Edit"), pBar);
    const QList<QAction*> menus = pBar->actions();
    pBar->insertMenu(menus.size() > 1 ? menus.at(1) : nullptr, pMenu);
    QAction* pUndo = pMenu->addAction(Tr("Undo"));
    pUndo->setShortcuts(UndoKeys());
    QAction* pRedo = pMenu->addAction(Tr("Redo"));
    pRedo->setShortcuts(RedoKeys());
    pMenu->addSeparator();
    QAction* pSwitch = pMenu->addAction(Tr("Switch to B"));
    pSwitch->setShortcut(QKeySequence(Qt::Key_F8));
    QAction* pCopy = pMenu->addAction(Tr("Copy A to B"));
    QObject::connect(pSwitch, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_AB_SWITCH); });
    QObject::connect(pCopy, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_AB_COPY); });
    QObject::connect(pUndo, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_EDIT_UNDO); });
    QObject::connect(pRedo, &QAction::triggered, pView, [pView] { pView->OnMenuCommand(ID_EDIT_REDO); });
    // Shown enabled only when possible; the keys stay live while the menu is closed and the core
    // refuses what it cannot do.
    QObject::connect(pMenu, &QMenu::aboutToShow, pMenu, [pView, pUndo, pRedo, pSwitch, pCopy] {
        pUndo->setEnabled(pView->Core().CanUndo());
        pRedo->setEnabled(pView->Core().CanRedo());
        const bool bA = pView->Core().LiveSide() == CAbCompare::SIDE_A;
        pSwitch->setText(bA ? Tr("Switch to B") : Tr("Switch to A"));
        pCopy->setText(bA ? Tr("Copy A to B") : Tr("Copy B to A"));
    });
    QObject::connect(pMenu, &QMenu::aboutToHide, pMenu, [pUndo, pRedo] {
        pUndo->setEnabled(true);
        pRedo->setEnabled(true);
    });
    return pMenu;
}
