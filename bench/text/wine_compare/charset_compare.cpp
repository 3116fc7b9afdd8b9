// Holds our code page layer (charset_posix.cpp) against the files that
// charset_dump.exe wrote under Wine or Windows, and lists every difference.
// Built with the benchmarks; run it in the folder holding the dump files.
#include <cstdio>
#include <string>

#include "text/charset.h"

namespace {

std::string hex(const std::string& s) {
    std::string r;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02X", c);
        r += b;
    }
    return r;
}

std::u16string unitsOf(const lj::bytes& b) {
    std::u16string u;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(b[i] | b[i + 1] << 8);
        if (c == 0) break;
        u.push_back(c);
    }
    return u;
}

std::string unitsHex(const std::u16string& u) {
    std::string r;
    char b[8];
    for (char16_t c : u) {
        std::snprintf(b, sizeof b, "%04X ", static_cast<unsigned>(c));
        r += b;
    }
    return r;
}

bool readUnits(FILE* f, std::u16string& w) {
    int n = 0;
    if (std::fread(&n, 4, 1, f) != 1 || n < 0) return false;
    w.assign(static_cast<std::size_t>(n), 0);
    if (n > 0 && std::fread(w.data(), 2, static_cast<std::size_t>(n), f) != static_cast<std::size_t>(n))
        return false;
    if (n > 0) w.pop_back();  // the terminator
    return true;
}

}  // namespace

int main() {
    int differences = 0;
    if (FILE* f = std::fopen("enc936.bin", "rb")) {
        int diff = 0;
        for (unsigned u = 1; u < 0x10000; ++u) {
            int n = 0;
            char out[8];
            if (std::fread(&n, 4, 1, f) != 1 || std::fread(out, 1, 8, f) != 8) break;
            const std::string theirs(out, n > 0 ? static_cast<std::size_t>(n) - 1 : 0);
            const lj::bytes w = {static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>(u >> 8), 0,
                                 0};
            const std::string ours = lj::wideToMultiByte(w, lj::codePageGbk);
            if (theirs != ours) {
                std::printf("to 936   U+%04X platform=%s ours=%s\n", u, hex(theirs).c_str(),
                            hex(ours).c_str());
                ++diff;
            }
        }
        std::fclose(f);
        std::printf("UTF-16 -> 936: %d differences\n", diff);
        differences += diff;
    }
    if (FILE* f = std::fopen("dec936.bin", "rb")) {
        int diff = 0;
        for (unsigned lead = 1; lead < 0x100; ++lead) {
            for (unsigned trail = 0; trail < 0x100; ++trail) {
                std::u16string theirs;
                if (!readUnits(f, theirs)) break;
                std::string in(1, static_cast<char>(lead));
                if (trail) in.push_back(static_cast<char>(trail));
                const std::u16string ours = unitsOf(lj::multiByteToWide(in, lj::codePageGbk));
                if (theirs != ours) {
                    std::printf("from 936 %s platform=%s ours=%s\n", hex(in).c_str(),
                                unitsHex(theirs).c_str(), unitsHex(ours).c_str());
                    ++diff;
                }
            }
        }
        std::fclose(f);
        std::printf("936 -> UTF-16: %d differences\n", diff);
        differences += diff;
    }
    FILE* lines = std::fopen("utf8in.txt", "r");
    FILE* f = std::fopen("utf8out.bin", "rb");
    if (lines && f) {
        int diff = 0, total = 0;
        char line[4096];
        while (std::fgets(line, sizeof line, lines)) {
            std::string s;
            for (const char* p = line; p[0] && p[1] && p[0] != '\n'; p += 2) {
                unsigned v = 0;
                std::sscanf(p, "%2x", &v);
                s.push_back(static_cast<char>(v));
            }
            std::u16string wide;
            if (!readUnits(f, wide)) break;
            int m = 0;
            if (std::fread(&m, 4, 1, f) != 1 || m < 0) break;
            std::string ansi(static_cast<std::size_t>(m), '\0');
            if (m > 0 && std::fread(ansi.data(), 1, ansi.size(), f) != ansi.size()) break;
            if (m > 0) ansi.pop_back();
            ++total;
            const std::u16string ourWide = unitsOf(lj::multiByteToWide(s));
            const std::string ourAnsi = lj::utf8ToAnsi(s);
            if (ourWide != wide || ourAnsi != ansi) {
                std::printf("UTF-8 %s platform=[%s] %s ours=[%s] %s\n", hex(s).c_str(),
                            unitsHex(wide).c_str(), hex(ansi).c_str(), unitsHex(ourWide).c_str(),
                            hex(ourAnsi).c_str());
                ++diff;
            }
        }
        std::printf("UTF-8 inputs: %d of %d differ\n", diff, total);
        differences += diff;
    }
    if (lines) std::fclose(lines);
    if (f) std::fclose(f);
    return differences == 0 ? 0 : 1;
}
