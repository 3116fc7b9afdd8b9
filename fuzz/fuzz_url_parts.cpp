// URL decomposition under arbitrary texts: schemes in any case or misplaced,
// ports that are not numbers, user information, lone lead bytes. The path the
// request line gets always begins with "/" and is the URL's own tail.
#include <cstddef>
#include <cstdint>

#include "fuzz_fields.h"
#include "web/url_parts.h"

using namespace lj;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 2);
    const text& url = in.field(0);

    text host = urlHost(url);
    text hostWithPort = urlHost(url, false, true);
    (void)urlHost(url, in.flag(0, 0), in.flag(0, 1));
    (void)urlHost(url, in.flag(0, 2), in.flag(0, 3), in.smallInt(1));
    (void)urlPort(url);

    LJ_FUZZ_CHECK(hostWithPort.compare(0, host.size(), host) == 0);
    LJ_FUZZ_CHECK(host.size() <= url.size());

    text path = urlPath(url);
    LJ_FUZZ_CHECK(!path.empty() && path[0] == '/');
    LJ_FUZZ_CHECK(path == "/" || (path.size() <= url.size() &&
                                  url.compare(url.size() - path.size(), path.size(), path) == 0));
    return 0;
}
