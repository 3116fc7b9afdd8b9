// C libraries without memmem (MinGW's msvcrt): memchr for the first byte, then memcmp.
#include <cstring>

#include "text/find_bytes.h"

namespace lj::detail {

const char* findBytes(const char* hay, std::size_t n, const char* needle, std::size_t m) {
    if (m > n) return nullptr;
    const char* end = hay + (n - m) + 1;  // last possible start + 1
    const char* p = hay;
    while (p < end) {
        p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<std::size_t>(end - p)));
        if (p == nullptr) return nullptr;
        if (std::memcmp(p + 1, needle + 1, m - 1) == 0) return p;
        ++p;
    }
    return nullptr;
}

}  // namespace lj::detail
