#include "percent.h"

namespace standin {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string percentDecode(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size()) {
            int hi = hexValue(in[i + 1]);
            int lo = hexValue(in[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(in[i]);
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> parseQuery(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        std::string_view part = query.substr(start, end - start);
        if (!part.empty()) {
            size_t eq = part.find('=');
            if (eq == std::string_view::npos) {
                out.emplace_back(percentDecode(part), std::string());
            } else {
                out.emplace_back(percentDecode(part.substr(0, eq)), percentDecode(part.substr(eq + 1)));
            }
        }
        start = end + 1;
    }
    return out;
}

std::string queryValue(const std::vector<std::pair<std::string, std::string>>& query, std::string_view name) {
    for (const auto& [n, v] : query) {
        if (n == name) return v;
    }
    return std::string();
}

}  // namespace standin
