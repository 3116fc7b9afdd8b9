// Header and cookie helpers under arbitrary header text and cookie lists.
// A merged list has lost every space, holds no deleted cookie and no repeat,
// and is what the sent list is left holding.
#include <cstddef>
#include <cstdint>

#include "fuzz_fields.h"
#include "web/header_cookie.h"

using namespace lj;

namespace {

bool isAscii(const text& t) {
    for (unsigned char c : t)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 1);
    const text& a = in.field(0);
    const text& b = in.field(1);
    const text& sep = in.field(2);

    text value = headerValue(a);
    LJ_FUZZ_CHECK(value.size() < a.size() || value.empty());
    (void)cookieName(a);

    textList items = splitText(a, ";");
    (void)cookieListHasName(items, b);
    int at = findTextInList(items, b);
    LJ_FUZZ_CHECK(at == -1 || (at >= 1 && at <= listCount(items) && listItem(items, at) == b));

    text deduped = dedupeTextList(a, sep);
    LJ_FUZZ_CHECK(deduped.size() <= a.size() + sep.size());

    text sent = a, received = b;
    text merged = mergeCookies(sent, received);
    LJ_FUZZ_CHECK(sent == merged);
    LJ_FUZZ_CHECK(received == removeSpaces(b));
    if (isAscii(a) && isAscii(b)) {
        textList kept = splitText(merged, "; ");
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const text& item = kept[i];
            LJ_FUZZ_CHECK(item.find(' ') == text::npos);
            LJ_FUZZ_CHECK(item.size() < 8 || item.compare(item.size() - 8, 8, "=deleted") != 0);
            for (std::size_t j = 0; j < i; ++j) LJ_FUZZ_CHECK(kept[j] != item);
        }
    }
    return 0;
}
