#include "note/note_protocol.h"
#include "text/text.h"
#include "ui/handlers.h"
#include "web/http_request.h"

namespace lj {

NoteLookup fetchNote(Host& host, const text& noteApiUrl) {
    // The request may run on the host's worker thread: it fills a local only.
    bytes reply;
    host.waitForNetwork([&reply, &noteApiUrl] { reply = httpRequest(noteApiUrl, 0); });
    NoteLookup lookup;
    lookup.title = noteTitleOf(reply);
    lookup.reply = std::move(reply);
    return lookup;
}

}  // namespace lj
