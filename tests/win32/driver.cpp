#include "tests/win32/driver.h"

#include <wininet.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "hosts/win32/win32_ids.h"
#include "lj_config.h"
#include "win32_e2e_paths.h"

namespace lj::e2e {

namespace {

// "/work/x" (a Unix path) as Wine's drive Z: sees it.
std::wstring windowsPath(const char* unixUtf8) {
    std::wstring w = fromUtf8(unixUtf8);
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return w.size() && w[0] == L'\\' ? L"Z:" + w : w;
}

std::wstring fileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

std::wstring className(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

struct Search {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK matchTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    if (className(hwnd) != search->className) return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK collectChildren(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::wstring fromGbk(const std::string& t) {
    if (t.empty()) return {};
    const int n = MultiByteToWideChar(936, 0, t.data(), int(t.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(936, 0, t.data(), int(t.size()), w.data(), n);
    return w;
}

std::wstring fromUtf8(const std::string& t) {
    if (t.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, t.data(), int(t.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, t.data(), int(t.size()), w.data(), n);
    return w;
}

// ---- The program ------------------------------------------------------------

std::wstring programPath() { return windowsPath(LJ_E2E_PROGRAM_UTF8); }

Program::Program() {
    static unsigned counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lanjing-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(counter++) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    const std::wstring source = programPath();
    const std::wstring copy = folder_ + fileNameOf(source);
    CopyFileW(source.c_str(), copy.c_str(), FALSE);

    // Started from another folder: files must still land beside the executable.
    std::wstring commandLine = L"\"" + copy + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startedAt_ = GetTickCount64();
    if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &startup,
                        &process_))
        process_ = {};
}

Program::~Program() {
    if (process_.hProcess) {
        if (running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder_ + L"*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder_ + entry.cFileName).c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder_.c_str());
}

bool Program::running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Program::waitForExit(int timeoutMs) {
    if (!process_.hProcess) return STILL_ACTIVE;
    WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeoutMs));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::vector<unsigned char> Program::fileInFolder(const std::wstring& name, bool* exists) const {
    std::vector<unsigned char> content;
    HANDLE file = CreateFileW((folder_ + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    *exists = file != INVALID_HANDLE_VALUE;
    if (!*exists) return content;
    unsigned char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.insert(content.end(), buffer, buffer + read);
    CloseHandle(file);
    return content;
}

void Program::writeFileInFolder(const std::wstring& name, const std::string& content) const {
    HANDLE file = CreateFileW((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
}

// ---- Windows and controls -------------------------------------------------------

HWND findTopLevel(DWORD processId, const wchar_t* name, bool visibleOnly) {
    Search search{processId, name, visibleOnly, nullptr};
    EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForTopLevel(DWORD processId, const wchar_t* name, int timeoutMs) {
    HWND found = nullptr;
    waitUntil([&] { return (found = findTopLevel(processId, name)) != nullptr; }, timeoutMs);
    return found;
}

HWND waitForWindow(const Program& program, WindowId id, int timeoutMs) {
    return waitForTopLevel(program.processId(), win32::windowClassName(windowDesign(id)).c_str(), timeoutMs);
}

HWND control(HWND window, WindowId id, const char* name) {
    const auto& controls = windowDesign(id).controls;
    for (size_t i = 0; i < controls.size(); ++i)
        if (std::strcmp(controls[i].name, name) == 0) return GetDlgItem(window, win32::controlId(int(i)));
    return nullptr;
}

std::wstring windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return L"<no answer>";
    std::wstring w(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(w.data()), SMTO_NORMAL, 5000,
                        &copied);
    w.resize(copied);
    return w;
}

void setText(HWND edit, const std::wstring& value) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), SMTO_NORMAL, 5000,
                        &result);
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void chooseMenuItem(HWND window, int indexInMenu) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(win32::menuItemId(indexInMenu), 0), 0);
}

void pressEscape(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus &&
        GetAncestor(info.hwndFocus, GA_ROOT) == window)
        target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

MessageBoxSeen waitForMessageBox(const Program& program, int timeoutMs) {
    MessageBoxSeen box;
    box.hwnd = waitForTopLevel(program.processId(), L"#32770", timeoutMs);
    if (!box.hwnd) return box;
    box.caption = windowText(box.hwnd);
    std::vector<HWND> children;
    EnumChildWindows(box.hwnd, collectChildren, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (_wcsicmp(className(child).c_str(), L"Static") != 0) continue;
        std::wstring t = windowText(child);
        if (!t.empty()) box.message = t;
    }
    return box;
}

void dismiss(const MessageBoxSeen& box) {
    if (HWND ok = GetDlgItem(box.hwnd, IDOK))
        click(ok);
    else
        PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
}

// ---- Clipboard --------------------------------------------------------------------

std::wstring clipboardText() {
    std::wstring result;
    if (!waitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return L"<clipboard busy>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* w = static_cast<const wchar_t*>(GlobalLock(data))) {
            result = w;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

bool setClipboardText(const std::wstring& value) {
    static HWND owner =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!waitUntil([] { return OpenClipboard(owner) != FALSE; }, 2000)) return false;
    EmptyClipboard();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (value.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(data), value.c_str(), (value.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    const bool ok = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    CloseClipboard();
    return ok;
}

// ---- The stand-in ------------------------------------------------------------------

std::string standinGet(const std::string& pathAndQuery) {
    const std::string url = "http://127.0.0.1:" + std::to_string(LJ_STANDIN_PORT) + pathAndQuery;
    std::string body;
    HINTERNET session = InternetOpenA("lanjing-e2e", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = session ? InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                : nullptr;
    char buffer[4096];
    DWORD read = 0;
    while (request && InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0)
        body.append(buffer, read);
    if (request) InternetCloseHandle(request);
    if (session) InternetCloseHandle(session);
    return body;
}

void resetStandin() { standinGet("/_standin/reset"); }

void overrideStandin(const std::string& pathAndSettings) {
    standinGet("/_standin/override?path=" + pathAndSettings);
}

std::string percentEncode(const std::string& utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : utf8) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// ---- Screenshots --------------------------------------------------------------------

namespace {

unsigned long crc32(const unsigned char* data, size_t n, unsigned long crc = 0) {
    static unsigned long table[256];
    static bool ready = false;
    if (!ready) {
        for (unsigned long i = 0; i < 256; ++i) {
            unsigned long c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc ^= 0xFFFFFFFFUL;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFUL;
}

void putBig32(std::string& out, unsigned long v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += char((v >> shift) & 0xFF);
}

void chunk(std::string& png, const char* type, const std::string& data) {
    putBig32(png, data.size());
    std::string body = std::string(type, 4) + data;
    png += body;
    putBig32(png, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// A PNG of 8-bit RGB rows, deflate in stored blocks: small code, large files.
std::string encodePng(int width, int height, const std::string& rows) {
    std::string png = "\x89PNG\r\n\x1A\n";
    std::string header;
    putBig32(header, width);
    putBig32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);
    chunk(png, "IHDR", header);
    std::string z = "\x78\x01";
    for (size_t at = 0; at < rows.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, rows.size() - at);
        z += char(at + n >= rows.size() ? 1 : 0);
        z += char(n & 0xFF);
        z += char(n >> 8);
        z += char(~n & 0xFF);
        z += char((~n >> 8) & 0xFF);
        z.append(rows, at, n);
        if (rows.empty()) break;
    }
    unsigned long a = 1, b = 0;
    for (unsigned char c : rows) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(z, (b << 16) | a);
    chunk(png, "IDAT", z);
    chunk(png, "IEND", "");
    return png;
}

}  // namespace

bool Capture::has(const RECT& r, unsigned rgb) const {
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width); ++x)
            if (at(x, y) == rgb) return true;
    return false;
}

RECT placeInWindow(HWND window, HWND control) {
    RECT outer{}, r{};
    GetWindowRect(window, &outer);
    GetWindowRect(control, &r);
    OffsetRect(&r, -outer.left, -outer.top);
    return r;
}

Capture capture(HWND window) {
    Capture shot;
    // Let the program finish painting first.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Sleep(300);
    RECT r;
    if (!GetWindowRect(window, &r)) return shot;
    shot.width = r.right - r.left;
    shot.height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const unsigned*>(bits);
    shot.pixels.assign(px, px + size_t(shot.width) * shot.height);
    for (unsigned& p : shot.pixels) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

bool screenshot(HWND window, const std::wstring& name) { return screenshot(capture(window), name); }

bool screenshot(const Capture& shot, const std::wstring& name) {
    if (shot.width == 0) return false;
    std::string rows;
    for (int y = 0; y < shot.height; ++y) {
        rows += '\0';  // filter: none
        for (int x = 0; x < shot.width; ++x) {
            const unsigned p = shot.at(x, y);
            rows += char(p >> 16);
            rows += char(p >> 8);
            rows += char(p);
        }
    }
    const std::wstring folder = windowsPath(LJ_E2E_SCREENSHOTS_UTF8);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::string png = encodePng(shot.width, shot.height, rows);
    HANDLE file = CreateFileW((folder + L"\\" + name + L".png").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, png.data(), DWORD(png.size()), &written, nullptr);
    CloseHandle(file);
    return written == png.size();
}

}  // namespace lj::e2e
