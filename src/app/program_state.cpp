#include "app/program_state.h"

#include <utility>

namespace lj {

namespace {
ProgramState state;
bool released = false;
int releaseCount = 0;

// Assigning an empty value releases the memory held, not just the length.
template <typename T>
void release(T& slot) {
    T().swap(slot);
}
}  // namespace

ProgramState& programState() { return state; }

void beginProgramRun() {
    state = ProgramState{};
    released = false;
    releaseCount = 0;
}

void releaseProgramState() {
    if (released) return;
    released = true;
    release(state.updateFileName);
    release(state.visitorAddressText);
    release(state.shareKey);
    release(state.noteApiUrl);
    release(state.noteReply);
    release(state.fileName);
    release(state.fileId);
    release(state.directLink);
    ++releaseCount;
}

int programStateReleaseCount() { return releaseCount; }

}  // namespace lj
