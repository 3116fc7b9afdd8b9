// C libraries with memmem (glibc): its short-needle search beats anything simple.
#include <string.h>

#include "text/find_bytes.h"

namespace lj::detail {

const char* findBytes(const char* hay, std::size_t n, const char* needle, std::size_t m) {
    return static_cast<const char*>(memmem(hay, n, needle, m));
}

}  // namespace lj::detail
