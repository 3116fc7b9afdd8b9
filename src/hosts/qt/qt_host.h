// The Linux desktop host: renders the window designs with Qt Widgets and
// provides every host service on top of Qt and the web layer.
#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <vector>

#include "app/exit_routines.h"
#include "app/host.h"
#include "ui/design.h"

class QEventLoop;

namespace lj {

class DesignedWindow;

class QtHost final : public Host {
public:
    // `executableFolder`: the folder start-up makes the current directory;
    // empty means the folder of the running executable.
    explicit QtHost(QString executableFolder = {});
    ~QtHost() override;

    // Sets up the QApplication the way the program expects (a Chinese-capable
    // default face). Call once, after constructing it.
    static void prepareApplication();
    static QIcon programIcon();

    // ---- Host -------------------------------------------------------------
    void initialiseHost() override;
    void registerExitRoutine(void (*routine)()) override;
    void runMessageLoop() override;
    bool loadWindow(WindowId window, std::optional<WindowId> owner, bool modal) override;
    int messageBox(const text& message, int style, const text& title, std::optional<WindowId> owner) override;
    text readControlText(WindowId window, const char* control) override;
    void writeControlText(WindowId window, const char* control, const text& value) override;
    text getClipboardText() override;
    bool setClipboardText(const text& value) override;
    bytes httpGetBytes(const text& url, DownloadOutcome* outcome = nullptr) override;
    bool writeBytesToFile(const text& fileName, const bytes& data) override;
    void openUrlInBrowser(const text& url) override;
    bool isConnectedToInternet() override;
    [[noreturn]] void exitProgram(int code) override;
    void waitForNetwork(const std::function<void()>& work) override;

    // ---- For the windows and for tests ---------------------------------------
    // The newest open window built from that design, or null.
    DesignedWindow* window(WindowId id) const;
    bool isWaiting() const { return waitDepth_ > 0; }
    // Runs a design's handler for a click or menu choice; nothing during a wait.
    void runHandler(Handler handler);
    // Runs the exit routines unless an orderly end already has.
    void runExitRoutines();
    // Called by a window as it is destroyed.
    void forgetWindow(DesignedWindow* w);

private:
    QString executableFolder_;
    ExitRoutines exitRoutines_;
    std::vector<DesignedWindow*> windows_;  // open windows, oldest first
    QEventLoop* messageLoop_ = nullptr;
    int waitDepth_ = 0;
};

}  // namespace lj
