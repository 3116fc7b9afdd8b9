// The one check between a note's title and the file system. Whatever bytes a
// title holds, a name the check lets through must stay one plain name once
// the host turns it into a path: no separator, not "." or "..". With the
// Windows rules, no backslash, colon or reserved device name either.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/file_names.h"
#include "fuzz_fields.h"
#include "text/charset.h"

using namespace lj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 1);
    // Either raw code page 936 bytes or a UTF-8 title as the note service sends it.
    const text name = in.flag(0, 0) ? utf8ToAnsi(in.field(0)) : in.field(0);
    const bool windowsRules = in.flag(0, 1);
    if (!isBareFileName(name, windowsRules)) return 0;

    const std::string path = ansiToUtf8(name);
    LJ_FUZZ_CHECK(!path.empty() && path != "." && path != "..");
    LJ_FUZZ_CHECK(path.find('/') == std::string::npos);
    LJ_FUZZ_CHECK(path.find('\0') == std::string::npos);
    if (windowsRules) {
        LJ_FUZZ_CHECK(path.find('\\') == std::string::npos);
        LJ_FUZZ_CHECK(path.find(':') == std::string::npos);
        LJ_FUZZ_CHECK(path.back() != '.' && path.back() != ' ');
    }
    return 0;
}
