// The note service's compiled-in configuration (see cmake/Config.cmake).
#pragma once

#include "text/text.h"

namespace lj {

// "http://" and the service's host, no trailing slash.
const text& noteServiceBase();
// The cstk value of every public-note URL.
const text& noteApiToken();
// What every accepted share link begins with: noteServiceBase() + "/noteshare?id=".
const text& shareLinkPrefix();

// The update note, whose title names the newest executable, and that executable.
const text& updateNoteKey();
const text& updateFileId();
// The note that names the menu's fixed download, and that file.
const text& shortLinkNoteKey();
const text& shortLinkFileId();
// The tutorial file.
const text& tutorialShareKey();
const text& tutorialFileId();

}  // namespace lj
