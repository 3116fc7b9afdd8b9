// The checked download behind "是" and "安全短网址下载".
#pragma once

#include "app/host.h"

namespace lj {

// GETs `url` with the host's plain GET and writes the body under `fileName`
// only when it came whole with a 2xx status. True when the file was written;
// otherwise nothing was written (a broken or error download never replaces a file).
bool downloadToFile(Host& host, const text& url, const text& fileName);

}  // namespace lj
