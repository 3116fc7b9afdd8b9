#include "app/file_names.h"

#include <array>
#include <string_view>

namespace lj {

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// Windows takes these as devices whatever extension follows, and ignores
// spaces before the extension ("NUL .txt").
bool isReservedDeviceName(const text& name) {
    std::string_view stem(name);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 4> plain{"CON", "PRN", "AUX", "NUL"};
    for (std::string_view reserved : plain)
        if (equalsIgnoringCase(stem, reserved)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        return equalsIgnoringCase(stem.substr(0, 3), "COM") || equalsIgnoringCase(stem.substr(0, 3), "LPT");
    return false;
}

}  // namespace

bool isBareFileName(const text& name, bool windowsRules) {
    if (name.empty() || name == "." || name == "..") return false;
    char lastCharacter = 0;  // the last single-byte character; 0 after a two-byte one
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // Code page 936 writes 0x80 (the euro sign) and 0xFF as one-byte
        // characters, and a byte below 0x40 never ends a two-byte one: what
        // follows such bytes is a character of its own when the name becomes
        // a path, and a separator there would still separate.
        if (c == 0x80 || c == 0xFF) {
            lastCharacter = 0;
            continue;
        }
        if (c >= 0x80) {
            if (i + 1 >= name.size()) return false;  // a lead byte without its trail byte
            const auto trail = static_cast<unsigned char>(name[i + 1]);
            if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
            ++i;
            lastCharacter = 0;
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
        if (windowsRules && std::string_view("<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
        lastCharacter = static_cast<char>(c);
    }
    if (windowsRules) {
        // Windows drops a trailing dot or space, so the file would get another name.
        if (lastCharacter == '.' || lastCharacter == ' ') return false;
        if (isReservedDeviceName(name)) return false;
    }
    return true;
}

}  // namespace lj
