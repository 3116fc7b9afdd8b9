// What tests switch at run time: per-path overrides, and a log of the last
// request and the number of requests per path. One global state, shared by
// all connection threads, cleared by /_standin/reset.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

enum class Mode {
    none,
    close,
    silent,
    stall,
    cut,
    bigheaders,
    hugebody,
    redirect,
    redirectloop,
    chunked,
    garbage
};

struct Override {
    std::optional<int> status;
    std::optional<std::string> body;
    std::optional<std::string> type;
    std::optional<std::string> title;
    std::vector<std::string> cookies;  // each becomes "Set-Cookie: <line>"
    std::vector<std::string> headers;  // raw header lines
    Mode mode = Mode::none;
    uint64_t after = 0;
    uint64_t size = 0;
    int ms = 0;
    int code = 302;
    std::string to;

    // True when the override replaces the normal reply instead of decorating it.
    bool canned() const { return status || body || type || title; }
};

// Builds an override from the query of /_standin/override. Returns false with
// a message for an unknown setting, a bad number or a missing path.
bool parseOverride(const std::vector<std::pair<std::string, std::string>>& query, std::string& path,
                   Override& out, std::string& error);

class State {
public:
    void reset();
    void setOverride(const std::string& path, Override o);
    std::optional<Override> overrideFor(const std::string& path) const;
    void record(const std::string& path, const std::string& raw);
    std::string lastRequest(const std::string& path) const;
    uint64_t count(const std::string& path) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, Override> overrides_;
    std::map<std::string, std::string> last_;
    std::map<std::string, uint64_t> counts_;
};

}  // namespace standin
