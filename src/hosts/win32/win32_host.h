// The Win32 host: renders the window designs with plain USER32 windows and
// common controls, and provides the host services on Windows APIs.
#pragma once

#include <windows.h>

#include <map>
#include <utility>
#include <vector>

#include "app/exit_routines.h"
#include "app/host.h"
#include "ui/design.h"

namespace lj::win32 {

class Win32Host final : public Host {
public:
    explicit Win32Host(HINSTANCE instance);

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

    // Runs each registered exit routine once; later calls do nothing.
    void runExitRoutines();

private:
    struct OpenWindow {
        const WindowDesign* design = nullptr;
        HWND hwnd = nullptr;
        std::vector<HWND> controls;  // in design order
        HWND lastFocus = nullptr;
    };
    // The windows a modal loadWindow disabled, and whether each was enabled.
    struct ModalFrame {
        HWND window = nullptr;
        std::vector<std::pair<HWND, bool>> disabled;
        bool restored = false;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(OpenWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

    OpenWindow* findWindow(HWND hwnd);
    OpenWindow* findWindow(WindowId id);
    HWND findControl(WindowId window, const char* control);
    int controlIndex(const OpenWindow& window, HWND control) const;

    bool registerWindowClass(const WindowDesign& design);
    void buildControls(OpenWindow& window);
    HFONT fontFor(const FontDesign& font);
    HBRUSH brushFor(Background background) const;
    void drawOwnerDrawn(const OpenWindow& window, const DRAWITEMSTRUCT& item);
    HBITMAP pictureFor(const char* resourceName);

    void dispatch(MSG& msg);
    bool closeOnEscape(const MSG& msg);
    void closeWindow(OpenWindow& window);
    void restoreModalFrame(HWND window);
    bool openClipboard();

    HINSTANCE instance_;
    HWND clipboardOwner_ = nullptr;
    std::map<WindowId, OpenWindow> open_;
    std::vector<ModalFrame> modalFrames_;
    ExitRoutines exitRoutines_;
    int busy_ = 0;  // > 0 while a network wait runs: no handler may start
    std::map<std::pair<int, int>, HFONT> fonts_;
    std::map<std::string, HBITMAP> pictures_;
    HBRUSH whiteBrush_ = nullptr;
    unsigned tempFileCounter_ = 0;
};

}  // namespace lj::win32
