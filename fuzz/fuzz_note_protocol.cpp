// The note service's link and reply readers under arbitrary links and
// replies (zero bytes, invalid UTF-8, markers cut short). The file id is raw
// bytes 8..42 up to the first zero byte; the title is cut from the converted
// reply, so it lies inside it.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz_fields.h"
#include "note/note_config.h"
#include "note/note_protocol.h"
#include "text/charset.h"

using namespace lj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 1);
    // A link: arbitrary, or the configured prefix followed by arbitrary text.
    text link = in.flag(0, 0) ? shareLinkPrefix() + in.field(0) : in.field(0);

    const text& prefix = shareLinkPrefix();
    LJ_FUZZ_CHECK(isShareLink(link) ==
                  (link.compare(0, prefix.size(), prefix) == 0 && link.size() >= prefix.size()));
    text key = shareKeyOf(link);
    LJ_FUZZ_CHECK(key == (link.size() <= 32 ? link : link.substr(link.size() - 32)));
    text api = noteApiUrlFor(key);
    LJ_FUZZ_CHECK(api.compare(0, noteServiceBase().size(), noteServiceBase()) == 0);
    text fileUrl = fileUrlFor(in.field(1), key);
    LJ_FUZZ_CHECK(fileUrl.size() >= key.size() &&
                  fileUrl.compare(fileUrl.size() - key.size(), key.size(), key) == 0);

    // The reply is the raw input after the control byte, zero bytes included.
    bytes reply(data + std::min<std::size_t>(size, 1), data + size);
    text id = fileIdOf(reply);
    text upToZero = bytesToText(reply);
    text want = upToZero.size() >= 8 ? upToZero.substr(7, 35) : text();
    LJ_FUZZ_CHECK(id == want);
    (void)isFileId(id);

    text title = noteTitleOf(reply);
    LJ_FUZZ_CHECK(title.find('\0') == text::npos);
    if (!title.empty()) {
        text converted = utf8ToAnsi(upToZero);
        LJ_FUZZ_CHECK(converted.find("tl\":\"" + title + "\"}") != text::npos);
    }
    return 0;
}
