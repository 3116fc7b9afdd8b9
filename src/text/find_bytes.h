// Plain byte search under the text operations: the fastest the C library offers.
#pragma once

#include <cstddef>

namespace lj::detail {

// Start of the first occurrence of needle[0, m) in hay[0, n), or nullptr.
// m is at least 1.
const char* findBytes(const char* hay, std::size_t n, const char* needle, std::size_t m);

}  // namespace lj::detail
