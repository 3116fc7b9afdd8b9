// Talking to the stand-in note service from the web tests: its address, its
// control routes (called through httpRequest itself, so the suite needs
// nothing but HTTP), and reading back what it received.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lj_config.h"
#include "web/http_request.h"

namespace lj::test {

inline text standinUrl(std::string_view path) {
    return "http://127.0.0.1:" + std::to_string(LJ_STANDIN_PORT) + std::string(path);
}

inline text asText(const bytes& b) { return text(b.begin(), b.end()); }

inline text percentEncode(std::string_view s) {
    static const char* hex = "0123456789ABCDEF";
    text out;
    for (unsigned char c : s) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// Control routes go out with cookies supplied (empty), so the layer's cookie store never sees them.
inline text standinControl(const text& pathAndQuery) {
    text noCookies;
    return asText(httpRequest(standinUrl(pathAndQuery), 0, {}, &noCookies));
}

inline void standinReset() { standinControl("/_standin/reset"); }

using Settings = std::vector<std::pair<std::string, std::string>>;

// From now on `path` answers with these settings (values given raw, encoded here).
inline text standinOverride(std::string_view path, const Settings& settings) {
    text route = "/_standin/override?path=" + percentEncode(path);
    for (const auto& [name, value] : settings) route += "&" + name + "=" + percentEncode(value);
    return standinControl(route);
}

// The raw bytes of the last request the stand-in received for `path`.
inline text standinLog(std::string_view path) {
    return standinControl("/_standin/log?path=" + percentEncode(path));
}

inline int standinCount(std::string_view path) {
    return std::stoi("0" + standinControl("/_standin/count?path=" + percentEncode(path)));
}

}  // namespace lj::test
