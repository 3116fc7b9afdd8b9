// The program's entry point, called once by the host on the GUI thread.
#pragma once

#include "app/host.h"

namespace lj {

// Prepares the host, registers releaseProgramState, builds MainWindow (whose
// "created" handler runs the start-up probes) and runs the message loop.
// Returns 0 once the last window is gone; exitProgram never comes back here.
int programMain(Host& host);

}  // namespace lj
