// Records what the platform's MultiByteToWideChar / WideCharToMultiByte make
// of every code page 936 code, every UTF-16 unit and a list of UTF-8 inputs,
// so charset_compare can hold our own layer against them. Run it under Wine
// (or Windows) in a folder holding utf8in.txt (one input a line, in hex):
//
//   x86_64-w64-mingw32-g++-posix -O2 -static charset_dump_win32.cpp -o charset_dump.exe
//   scripts/wine-run.sh charset_dump.exe
//
// It writes enc936.bin, dec936.bin and utf8out.bin beside utf8in.txt.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void putUnits(FILE* f, const wchar_t* w, int n) {
    fwrite(&n, 4, 1, f);
    fwrite(w, 2, static_cast<size_t>(n), f);
}

}  // namespace

int main() {
    FILE* enc = fopen("enc936.bin", "wb");
    for (unsigned u = 1; u < 0x10000; ++u) {
        const wchar_t in[2] = {static_cast<wchar_t>(u), 0};
        char out[8] = {};
        const int n = WideCharToMultiByte(936, 0, in, -1, out, sizeof out, nullptr, nullptr);
        fwrite(&n, 4, 1, enc);
        fwrite(out, 1, 8, enc);
    }
    fclose(enc);

    FILE* dec = fopen("dec936.bin", "wb");
    for (unsigned lead = 1; lead < 0x100; ++lead) {
        for (unsigned trail = 0; trail < 0x100; ++trail) {
            const char in[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            wchar_t out[8] = {};
            putUnits(dec, out, MultiByteToWideChar(936, 0, in, -1, out, 8));
        }
    }
    fclose(dec);

    FILE* lines = fopen("utf8in.txt", "r");
    FILE* out = fopen("utf8out.bin", "wb");
    char line[4096];
    while (lines && out && fgets(line, sizeof line, lines)) {
        std::string s;
        for (const char* p = line; p[0] && p[1] && p[0] != '\n'; p += 2) {
            unsigned v = 0;
            sscanf(p, "%2x", &v);
            s.push_back(static_cast<char>(v));
        }
        static wchar_t w[2048];
        const int n = MultiByteToWideChar(65001, 0, s.c_str(), -1, w, 2048);
        putUnits(out, w, n);
        static char a[4096];
        const int m = n > 0 ? WideCharToMultiByte(936, 0, w, -1, a, sizeof a, nullptr, nullptr) : 0;
        fwrite(&m, 4, 1, out);
        fwrite(a, 1, static_cast<size_t>(m), out);
    }
    if (lines) fclose(lines);
    if (out) fclose(out);
    std::printf("ANSI code page %u\n", GetACP());
    return 0;
}
