// Entry point of the Windows program.
#include <windows.h>

#include "app/program_main.h"
#include "hosts/win32/win32_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    lj::win32::Win32Host host(instance);
    const int code = lj::programMain(host);
    // The last window is gone: the orderly end runs the exit routines.
    host.runExitRoutines();
    return code;
}
