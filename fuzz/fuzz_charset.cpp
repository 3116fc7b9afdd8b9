// The UTF-8 to code page 936 conversion under arbitrary bytes: invalid and
// overlong sequences, lone surrogates, characters 936 lacks. The one-call
// route must equal the two-step route it is defined as, never hand back a
// zero byte, and its output must survive the way back and forth unchanged.
#include <cstddef>
#include <cstdint>

#include "fuzz_fields.h"
#include "text/charset.h"

using namespace lj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 1);
    const text& t = in.field(0);

    text ansi = utf8ToAnsi(t);
    bytes wide = multiByteToWide(t);
    LJ_FUZZ_CHECK(ansi == wideToMultiByte(wide, codePageGbk));
    LJ_FUZZ_CHECK(ansi.find('\0') == text::npos);
    if (t.empty()) {
        LJ_FUZZ_CHECK(wide.empty() && ansi.empty());
    } else {
        // UTF-16 units and one zero unit.
        LJ_FUZZ_CHECK(wide.size() >= 4 && wide.size() % 2 == 0);
        LJ_FUZZ_CHECK(wide[wide.size() - 1] == 0 && wide[wide.size() - 2] == 0);
    }

    // What the conversion produced is plain 936 text: back to UTF-8 and
    // forward again gives the same bytes.
    std::string utf8 = ansiToUtf8(ansi);
    LJ_FUZZ_CHECK(utf8.find('\0') == std::string::npos);
    LJ_FUZZ_CHECK(utf8ToAnsi(utf8) == ansi);

    // The same text read as 936 and written out again, through both code pages.
    bytes fromGbk = multiByteToWide(t, codePageGbk);
    LJ_FUZZ_CHECK(fromGbk.size() % 2 == 0);
    text back = wideToMultiByte(fromGbk, codePageGbk);
    LJ_FUZZ_CHECK(back.find('\0') == text::npos);
    (void)wideToMultiByte(fromGbk, codePageUtf8);
    (void)wideToMultiByte(fromGbk);

    // An arbitrary UTF-16 buffer (unpaired surrogates and all), zero-terminated
    // and of even length as the routines expect.
    if (in.flag(0, 0)) {
        bytes w(t.begin(), t.end());
        if (w.size() % 2) w.push_back(0x20);
        w.push_back(0);
        w.push_back(0);
        text out = wideToMultiByte(w, codePageGbk);
        LJ_FUZZ_CHECK(out.find('\0') == text::npos);
        (void)wideToMultiByte(w, codePageUtf8);
    }
    return 0;
}
