// The eight slots through which the handlers hand values to one another.
// Only handlers on the GUI thread touch them.
#pragma once

#include "text/text.h"

namespace lj {

struct ProgramState {
    text updateFileName;      // the update note's title; the update's file name
    text visitorAddressText;  // the IP-lookup page, then the address line cut from it
    text shareKey;            // "获取": shareKeyOf the link
    text noteApiUrl;          // "获取": noteApiUrlFor shareKey
    bytes noteReply;          // "获取": the public-note reply as received
    text fileName;            // "获取": noteTitleOf noteReply
    text fileId;              // "获取": fileIdOf noteReply
    text directLink;          // "获取": fileUrlFor fileId and shareKey
};

ProgramState& programState();

// Empties every slot and arms releaseProgramState for a new run.
void beginProgramRun();

// The program's one exit routine: releases the slots in the order above.
// Runs once per run; a second call (a host ending twice) does nothing.
void releaseProgramState();

// How many times releaseProgramState has released the slots since the last
// beginProgramRun (0 or 1). For tests and hosts' diagnostics.
int programStateReleaseCount();

}  // namespace lj
