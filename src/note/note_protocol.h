// The note service's link, URL and reply formats, as pure operations.
//
// Links, keys and ids are ASCII; every position counts bytes. Nothing here
// does I/O or fails: a reply of the wrong shape gives short or empty values.
#pragma once

#include "text/text.h"

namespace lj {

// The link begins with shareLinkPrefix(), byte for byte; nothing is trimmed
// and nothing after the prefix is looked at.
bool isShareLink(const text& link);
// The last 32 bytes of the link (all of it when shorter); nothing is checked.
text shareKeyOf(const text& link);
// The public-note interface URL for a share key.
text noteApiUrlFor(const text& shareKey);
// The direct download URL of a shared file; nothing is escaped.
text fileUrlFor(const text& fileId, const text& shareKey);
// The note's title in code page 936, cut from the UTF-8 reply between the
// first `tl":"` and the next `"}`; "" when not found. Escapes stay as sent.
text noteTitleOf(const bytes& reply);
// Bytes 8 to 42 (1-based) of the raw reply, fewer when it ends earlier. A zero
// byte ends the reply for this reading.
text fileIdOf(const bytes& reply);

// A file id of the service's form: "WEB" and 32 hexadecimal digits. The
// program uses it to tell a failed lookup from a real one.
bool isFileId(const text& fileId);

}  // namespace lj
