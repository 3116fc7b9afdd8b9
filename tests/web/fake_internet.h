// A recording stand-in for the WinINet-shaped layer, linked in place of the
// real one, so tests can see exactly what httpRequest hands to each call:
// null versus empty strings, flag words, proxy texts, buffer sizes, the
// order handles are closed in.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "web/internet.h"

namespace lj::fake {

using Str = std::optional<std::string>;  // nullopt: the call got a null pointer

struct Net {
    // What the routine passed.
    Str agent, proxy, bypass;
    unsigned long accessType = 99, openFlags = 99;
    Str server;
    int port = -1;
    bool userOrPasswordGiven = false;
    unsigned long service = 0;
    Str verb, object, version;
    bool referrerOrAcceptGiven = false;
    unsigned long requestFlags = 0;
    Str headers;
    unsigned long headersLength = 0;
    Str optional;  // the body pointer's bytes (optionalLength of them), or null
    unsigned long optionalLength = 0;
    std::vector<unsigned long> readSizes;
    std::vector<unsigned long> queryBufferSizes;
    std::vector<std::string> closed;  // "request", "connection", "session"

    // How the layer behaves.
    bool failOpen = false, failConnect = false, failRequest = false, sendFails = false;
    std::string body;
    std::string headerBlock = "HTTP/1.1 200 OK\r\n\r\n";
    std::size_t bodyAt = 0;
};

// Reset before each test.
Net& net();

}  // namespace lj::fake
