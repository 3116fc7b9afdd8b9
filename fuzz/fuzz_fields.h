// Splits one fuzz input into the arguments of the operation under test.
//
// The first `controlBytes` bytes steer numbers and flags; the rest is cut at
// zero bytes into texts. A text never holds a zero byte, so the separator can
// never be part of a field, and a seed file is easy to write by hand:
//   printf '\x03\x01abc\0b\0' > corpus/<target>/seed
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"

namespace lj::fuzz {

class Fields {
public:
    Fields(const std::uint8_t* data, std::size_t size, std::size_t controlBytes) {
        std::size_t n = size < controlBytes ? size : controlBytes;
        control_.assign(data, data + n);
        control_.resize(controlBytes, 0);
        std::string current;
        for (std::size_t i = n; i < size; ++i) {
            if (data[i] == 0) {
                fields_.push_back(current);
                current.clear();
            } else {
                current.push_back(static_cast<char>(data[i]));
            }
        }
        fields_.push_back(current);
    }

    std::uint8_t control(std::size_t i) const { return control_[i]; }
    bool flag(std::size_t i, int bit) const { return (control_[i] >> bit) & 1; }
    // A small signed number around the lengths the texts have (-8 .. 119).
    int smallInt(std::size_t i) const { return static_cast<int>(control_[i] & 0x7F) - 8; }
    // nullopt when the top bit of the control byte is set, else smallInt.
    std::optional<int> optionalInt(std::size_t i) const {
        if (control_[i] & 0x80) return std::nullopt;
        return smallInt(i);
    }
    // The i-th text; "" beyond the last.
    const text& field(std::size_t i) const {
        static const text none;
        return i < fields_.size() ? fields_[i] : none;
    }

private:
    std::vector<std::uint8_t> control_;
    std::vector<text> fields_;
};

// Every scan steps by the lead-byte rule; these are the offsets (0-based) a
// scan starting at `from` visits, the last byte included when it is a lead
// byte cut short.
inline std::vector<bool> characterStarts(const text& t, std::size_t from) {
    std::vector<bool> starts(t.size() + 1, false);
    for (std::size_t p = from; p < t.size();) {
        starts[p] = true;
        p += static_cast<unsigned char>(t[p]) >= 0x80 ? 2 : 1;
    }
    return starts;
}

inline unsigned char foldLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 0x20 : c; }

inline bool sameBytes(const text& a, std::size_t at, const text& b, bool fold) {
    if (at + b.size() > a.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        unsigned char x = a[at + i], y = b[i];
        if (fold ? foldLetter(x) != foldLetter(y) : x != y) return false;
    }
    return true;
}

inline text foldText(const text& t) {
    text r = t;
    for (char& c : r) c = static_cast<char>(foldLetter(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace lj::fuzz

// Stops the run with the fuzzer's crash report, naming the broken invariant.
#define LJ_FUZZ_CHECK(cond)                                                                    \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
