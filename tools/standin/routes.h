// The stand-in's normal behaviour: the note service's public-note interface
// and file downloads, the counter and IP-lookup pages, the connectivity
// check page and the echo route.
#pragma once

#include <string>

#include "control.h"
#include "notes.h"
#include "reply.h"
#include "wire.h"

namespace standin {

struct Context {
    Notes notes;
    std::string token;  // the cstk value the public-note interface accepts
    State state;
};

inline constexpr const char* kNotePrefix = "/yws/public/note/";
inline constexpr const char* kFilePrefix = "/yws/api/personal/file/";

// {"pp":"<fileId>","tl":"<title>"}: the file id at bytes 8..42, the title verbatim.
std::string noteReplyBody(const std::string& fileId, const std::string& title);

// File id used in a note reply for a key the notes don't know.
inline constexpr const char* kUnknownFileId = "WEB00000000000000000000000000000000";

Reply normalReply(const Request& req, const Context& ctx);

// False for paths only the catch-all 404 answers.
bool hasNormalRoute(const std::string& path);

}  // namespace standin
