// Taking a URL apart for the request routine: host, port and object path.
// None of these fails; every input gives some text or number. Only the
// schemes "http://" and "https://" are known.
#pragma once

#include <optional>

#include "text/text.h"

namespace lj {

// The host, lower-cased. Plain mode (no `extraLevels`): the text between the
// scheme and the next "/", reduced to its last two labels with `domainOnly`.
// Level-count mode (`extraLevels` given, N): the last N+1 labels with
// `domainOnly`, N+2 without. The port goes unless `keepPort`.
text urlHost(const text& url, bool domainOnly = false, bool keepPort = false,
             std::optional<int> extraLevels = std::nullopt);

// The port after the host's last ":", else 443 for "https..." and 80 otherwise.
int urlPort(const text& url);

// The object path from the first "/" at or after the host, query included; "/" when none.
text urlPath(const text& url);

}  // namespace lj
