// Windows built from their designs, the window procedure and the message
// loops (the main one and the nested one of a modal loadWindow).
#include <algorithm>
#include <cstring>

#include "hosts/win32/win32_host.h"
#include "hosts/win32/win32_ids.h"
#include "hosts/win32/win32_picture.h"
#include "hosts/win32/win32_text.h"

namespace lj::win32 {

namespace {

Win32Host* theHost = nullptr;
// The window CreateWindowExW is building: it gets messages before it returns.
HWND* creatingHwnd = nullptr;

COLORREF colourOf(Rgb c) { return RGB(c.r, c.g, c.b); }

}  // namespace

Win32Host::OpenWindow* Win32Host::findWindow(HWND hwnd) {
    if (!hwnd) return nullptr;
    for (auto& [id, window] : open_)
        if (window.hwnd == hwnd) return &window;
    return nullptr;
}

Win32Host::OpenWindow* Win32Host::findWindow(WindowId id) {
    auto it = open_.find(id);
    return it == open_.end() || !it->second.hwnd ? nullptr : &it->second;
}

int Win32Host::controlIndex(const OpenWindow& window, HWND control) const {
    if (!control) return -1;
    auto it = std::find(window.controls.begin(), window.controls.end(), control);
    return it == window.controls.end() ? -1 : static_cast<int>(it - window.controls.begin());
}

HWND Win32Host::findControl(WindowId id, const char* control) {
    OpenWindow* window = findWindow(id);
    if (!window || !control) return nullptr;
    const auto& controls = window->design->controls;
    for (size_t i = 0; i < controls.size() && i < window->controls.size(); ++i)
        if (std::strcmp(controls[i].name, control) == 0) return window->controls[i];
    return nullptr;
}

text Win32Host::readControlText(WindowId window, const char* control) {
    HWND h = findControl(window, control);
    if (!h) return {};
    std::wstring w(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    const int n = GetWindowTextW(h, w.data(), static_cast<int>(w.size()));
    return narrow(w.c_str(), n);
}

void Win32Host::writeControlText(WindowId window, const char* control, const text& value) {
    if (HWND h = findControl(window, control)) SetWindowTextW(h, widen(value).c_str());
}

HFONT Win32Host::fontFor(const FontDesign& font) {
    if (font.systemGuiFont) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (font.pixelHeight <= 0) return nullptr;
    HFONT& slot = fonts_[{font.pixelHeight, font.weight}];
    if (!slot)
        // A negative height asks for the character height; the empty face
        // with GB2312_CHARSET lets the system pick its Chinese default face.
        slot = CreateFontW(-font.pixelHeight, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"");
    return slot;
}

HBRUSH Win32Host::brushFor(Background background) const {
    return background == Background::White ? whiteBrush_ : GetSysColorBrush(COLOR_BTNFACE);
}

HBITMAP Win32Host::pictureFor(const char* resourceName) {
    auto it = pictures_.find(resourceName);
    if (it != pictures_.end()) return it->second;
    HBITMAP picture = loadPngResource(instance_, utf8ToWide(resourceName).c_str());
    pictures_[resourceName] = picture;
    return picture;
}

bool Win32Host::registerWindowClass(const WindowDesign& design) {
    const std::wstring name = windowClassName(design);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance_, name.c_str(), &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name.c_str();
    if (design.ownIcon) {
        wc.hIcon =
            static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
        wc.hIconSm =
            static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    return RegisterClassExW(&wc) != 0;
}

void Win32Host::buildControls(OpenWindow& window) {
    const auto& controls = window.design->controls;
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlDesign& c = controls[i];
        const wchar_t* cls = L"STATIC";
        // Overlapping controls (UpdatePromptWindow's frame label) clip each other.
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (c.kind) {
            case ControlKind::Label:
                style |=
                    c.shadedFrame.empty() ? SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX : SS_OWNERDRAW;
                break;
            case ControlKind::EditBox:
                cls = L"EDIT";
                style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::Button:
                cls = L"BUTTON";
                style |= WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
                break;
            case ControlKind::PictureBox:
                style |= SS_OWNERDRAW;
                break;
        }
        HWND h = CreateWindowExW(
            exStyle, cls, widen(c.textWhenBuilt).c_str(), style, c.x, c.y, c.width, c.height, window.hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(int(i)))), instance_, nullptr);
        window.controls.push_back(h);
        if (!h) continue;
        if (HFONT font = fontFor(c.font)) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.kind == ControlKind::EditBox) SendMessageW(h, EM_SETLIMITTEXT, 0, 0);  // 0: no limit
    }
    // A frame label lies under every other control. New children go below
    // their elder siblings, so this can only be settled once all exist.
    for (size_t i = 0; i < controls.size(); ++i)
        if (!controls[i].shadedFrame.empty() && window.controls[i])
            SetWindowPos(window.controls[i], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Host::drawOwnerDrawn(const OpenWindow& window, const DRAWITEMSTRUCT& item) {
    const int index = controlIndex(window, item.hwndItem);
    if (index < 0) return;
    const ControlDesign& c = window.design->controls[index];
    HDC dc = item.hDC;
    const RECT box = item.rcItem;
    FillRect(dc, &box, brushFor(c.background));

    if (c.kind == ControlKind::PictureBox && c.pictureResource) {
        HBITMAP picture = pictureFor(c.pictureResource);
        BITMAP info{};
        if (!picture || !GetObjectW(picture, sizeof info, &info)) return;
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, picture);
        // Stretched to the whole box, proportions not kept; alpha over the background.
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, memory, 0, 0,
                   info.bmWidth, info.bmHeight, blend);
        SelectObject(memory, old);
        DeleteDC(memory);
        return;
    }

    // The shaded frame: one rectangle outline per pixel line from the outer
    // edge inwards, its colour interpolated along the listed colours.
    const auto& colours = c.shadedFrame;
    const int width = c.shadedFrameWidth;
    if (colours.empty() || width <= 0) return;
    for (int line = 0; line < width; ++line) {
        Rgb colour = colours.front();
        if (colours.size() > 1) {
            const double pos = width > 1 ? double(line) / (width - 1) * double(colours.size() - 1) : 0.0;
            const size_t k = std::min(static_cast<size_t>(pos), colours.size() - 2);
            const double f = pos - double(k);
            const Rgb a = colours[k], b = colours[k + 1];
            auto mix = [f](unsigned char x, unsigned char y) {
                return static_cast<unsigned char>(x + (double(y) - double(x)) * f + 0.5);
            };
            colour = {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
        }
        HBRUSH brush = CreateSolidBrush(colourOf(colour));
        const RECT outline{box.left + line, box.top + line, box.right - line, box.bottom - line};
        FrameRect(dc, &outline, brush);
        DeleteObject(brush);
    }
}

