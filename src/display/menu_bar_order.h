#pragma once

class QMenu;
class QMenuBar;

// Puts menu on the bar in the window's order of menus ("&File", "&View",
// "&Markers", "M&emory", "&Calibrate", "&Limits", "&Port", "&About"): before the first
// menu already there that comes after it, else at the end.
void InsertInMenuBarOrder(QMenuBar* bar, QMenu* menu);

// Names a menu as the window names every widget: its object name is its
// accessible description.
void NameMenu(QMenu* menu, const char* name);
