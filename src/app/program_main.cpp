#include "app/program_main.h"

#include "app/program_state.h"

namespace lj {

int programMain(Host& host) {
    beginProgramRun();
    host.initialiseHost();
    host.registerExitRoutine(releaseProgramState);
    host.loadWindow(WindowId::MainWindow, std::nullopt, false);
    host.runMessageLoop();
    return 0;
}

}  // namespace lj
