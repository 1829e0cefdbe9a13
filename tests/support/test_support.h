#pragma once

#include <QString>

namespace TestSupport {
// Path of a program built by this project (zezizav, zezizav-sim, zezizav-cli).
QString BuiltProgram(const QString& name);
// A python3 that can import skrf (python3-scikit-rf): the one on PATH, else
// the system's. Empty, with *why naming what is missing, when there is none.
QString PythonWithSkrf(QString* why);
}  // namespace TestSupport

// The instrument simulator as a child process: support/sim_process.h
#include "support/sim_process.h"
// A bare pseudo-terminal pair: support/pty_pair.h
#include "support/pty_pair.h"
// A loaded main window for handler tests: support/window_fixture.h
#include "support/window_fixture.h"
// The simulator's -v log, exchange by exchange: support/sim_log.h
#include "support/sim_log.h"
// The largest stall of the event loop: support/event_loop_probe.h
#include "support/event_loop_probe.h"
// A small tmpfs that fills up or turns read-only: support/scratch_mount.h
#include "support/scratch_mount.h"
// The built zezizav-cli, run and waited for: support/cli_run.h
#include "support/cli_run.h"
// An exchange outcome's name: support/outcome_name.h
#include "support/outcome_name.h"
