// What the program asks of the GUI host it runs on.
//
// Handlers are written only against this interface; the Qt host, the Win32
// host and the scripted test host each implement it. Every text crossing it
// is code page 936.
#pragma once

#include <functional>
#include <optional>

#include "text/text.h"
#include "web/http_get.h"

namespace lj {

enum class WindowId { MainWindow, DirectLinkWindow, UpdatePromptWindow, DonateWindow };

// Message box styles the program uses.
inline constexpr int mbOk = 0;
inline constexpr int mbIconExclamation = 48;

class Host {
public:
    virtual ~Host() = default;

    // ---- Start-up -------------------------------------------------------
    // Prepares the host; the executable's folder becomes the current directory.
    virtual void initialiseHost() = 0;
    // Adds the routine unless listed; every orderly end runs each once, in order.
    virtual void registerExitRoutine(void (*routine)()) = 0;
    // Dispatches events until the last window of the program is destroyed.
    virtual void runMessageLoop() = 0;

    // ---- Windows --------------------------------------------------------
    // Builds the window, runs its "created" handler, shows it. Modal: returns
    // after the window is destroyed. False when the owner is not open.
    virtual bool loadWindow(WindowId window, std::optional<WindowId> owner, bool modal) = 0;
    // Empty title: the caption "信息：". Task-modal unless style has 4096.
    virtual int messageBox(const text& message, int style, const text& title, std::optional<WindowId> owner) = 0;
    // A control's text: an edit box's content or a label's caption.
    // `control` is the design's name of the control (UTF-8 source text, e.g. "编辑框1").
    virtual text readControlText(WindowId window, const char* control) = 0;
    virtual void writeControlText(WindowId window, const char* control, const text& value) = 0;

    // ---- Clipboard ------------------------------------------------------
    // "" when the clipboard holds no text or cannot be opened.
    virtual text getClipboardText() = 0;
    // False when the clipboard cannot be opened.
    virtual bool setClipboardText(const text& value) = 0;

    // ---- Files, browser, network ------------------------------------------
    // Body whatever the status; `outcome` (optional) says whether it is whole and 2xx.
    virtual bytes httpGetBytes(const text& url, DownloadOutcome* outcome = nullptr) = 0;
    // Refuses anything but a bare file name; replaces the target only once
    // the whole file is written.
    virtual bool writeBytesToFile(const text& fileName, const bytes& data) = 0;
    virtual void openUrlInBrowser(const text& url) = 0;
    virtual bool isConnectedToInternet() = 0;
    // Runs the exit routines and ends the process with `code`. Never returns
    // (the scripted test host unwinds with ProgramExited instead).
    [[noreturn]] virtual void exitProgram(int code) = 0;

    // ---- Waiting on the network -----------------------------------------
    // Every network wait of the program runs through here. `work` may run on
    // a worker thread; it must touch no program state. While it runs, the
    // host keeps its windows painted and lets no user input reach a handler.
    virtual void waitForNetwork(const std::function<void()>& work) = 0;
};

}  // namespace lj
