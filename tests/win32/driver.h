// Drives the real Windows program from outside, as a user would: finds its
// windows and controls, types, clicks, presses Esc, reads texts and the
// clipboard. Runs under Wine beside the program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/design.h"

namespace lj::e2e {

// Polls `done` every 20 ms; false when `timeoutMs` passed first.
template <typename F>
bool waitUntil(F done, int timeoutMs = 20000) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
}

// A copy of the program in a folder of its own, started from another folder.
class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD processId() const { return process_.dwProcessId; }
    const std::wstring& folder() const { return folder_; }
    ULONGLONG startedAt() const { return startedAt_; }
    bool running() const;
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD waitForExit(int timeoutMs = 20000);
    // The bytes of a file in the program's folder; `exists` false when absent.
    std::vector<unsigned char> fileInFolder(const std::wstring& name, bool* exists) const;
    void writeFileInFolder(const std::wstring& name, const std::string& content) const;

private:
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
    ULONGLONG startedAt_ = 0;
};

// The built executable, as Windows names it.
std::wstring programPath();

// A top-level window of the process with this class, shown (or any, when
// `visibleOnly` is false); null when none.
HWND findTopLevel(DWORD processId, const wchar_t* className, bool visibleOnly = true);
HWND waitForTopLevel(DWORD processId, const wchar_t* className, int timeoutMs = 20000);
// Our windows' class for a design: "Lanjing.MainWindow" and so on.
HWND waitForWindow(const Program& program, WindowId id, int timeoutMs = 20000);

// A control of one of the program's windows by its design name.
HWND control(HWND window, WindowId id, const char* name);

std::wstring windowText(HWND hwnd);
void setText(HWND edit, const std::wstring& value);
// Posted, as a click is: the program's handler may open a modal window.
void click(HWND button);
void chooseMenuItem(HWND window, int indexInMenu);
// WM_KEYDOWN VK_ESCAPE to the focused control of the window's thread.
void pressEscape(HWND window);

// A message box: its caption and text; dismissing it presses OK.
struct MessageBoxSeen {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring message;
};
MessageBoxSeen waitForMessageBox(const Program& program, int timeoutMs = 20000);
void dismiss(const MessageBoxSeen& box);

std::wstring clipboardText();
bool setClipboardText(const std::wstring& value);

// The stand-in service's control routes and plain GETs of its pages.
void resetStandin();
void overrideStandin(const std::string& pathAndSettings);
std::string standinGet(const std::string& pathAndQuery);
std::string percentEncode(const std::string& utf8);

// Code page 936 text of the designs as UTF-16, for comparisons.
std::wstring fromGbk(const std::string& t);
std::wstring fromUtf8(const std::string& t);

// What the screen shows of a window: 0xRRGGBB pixels, rows top down.
struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    // Whether any pixel of the rectangle (window coordinates) has this colour.
    bool has(const RECT& r, unsigned rgb) const;
};
Capture capture(HWND window);
// A control's rectangle in its top-level window's coordinates, as a capture has them.
RECT placeInWindow(HWND window, HWND control);
inline unsigned rgbOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Saves what the screen shows of the window as a PNG in the screenshot folder.
bool screenshot(HWND window, const std::wstring& name);
bool screenshot(const Capture& shot, const std::wstring& name);

}  // namespace lj::e2e