bool Win32Host::loadWindow(WindowId id, std::optional<WindowId> owner, bool modal) {
    HWND ownerHwnd = nullptr;
    if (owner) {
        OpenWindow* ownerWindow = findWindow(*owner);
        if (!ownerWindow) return false;
        ownerHwnd = ownerWindow->hwnd;
    }
    if (findWindow(id)) return false;  // one window of each design at a time
    const WindowDesign& design = windowDesign(id);
    if (!registerWindowClass(design)) return false;

    DWORD style = WS_CLIPCHILDREN;
    if (design.frame == Frame::None) {
        style |= WS_POPUP;
    } else {
        // Fixed single frame: no WS_THICKFRAME, so the user cannot resize it.
        style |= WS_OVERLAPPED | WS_CAPTION;
        if (design.closeBox) style |= WS_SYSMENU;
        if (design.minimizeBox) style |= WS_MINIMIZEBOX;
        if (design.maximizeBox) style |= WS_MAXIMIZEBOX;
    }
    const DWORD exStyle = design.taskbarButton ? WS_EX_APPWINDOW : 0;

    HMENU menu = nullptr;
    if (!design.menuCaption.empty()) {
        menu = CreateMenu();
        HMENU items = CreatePopupMenu();
        for (size_t i = 0; i < design.menuItems.size(); ++i)
            AppendMenuW(items, MF_STRING, menuItemId(int(i)), widen(design.menuItems[i].caption).c_str());
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(items), widen(design.menuCaption).c_str());
    }

    // Outer size as designed, centred on the screen.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - design.outerWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - design.outerHeight) / 2;
    OpenWindow& window = open_[id];
    window.design = &design;
    HWND* outer = creatingHwnd;
    creatingHwnd = &window.hwnd;
    HWND hwnd =
        CreateWindowExW(exStyle, windowClassName(design).c_str(), widen(design.caption).c_str(), style, x, y,
                        design.outerWidth, design.outerHeight, ownerHwnd, menu, instance_, nullptr);
    creatingHwnd = outer;
    if (!hwnd) {
        open_.erase(id);
        if (menu) DestroyMenu(menu);
        return false;
    }
    window.hwnd = hwnd;
    buildControls(window);

    if (design.onCreated) design.onCreated(*this);
    if (!IsWindow(hwnd)) return true;

    if (modal) {
        ModalFrame frame{hwnd, {}, false};
        for (auto& [otherId, other] : open_)
            if (other.hwnd && other.hwnd != hwnd) {
                frame.disabled.emplace_back(other.hwnd, IsWindowEnabled(other.hwnd) != FALSE);
                EnableWindow(other.hwnd, FALSE);
            }
        modalFrames_.push_back(std::move(frame));
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    if (!modal) return true;

    // The nested loop: the caller's handler waits here until the window is gone.
    while (IsWindow(hwnd)) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) break;
        dispatch(msg);
    }
    restoreModalFrame(hwnd);
    modalFrames_.erase(std::remove_if(modalFrames_.begin(), modalFrames_.end(),
                                      [hwnd](const ModalFrame& f) { return f.window == hwnd; }),
                       modalFrames_.end());
    return true;
}

