// The bare-name check in front of writeBytesToFile: note titles come from the
// network and must not reach another folder or a device.
#include "app/file_names.h"

#include <gtest/gtest.h>

namespace lj {
namespace {

TEST(FileNames, BareNames) {
    const struct {
        text name;
        bool posix, windows;
    } cases[] = {
        {"report.txt", true, true},
        {"\xBB\xE1\xD2\xE9\xBC\xCD\xD2\xAA 2026.txt", true, true},  // 会议纪要 2026.txt
        // Trail bytes 0x5C and 0x7C belong to their two-byte characters.
        {"\x95\x5C.txt", true, true},  // a character whose trail byte is "\"
        {"\x81\x7C.txt", true, true},  // a character whose trail byte is "|"
        {"", false, false},
        {".", false, false},
        {"..", false, false},
        {"...", true, false},
        {"../up.txt", false, false},
        {"a/b.txt", false, false},
        {"a\\b.txt", false, false},
        {"C:evil.txt", false, false},
        {"name:stream", false, false},
        {"tab\there", false, false},
        {"line\nbreak", false, false},
        {"del\x7F", false, false},
        {"\xBB", false, false},  // a lead byte cut short
        {"ends.", true, false},
        {"ends ", true, false},
        {"CON", true, false},
        {"con.txt", true, false},
        {"Nul .txt", true, false},
        {"aux.tar.gz", true, false},
        {"COM1", true, false},
        {"lpt9.log", true, false},
        {"COM0", true, true},
        {"COM10", true, true},
        {"CONSOLE.txt", true, true},
        {"prn1", true, true},
        {"what?.txt", true, false},
        {"a*b", true, false},
        {"a<b>c", true, false},
        {"say\"hi\"", true, false},
        {"pipe|name", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isBareFileName(c.name, false), c.posix) << c.name;
        EXPECT_EQ(isBareFileName(c.name, true), c.windows) << c.name;
    }
}

}  // namespace
}  // namespace lj
