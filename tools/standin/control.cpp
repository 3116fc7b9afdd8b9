#include "control.h"

#include <charconv>

namespace standin {

namespace {

template <typename T>
bool parseNumber(const std::string& s, T& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

bool parseMode(const std::string& s, Mode& out) {
    static const std::pair<const char*, Mode> kModes[] = {
        {"close", Mode::close},           {"silent", Mode::silent},
        {"stall", Mode::stall},           {"cut", Mode::cut},
        {"bigheaders", Mode::bigheaders}, {"hugebody", Mode::hugebody},
        {"redirect", Mode::redirect},     {"redirectloop", Mode::redirectloop},
        {"chunked", Mode::chunked},       {"garbage", Mode::garbage},
    };
    for (const auto& [name, mode] : kModes) {
        if (s == name) {
            out = mode;
            return true;
        }
    }
    return false;
}

}  // namespace

bool parseOverride(const std::vector<std::pair<std::string, std::string>>& query, std::string& path,
                   Override& out, std::string& error) {
    bool havePath = false;
    for (const auto& [name, value] : query) {
        bool ok = true;
        if (name == "path") {
            path = value;
            havePath = true;
        } else if (name == "status") {
            int s = 0;
            ok = parseNumber(value, s) && s >= 100 && s <= 999;
            out.status = s;
        } else if (name == "body") {
            out.body = value;
        } else if (name == "type") {
            out.type = value;
        } else if (name == "title") {
            out.title = value;
        } else if (name == "cookies") {
            size_t start = 0;
            for (;;) {
                size_t nl = value.find('\n', start);
                std::string line =
                    value.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (!line.empty()) out.cookies.push_back(line);
                if (nl == std::string::npos) break;
                start = nl + 1;
            }
        } else if (name == "header") {
            out.headers.push_back(value);
        } else if (name == "mode") {
            ok = parseMode(value, out.mode);
        } else if (name == "after") {
            ok = parseNumber(value, out.after);
        } else if (name == "size") {
            ok = parseNumber(value, out.size);
        } else if (name == "ms") {
            ok = parseNumber(value, out.ms) && out.ms >= 0;
        } else if (name == "code") {
            ok = parseNumber(value, out.code) && out.code >= 100 && out.code <= 999;
        } else if (name == "to") {
            out.to = value;
        } else {
            error = "unknown setting: " + name;
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (!havePath || path.empty()) {
        error = "missing path";
        return false;
    }
    return true;
}

void State::reset() {
    std::lock_guard lock(mutex_);
    overrides_.clear();
    last_.clear();
    counts_.clear();
}

void State::setOverride(const std::string& path, Override o) {
    std::lock_guard lock(mutex_);
    overrides_[path] = std::move(o);
}

std::optional<Override> State::overrideFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = overrides_.find(path);
    if (it == overrides_.end()) return std::nullopt;
    return it->second;
}

void State::record(const std::string& path, const std::string& raw) {
    std::lock_guard lock(mutex_);
    last_[path] = raw;
    ++counts_[path];
}

std::string State::lastRequest(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = last_.find(path);
    return it == last_.end() ? std::string() : it->second;
}

uint64_t State::count(const std::string& path) const {
    std::lock_guard lock(mutex_);
    auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
}

}  // namespace standin
