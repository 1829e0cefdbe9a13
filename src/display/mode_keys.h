#pragma once

class QToolBar;

// The buttons of a toolbar join the Tab order and answer Space and Enter, as
// push buttons do; a toolbar's own buttons take no focus otherwise.
void ReachByKeyboard(QToolBar* toolbar);
