// Command ids and window class names of the Win32 host. A control's id is
// its place in its window's design, a menu item's likewise; tools that drive
// the program from outside (the end-to-end tests) find controls the same way.
#pragma once

#include <string>

#include "ui/design.h"

namespace lj::win32 {

inline constexpr int firstControlId = 100;
inline constexpr int firstMenuItemId = 1000;

inline int controlId(int indexInDesign) { return firstControlId + indexInDesign; }
inline int menuItemId(int indexInDesign) { return firstMenuItemId + indexInDesign; }

// "Lanjing.MainWindow": one window class per design.
inline std::wstring windowClassName(const WindowDesign& design) {
    std::wstring name = L"Lanjing.";
    for (const char* p = design.name; *p; ++p) name += static_cast<wchar_t>(*p);
    return name;
}

}  // namespace lj::win32
