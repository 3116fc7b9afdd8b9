// The host's plain GET and connectivity check, on the same WinINet-shaped
// layer as httpRequest.
#pragma once

#include "text/text.h"

namespace lj {

// Whether a download is safe to keep: a 2xx status and the whole announced length.
struct DownloadOutcome {
    int status = 0;          // 0 when no response arrived
    bool complete = false;   // 2xx and every announced byte read
};

// One GET with the host's own default headers. Returns the body whatever the
// status; the part read when reading breaks off; empty for an empty or
// unparsable URL or a failed connection.
bytes httpGetBytes(const text& url, DownloadOutcome* outcome = nullptr);

// True when the system reports a network connection (or `checkPageUrl` is on
// loopback) and that page opens over HTTP.
bool isConnectedToInternet(const text& checkPageUrl);

}  // namespace lj