void Win32Host::restoreModalFrame(HWND window) {
    for (ModalFrame& frame : modalFrames_) {
        if (frame.window != window || frame.restored) continue;
        frame.restored = true;
        for (auto& [hwnd, enabled] : frame.disabled)
            if (IsWindow(hwnd)) EnableWindow(hwnd, enabled);
    }
}

void Win32Host::closeWindow(OpenWindow& window) {
    // Enable the owner before the modal window goes, so activation returns to it.
    HWND hwnd = window.hwnd;
    restoreModalFrame(hwnd);
    DestroyWindow(hwnd);
}

bool Win32Host::closeOnEscape(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE || !msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    OpenWindow* window = findWindow(root);
    if (!window || !window->design->escCloses) return false;
    if (!busy_ && IsWindowEnabled(root)) closeWindow(*window);
    return true;
}

void Win32Host::dispatch(MSG& msg) {
    if (closeOnEscape(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Win32Host::runMessageLoop() {
    if (open_.empty()) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
}

LRESULT CALLBACK Win32Host::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (theHost) {
        if (creatingHwnd && !*creatingHwnd && !theHost->findWindow(hwnd)) *creatingHwnd = hwnd;
        if (OpenWindow* window = theHost->findWindow(hwnd))
            return theHost->handleMessage(*window, message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Host::handleMessage(OpenWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND hwnd = window.hwnd;
    const WindowDesign& design = *window.design;
    switch (message) {
        case WM_COMMAND: {
            // No handler starts while another waits on the network.
            if (busy_) return 0;
            Handler handler = nullptr;
            if (lParam) {
                const int index = controlIndex(window, reinterpret_cast<HWND>(lParam));
                if (HIWORD(wParam) == BN_CLICKED && index >= 0) handler = design.controls[index].onClicked;
            } else if (HIWORD(wParam) == 0) {
                const int index = LOWORD(wParam) - firstMenuItemId;
                if (index >= 0 && index < static_cast<int>(design.menuItems.size()))
                    handler = design.menuItems[index].onSelected;
            }
            // The handler may open modal windows or end this one: `window` is not used after it.
            if (handler) handler(*this);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            const int index = controlIndex(window, reinterpret_cast<HWND>(lParam));
            if (index < 0) break;
            const ControlDesign& c = design.controls[index];
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, colourOf(c.textColour));
            if (c.kind == ControlKind::EditBox) {
                SetBkColor(dc, RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(whiteBrush_);
            }
            // Labels: text drawn transparently over their background.
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(brushFor(c.background));
        }
        case WM_SETCURSOR: {
            if (busy_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            const int index = controlIndex(window, reinterpret_cast<HWND>(wParam));
            if (index >= 0 && LOWORD(lParam) == HTCLIENT && design.controls[index].pointer == Pointer::Hand) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, brushFor(design.background));
            return 1;
        }
        case WM_DRAWITEM:
            if (wParam == 0) break;  // from a menu
            drawOwnerDrawn(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_ACTIVATE:
            // Keep the focused control across deactivation; start on the first tab stop.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) window.lastFocus = focus;
            } else {
                HWND target = window.lastFocus && IsWindow(window.lastFocus) ? window.lastFocus : nullptr;
                for (size_t i = 0; !target && i < window.controls.size(); ++i)
                    if (window.controls[i] && (GetWindowLongW(window.controls[i], GWL_STYLE) & WS_TABSTOP))
                        target = window.controls[i];
                if (target) SetFocus(target);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE && design.escCloses) {
                if (!busy_) closeWindow(window);
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if (busy_ && (wParam & 0xFFF0) == SC_CLOSE) return 0;
            break;
        case WM_CLOSE:
            if (!busy_) closeWindow(window);
            return 0;
        case WM_DESTROY: {
            const WindowId id = design.id;
            open_.erase(id);  // `window` is gone from here on
            if (open_.empty()) PostQuitMessage(0);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) { theHost = this; }

}  // namespace lj::win32
