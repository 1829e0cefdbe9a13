#pragma once

class QApplication;

// The program's start-up, run and shutdown; returns the exit code.
// 0 after a normal end, 1 when another copy is running, 2 when the settings
// file or the command line (--remote-port) stops start-up.
int Main(QApplication& app);
