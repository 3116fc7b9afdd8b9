// Pictures embedded in the executable as RCDATA resources.
#pragma once

#include <windows.h>

namespace lj::win32 {

// Decodes the PNG resource `name` (RCDATA) into a 32-bit top-down DIB with
// premultiplied alpha, ready for AlphaBlend; null when it is missing or broken.
HBITMAP loadPngResource(HINSTANCE instance, const wchar_t* name);

}  // namespace lj::win32
