// A Host that plays a user's script and records what the program shows and
// does, so the whole program (programMain) runs in a test against the
// stand-in note service.
//
// Model: every window opening plays the next script queued for that window,
// then the "user" closes the window if it is still open. MainWindow's script
// plays inside runMessageLoop; a modal window's inside its loadWindow, as in
// a nested loop. Message boxes are recorded and dismissed.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/host.h"

namespace lj::testing {

// Thrown by exitProgram after the exit routines ran; ScriptedHost::run catches it.
struct ProgramExited {
    int code;
};

struct ShownMessageBox {
    text message;
    int style;
    text title;
    std::optional<WindowId> owner;
};

class ScriptedHost;
using Action = std::function<void(ScriptedHost&)>;
using Script = std::vector<Action>;

// What a user can do in the window whose script is playing.
Action type(const char* control, const text& value);  // replaces the edit box's content
Action click(const char* control);
Action chooseMenuItem(int index);  // 0-based, in the menu's order
Action pressEsc();
Action closeBox();

class ScriptedHost : public Host {
public:
    // `folder` plays the executable's folder: files are written there.
    explicit ScriptedHost(std::filesystem::path folder);

    // The next opening of `window` plays `script`.
    void whenOpened(WindowId window, Script script);
    // Called for every message box before it is dismissed.
    void whenMessageBox(std::function<void(ScriptedHost&, const ShownMessageBox&)> observer);

    // Runs programMain as a host's main would: on a normal return the host
    // runs the exit routines. Returns the exit code.
    int run();

    // ---- What happened ----------------------------------------------------
    // In order: "initialiseHost", "open W", "show W", "close W", "box <UTF-8 text>", "exit N", "return".
    std::vector<std::string> events;
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<text> urlsOpened;
    std::vector<text> downloadUrls;
    std::vector<text> filesWritten;  // names as passed, code page 936
    std::optional<int> exitCode;
    int exitRoutineCalls = 0;
    int networkWaits = 0;
    // Faults of the program found on the way (unknown control, slot written
    // during a network wait, write outside the folder...). Tests expect none.
    std::vector<std::string> faults;

    // The clipboard; `clipboardRefuses` makes setClipboardText fail.
    text clipboard;
    bool clipboardRefuses = false;

    // A control's text in the current or last instance of the window.
    text controlText(WindowId window, const char* control) const;
    bool isOpen(WindowId window) const;
    int timesOpened(WindowId window) const;
    int scriptsLeft() const;
    std::filesystem::path pathOf(const text& fileName) const;  // the file under its code page 936 name
    bool wasShownBefore(WindowId window, const std::string& event) const;
    int indexOf(const std::string& event) const;  // -1 when absent

    // ---- User actions on the window whose script plays ----------------------
    void userType(WindowId window, const char* control, const text& value);
    void userClick(WindowId window, const char* control);
    void userChooseMenuItem(WindowId window, int index);
    void userPressEsc(WindowId window);
    void userCloseBox(WindowId window);
    WindowId playingWindow() const { return playing_.back(); }

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

private:
    struct WindowState {
        bool open = false;
        bool enabled = true;
        int opened = 0;
        std::map<std::string, text> texts;  // by control name
    };

    void play(WindowId window);
    void close(WindowId window);
    void runExitRoutines();
    bool hasControl(WindowId window, const char* control);

    std::filesystem::path folder_;
    std::map<WindowId, WindowState> windows_;
    std::map<WindowId, std::vector<Script>> scripts_;
    std::function<void(ScriptedHost&, const ShownMessageBox&)> boxObserver_;
    std::vector<void (*)()> exitRoutines_;
    bool exitRoutinesDone_ = false;
    bool initialised_ = false;
    bool waiting_ = false;
    std::vector<WindowId> playing_;
    int tempCounter_ = 0;
};

std::string windowName(WindowId window);

}  // namespace lj::testing
