// Host services that are not about windows: start-up, exit, clipboard,
// files, browser, network waits.
#include "hosts/win32/win32_host.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>

#include "app/file_names.h"
#include "app/program_config.h"
#include "hosts/win32/win32_text.h"
#include "web/http_get.h"

namespace lj::win32 {

void Win32Host::initialiseHost() {
    // Files written under a bare name land beside the executable.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) break;
        if (n < path.size()) {
            path.resize(n);
            const size_t slash = path.find_last_of(L"\\/");
            if (slash != std::wstring::npos) SetCurrentDirectoryW(path.substr(0, slash + 1).c_str());
            break;
        }
        path.resize(path.size() * 2);
    }

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The picture box decodes its PNG through WIC, a COM service.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    // The clipboard needs an owner window for SetClipboardData to succeed.
    clipboardOwner_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
    whiteBrush_ = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void Win32Host::registerExitRoutine(void (*routine)()) { exitRoutines_.add(routine); }

void Win32Host::runExitRoutines() { exitRoutines_.runOnce(); }

void Win32Host::exitProgram(int code) {
    runExitRoutines();
    for (auto& [key, font] : fonts_) DeleteObject(font);
    for (auto& [key, picture] : pictures_) DeleteObject(picture);
    ExitProcess(static_cast<UINT>(code));
}

int Win32Host::messageBox(const text& message, int style, const text& title, std::optional<WindowId> owner) {
    HWND ownerHwnd = nullptr;
    if (owner)
        if (OpenWindow* w = findWindow(*owner)) ownerHwnd = w->hwnd;
    UINT flags = static_cast<UINT>(style);
    if (!(flags & MB_SYSTEMMODAL)) flags |= MB_TASKMODAL;
    // "信息：", the caption of a box without a title.
    const std::wstring caption = title.empty() ? std::wstring(L"\u4FE1\u606F\uFF1A") : widen(title);
    return MessageBoxW(ownerHwnd, widen(message).c_str(), caption.c_str(), flags);
}

bool Win32Host::openClipboard() {
    // Another program may hold the clipboard for a moment; try a few times.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(clipboardOwner_)) return true;
        Sleep(10);
    }
    return false;
}

text Win32Host::getClipboardText() {
    if (!openClipboard()) return {};
    text result;
    // Windows makes CF_UNICODETEXT from CF_TEXT content too.
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* w = static_cast<const wchar_t*>(GlobalLock(data))) {
            const SIZE_T units = GlobalSize(data) / sizeof(wchar_t);
            result = narrow(w, static_cast<int>(wcsnlen(w, units)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

bool Win32Host::setClipboardText(const text& value) {
    if (!openClipboard()) return false;
    EmptyClipboard();
    const std::wstring w = widen(value);
    bool ok = false;
    if (HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t))) {
        if (auto* p = static_cast<wchar_t*>(GlobalLock(data))) {
            std::wmemcpy(p, w.c_str(), w.size() + 1);
            GlobalUnlock(data);
            ok = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
        }
        if (!ok) GlobalFree(data);
    }
    CloseClipboard();
    return ok;
}

bytes Win32Host::httpGetBytes(const text& url, DownloadOutcome* outcome) {
    bytes body;
    DownloadOutcome local;
    waitForNetwork([&] { body = lj::httpGetBytes(url, &local); });
    if (outcome) *outcome = local;
    return body;
}

bool Win32Host::isConnectedToInternet() {
    bool connected = false;
    const text page = checkPageUrl();
    waitForNetwork([&] { connected = lj::isConnectedToInternet(page); });
    return connected;
}

bool Win32Host::writeBytesToFile(const text& fileName, const bytes& data) {
    if (!isBareFileName(fileName, true)) return false;
    const std::wstring name = widenStrict(fileName);
    if (name.empty()) return false;

    // Write beside the target, then swap it in: a failed or cut-short write
    // never destroys the file that was there.
    wchar_t temp[64];
    std::swprintf(temp, 64, L"~lanjing-%lu-%u.tmp", GetCurrentProcessId(), tempFileCounter_++);
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file, data.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    CloseHandle(file);
    if (ok) ok = MoveFileExW(temp, name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!ok) DeleteFileW(temp);
    return ok;
}

void Win32Host::openUrlInBrowser(const text& url) {
    ShellExecuteW(nullptr, L"open", widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

DWORD WINAPI runWork(void* work) {
    try {
        (*static_cast<const std::function<void()>*>(work))();
    } catch (...) {
        // A network wait reports failure through its results, never by unwinding.
    }
    return 0;
}

// What a user does with mouse and keyboard, and commands posted from
// outside: none of it may reach a handler while a request is out.
bool isUserInput(const MSG& msg) {
    const UINT m = msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
           (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK) || m == WM_NCMOUSEHOVER || m == WM_NCMOUSELEAVE ||
           m == WM_MOUSEHOVER || m == WM_MOUSELEAVE || m == WM_INPUT || m == WM_COMMAND ||
           m == WM_SYSCOMMAND || m == WM_CLOSE;
}

}  // namespace

void Win32Host::waitForNetwork(const std::function<void()>& work) {
    HANDLE worker = CreateThread(nullptr, 0, runWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (!worker) {
        work();
        return;
    }
    // The GUI thread keeps painting and answering other programs while the
    // worker waits on the network; handlers stay shut out (busy_).
    ++busy_;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
            } else if (!isUserInput(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        const DWORD woke = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_FAILED) {
            WaitForSingleObject(worker, INFINITE);
            break;
        }
    }
    CloseHandle(worker);
    --busy_;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace lj::win32
