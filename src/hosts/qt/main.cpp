// The Linux desktop program: the Qt host around the program's entry point.
#include <QApplication>

#include "app/program_main.h"
#include "hosts/qt/qt_host.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    lj::QtHost::prepareApplication();
    lj::QtHost host;
    const int code = lj::programMain(host);
    host.runExitRoutines();
    return code;
}
