// The program's compiled-in configuration (see cmake/Config.cmake); the note
// service's own lives in note/note_config.h. Texts are code page 936.
#pragma once

#include "text/text.h"

namespace lj {

// The name the version check compares with the update note's title.
const text& currentExecutableName();
// The public hit-counter page and IP-lookup page read at start-up.
const text& counterPageUrl();
const text& ipLookupUrl();
// The page the connectivity check opens (hosts pass it to isConnectedToInternet).
const text& checkPageUrl();
// The maker's feedback address (copied by DonateWindow) and contact number (shown there).
const text& feedbackEmail();
const text& authorContact();

}  // namespace lj
