// The Edit menu: undo and redo of the editor core and the A/B comparison, with their keys. English
// in every language.
#pragma once

class QMenu;
class QMenuBar;
class CWAVRView;

// Inserts the menu after the bar's first menu and returns it.
QMenu* AddEditMenu(QMenuBar* pBar, CWAVRView* pView);
