// The exit routine releases every slot, and only once per run even when a
// host calls it again on its way out.
#include "app/program_state.h"

#include <gtest/gtest.h>

namespace lj {
namespace {

TEST(ProgramState, ReleaseRunsOncePerRun) {
    beginProgramRun();
    ProgramState& s = programState();
    s.updateFileName = "a";
    s.noteReply = {1, 0, 2};
    s.directLink = "b";
    releaseProgramState();
    releaseProgramState();
    EXPECT_EQ(programStateReleaseCount(), 1);
    EXPECT_TRUE(s.updateFileName.empty() && s.noteReply.empty() && s.directLink.empty());

    // A value written after the release stays: the second call did nothing.
    s.fileName = "late";
    releaseProgramState();
    EXPECT_EQ(s.fileName, "late");

    beginProgramRun();  // the next run starts empty and armed
    EXPECT_TRUE(s.fileName.empty());
    releaseProgramState();
    EXPECT_EQ(programStateReleaseCount(), 1);
}

}  // namespace
}  // namespace lj
