// The one file-name check of writeBytesToFile, shared by every host.
//
// Files are named after note titles, which come from the network: only a
// bare name in the current folder is written.
#pragma once

#include "text/text.h"

namespace lj {

// False for "", "." and "..", for names holding "/", "\", ":" or a control
// character (below 0x20, or 0x7F), and for a two-byte character cut short at
// the end. With windowsRules also false for the reserved device names (CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension, any case), for
// the characters < > " | ? *, and for names ending in a dot or space.
// Scans by characters: a trail byte of a code page 936 character that happens
// to be 0x5C or 0x7C is part of that character, not a separator.
bool isBareFileName(const text& name, bool windowsRules);

}  // namespace lj
