// A thousand "获取" rounds in one run of the program: nothing may grow with
// the number of rounds. LeakSanitizer (the sanitize build) or valgrind finds
// what is never freed; the resident-set comparison here catches what is
// freed only at the end, such as handles or replies piling up in a list.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/program_texts.h"
#include "app/scripted_host.h"
#include "note/note_config.h"
#include "web/standin_client.h"

namespace lj {
namespace {

using namespace lj::testing;
namespace fs = std::filesystem;

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool underAddressSanitizer = true;  // its quarantine makes the resident set grow by design
#else
constexpr bool underAddressSanitizer = false;
#endif

TEST(LeakTest, ThousandFetchRoundsKeepMemoryFlat) {
    constexpr int rounds = 1000;
    lj::test::standinReset();
    const fs::path folder = fs::temp_directory_path() / ("lj-leak-" + std::to_string(getpid()));
    fs::create_directories(folder);

    ScriptedHost host(folder);
    long atRound100 = 0, atLastRound = 0;
    int windowsBefore100 = 0;
    Script user;
    for (int round = 1; round <= rounds; ++round) {
        // Alternate between two notes, so every round replaces the slots' values.
        const char* key = round % 2 ? "0123456789abcdef0123456789abcdef" : "fedcba9876543210fedcba9876543210";
        user.push_back(type("编辑框1", shareLinkPrefix() + key));
        user.push_back(click("按钮2"));
        if (round == 100)
            user.push_back([&](ScriptedHost& h) {
                atRound100 = residentKb();
                windowsBefore100 = h.timesOpened(WindowId::DirectLinkWindow);
            });
        host.whenOpened(WindowId::DirectLinkWindow, {});
    }
    user.push_back([&](ScriptedHost&) { atLastRound = residentKb(); });
    host.whenOpened(WindowId::MainWindow, user);

    EXPECT_EQ(host.run(), 0);
    EXPECT_TRUE(host.faults.empty()) << host.faults.front();
    EXPECT_TRUE(host.messageBoxes.empty());
    EXPECT_EQ(windowsBefore100, 100);
    EXPECT_EQ(host.timesOpened(WindowId::DirectLinkWindow), rounds);
    std::printf("resident set: %ld kB at round 100, %ld kB at round %d\n", atRound100, atLastRound, rounds);
    // 900 further rounds may not add more than a few pages of allocator slack.
    if (!underAddressSanitizer) {
        EXPECT_LT(atLastRound - atRound100, 4 * 1024);
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace lj
