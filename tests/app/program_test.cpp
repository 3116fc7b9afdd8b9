// The whole program, start to end, against the scripted host and the
// stand-in note service over loopback. The stand-in's fault modes stand in
// for a broken network or service.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>

#include "app/program_config.h"
#include "app/program_state.h"
#include "app/program_texts.h"
#include "app/scripted_host.h"
#include "lj_config.h"
#include "note/note_config.h"
#include "note/note_protocol.h"
#include "text/charset.h"
#include "web/standin_client.h"

namespace lj {
namespace {

using namespace lj::testing;
using lj::test::Settings;
using lj::test::standinCount;
using lj::test::standinOverride;
using lj::test::standinReset;
namespace fs = std::filesystem;

constexpr WindowId mainW = WindowId::MainWindow;
constexpr WindowId linkW = WindowId::DirectLinkWindow;
constexpr WindowId promptW = WindowId::UpdatePromptWindow;
constexpr WindowId donateW = WindowId::DonateWindow;

text ansi(const char* utf8) { return utf8ToAnsi(utf8); }
std::string noteRoute(const std::string& key) { return "/yws/public/note/" + key; }
std::string fileRoute(const std::string& id) { return "/yws/api/personal/file/" + id; }

// A note shipped with the stand-in (tools/standin/notes/notes.tsv).
struct SampleNote {
    std::string key, fileId, titleUtf8;
    bytes file;
};

bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

SampleNote sampleNote(const std::string& key) {
    const fs::path tsv = LJ_STANDIN_NOTES_TSV;
    std::ifstream in(tsv);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        SampleNote note;
        std::string file;
        std::getline(fields, note.key, '\t');
        std::getline(fields, note.fileId, '\t');
        std::getline(fields, note.titleUtf8, '\t');
        std::getline(fields, file, '\t');
        if (note.key != key) continue;
        note.file = readFile(tsv.parent_path() / file);
        return note;
    }
    ADD_FAILURE() << "no sample note " << key;
    return {};
}

const std::string userKey = "0123456789abcdef0123456789abcdef";
text linkFor(const std::string& key) { return shareLinkPrefix() + key; }

void writeFile(const fs::path& path, std::string_view content) {
    std::ofstream(path, std::ios::binary) << content;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        std::random_device random;
        folder = fs::temp_directory_path() / ("lj-program-test-" + std::to_string(random()));
        fs::create_directories(folder);
        host = std::make_unique<ScriptedHost>(folder);
    }

    void TearDown() override {
        standinReset();
        fs::remove_all(folder);
    }

    // A new run in an emptied folder, with the stand-in back to normal.
    void freshRun() {
        standinReset();
        fs::remove_all(folder);
        fs::create_directories(folder);
        host = std::make_unique<ScriptedHost>(folder);
    }

    // Every run: exit code 0, the exit routine once, the slots released, no
    // fault the host noticed and the whole script played.
    void expectOrderlyEnd(int code) {
        EXPECT_EQ(code, 0);
        EXPECT_EQ(host->exitRoutineCalls, 1);
        EXPECT_EQ(programStateReleaseCount(), 1);
        const ProgramState& s = programState();
        EXPECT_TRUE(s.updateFileName.empty() && s.visitorAddressText.empty() && s.shareKey.empty() &&
                    s.noteApiUrl.empty() && s.noteReply.empty() && s.fileName.empty() && s.fileId.empty() &&
                    s.directLink.empty());
        EXPECT_EQ(host->faults, std::vector<std::string>{});
        EXPECT_EQ(host->scriptsLeft(), 0);
    }

    void expectBox(std::size_t index, std::string_view message, int style, std::string_view title,
                   std::optional<WindowId> owner) {
        ASSERT_LT(index, host->messageBoxes.size());
        const ShownMessageBox& box = host->messageBoxes[index];
        EXPECT_EQ(box.message, text(message)) << ansiToUtf8(box.message);
        EXPECT_EQ(box.style, style);
        EXPECT_EQ(box.title, text(title));
        EXPECT_EQ(box.owner, owner);
    }

    std::vector<fs::path> filesInFolder() const {
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
        return names;
    }

    fs::path folder;
    std::unique_ptr<ScriptedHost> host;
};

// ---- Start-up --------------------------------------------------------------

TEST_F(ProgramTest, StartsWithProbesInOrderAndEndsWhenMainWindowCloses) {
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->indexOf("initialiseHost"), 0);
    EXPECT_LT(host->indexOf("open MainWindow"), host->indexOf("show MainWindow"));
    EXPECT_LT(host->indexOf("close MainWindow"), host->indexOf("return"));
    EXPECT_EQ(host->timesOpened(promptW), 0);  // the shipped update note names this very version
    EXPECT_TRUE(host->messageBoxes.empty());
    EXPECT_EQ(host->controlText(mainW, "标签3"), ansi("使用总次数：123456 今日使用次数：789"));
    EXPECT_EQ(host->controlText(mainW, "标签2"), ansi("您的IP是：[127.0.0.1] 来自：本机局域网"));
    // Connectivity, version, counters, address: every request waited through the host.
    EXPECT_EQ(host->networkWaits, 4);
    EXPECT_EQ(standinCount("/generate_204"), 1);
    EXPECT_EQ(standinCount(noteRoute(updateNoteKey())), 1);
    EXPECT_EQ(standinCount("/count1/count.asp"), 1);
    EXPECT_EQ(standinCount("/ic.asp"), 1);
}

TEST_F(ProgramTest, OfflineWarnsBeforeAnyWindowShowsAndEnds) {
    standinOverride("/generate_204", {{"mode", "close"}});
    const int code = host->run();
    expectOrderlyEnd(code);
    ASSERT_EQ(host->messageBoxes.size(), 1u);
    expectBox(0, texts::offlineWarningText, mbIconExclamation, texts::offlineWarningTitle, mainW);
    EXPECT_EQ(host->indexOf("show MainWindow"), -1);
    EXPECT_EQ(host->indexOf("return"), -1);
    EXPECT_LT(host->indexOf("box " + ansiToUtf8(text(texts::offlineWarningText))), host->indexOf("exit 0"));
    EXPECT_EQ(standinCount(noteRoute(updateNoteKey())), 0);
    EXPECT_EQ(standinCount("/count1/count.asp"), 0);
}

TEST_F(ProgramTest, VersionCheckOffersOnlyADifferentTitle) {
    const struct {
        const char* what;
        Settings updateNote;
        bool prompt;
    } cases[] = {
        {"same title", {}, false},
        {"newer title", {{"title", "蓝鲸速取小助手v1.4.exe"}}, true},
        {"letter case differs", {{"title", "蓝鲸速取小助手V1.3.EXE"}}, true},
        // A failed check is not a new version.
        {"service error", {{"status", "404"}, {"body", ""}}, false},
        {"connection dropped", {{"mode", "close"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRun();
        if (!c.updateNote.empty()) standinOverride(noteRoute(updateNoteKey()), c.updateNote);
        int countersBeforePrompt = -1;
        if (c.prompt)
            host->whenOpened(
                promptW, {[&](ScriptedHost&) { countersBeforePrompt = standinCount("/count1/count.asp"); },
                          pressEsc()});
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_EQ(host->timesOpened(promptW), c.prompt ? 1 : 0);
        // Esc on the prompt skips the update and start-up goes on.
        EXPECT_GE(host->indexOf("show MainWindow"), 0);
        EXPECT_EQ(host->controlText(mainW, "标签3"), ansi("使用总次数：123456 今日使用次数：789"));
        if (c.prompt) EXPECT_EQ(countersBeforePrompt, 0);  // the counters come after the version check
        EXPECT_TRUE(filesInFolder().empty());
        EXPECT_EQ(standinCount(fileRoute(updateFileId())), 0);
    }
}

TEST_F(ProgramTest, UpdatePromptNoEndsTheProgramFromTheModalWindow) {
    standinOverride(noteRoute(updateNoteKey()), {{"title", "蓝鲸速取小助手v1.4.exe"}});
    host->whenOpened(promptW, {click("按钮2")});
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->indexOf("show MainWindow"), -1);
    EXPECT_GE(host->indexOf("exit 0"), 0);
    EXPECT_TRUE(filesInFolder().empty());
    EXPECT_EQ(standinCount(fileRoute(updateFileId())), 0);
}

TEST_F(ProgramTest, UpdatePromptYesWritesTheNewExecutableAndEnds) {
    const SampleNote update = sampleNote(updateNoteKey());
    standinOverride(noteRoute(updateNoteKey()), {{"title", "蓝鲸速取小助手v1.4.exe"}});
    host->whenOpened(promptW, {click("按钮1")});
    const int code = host->run();
    expectOrderlyEnd(code);
    const text name = ansi("蓝鲸速取小助手v1.4.exe");
    EXPECT_EQ(host->filesWritten, std::vector<text>{name});
    EXPECT_EQ(readFile(host->pathOf(name)), update.file);
    EXPECT_EQ(filesInFolder().size(), 1u);  // no temporary left behind
    ASSERT_EQ(host->messageBoxes.size(), 1u);
    expectBox(0, texts::updateDoneText, mbOk, "", std::nullopt);
    EXPECT_EQ(host->indexOf("show MainWindow"), -1);
}

TEST_F(ProgramTest, UpdateThatDoesNotArriveWholeWritesNothingAndSaysSo) {
    const struct {
        const char* what;
        Settings updateFile;
    } cases[] = {
        {"server error page", {{"status", "500"}, {"body", "oops"}}},
        {"cut short", {{"mode", "cut"}, {"after", "10"}}},
        {"connection dropped", {{"mode", "close"}}},
    };
    const text name = ansi("蓝鲸速取小助手v1.4.exe");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRun();
        writeFile(host->pathOf(name), "old version");
        standinOverride(noteRoute(updateNoteKey()), {{"title", "蓝鲸速取小助手v1.4.exe"}});
        standinOverride(fileRoute(updateFileId()), c.updateFile);
        host->whenOpened(promptW, {click("按钮1")});
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_TRUE(host->filesWritten.empty());
        const bytes old = readFile(host->pathOf(name));
        EXPECT_EQ(std::string(old.begin(), old.end()), "old version");
        EXPECT_EQ(filesInFolder().size(), 1u);
        ASSERT_EQ(host->messageBoxes.size(), 1u);
        expectBox(0, texts::updateFailedText, mbIconExclamation, "", std::nullopt);
    }
}

TEST_F(ProgramTest, UpdateTitleThatIsNoBareNameWritesNothing) {
    for (const char* title : {"../蓝鲸速取小助手v1.4.exe", "sub/x.exe", "C:x.exe", "CON.exe"}) {
        SCOPED_TRACE(title);
        freshRun();
        standinOverride(noteRoute(updateNoteKey()), {{"title", title}});
        host->whenOpened(promptW, {click("按钮1")});
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_TRUE(host->filesWritten.empty());
        EXPECT_TRUE(filesInFolder().empty());
        EXPECT_FALSE(fs::exists(folder.parent_path() / "蓝鲸速取小助手v1.4.exe"));
        ASSERT_EQ(host->messageBoxes.size(), 1u);
        expectBox(0, texts::updateFailedText, mbIconExclamation, "", std::nullopt);
    }
}

TEST_F(ProgramTest, CountersAreCutIndependentlyAndAddressLineFromItsMarkers) {
    const struct {
        const char* what;
        Settings counterPage, addressPage;
        const char* counters;
        const char* address;
    } cases[] = {
        {"markers in the other order",
         {{"body", utf8ToAnsi("x今天访问：7&#160;y;累计访问：99&#160;")}},
         {{"body", "<center>line</center>"}},
         "使用总次数：99 今日使用次数：7",
         "line"},
        {"only the total",
         {{"body", utf8ToAnsi(";累计访问：5&#")}},
         {{"body", "r></c"}},
         "使用总次数：5 今日使用次数：",
         ""},
        {"pages failed",
         {{"status", "500"}, {"body", ""}},
         {{"mode", "close"}},
         "使用总次数： 今日使用次数：",
         ""},
        {"no markers",
         {{"body", "nothing here"}},
         {{"body", "<center>no end"}},
         "使用总次数： 今日使用次数：",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRun();
        standinOverride("/count1/count.asp", c.counterPage);
        standinOverride("/ic.asp", c.addressPage);
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_EQ(host->controlText(mainW, "标签3"), ansi(c.counters));
        EXPECT_EQ(host->controlText(mainW, "标签2"), ansi(c.address));
    }
}

TEST_F(ProgramTest, EscInMainWindowEndsTheProgram) {
    host->whenOpened(mainW, {pressEsc(), click("按钮2")});  // nothing after Esc reaches the gone window
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_LT(host->indexOf("close MainWindow"), host->indexOf("return"));
    EXPECT_TRUE(host->messageBoxes.empty());
}

// ---- "获取" and DirectLinkWindow ----------------------------------------------

TEST_F(ProgramTest, FetchShowsLinkAndNameAndCopiesWhatTheBoxesHold) {
    const SampleNote note = sampleNote(userKey);
    const text expectedLink = fileUrlFor(note.fileId, userKey);
    const text edited = ansi("改过的名字.txt");
    host->whenOpened(mainW, {type("编辑框1", linkFor(userKey)), click("按钮2"),
                             [](ScriptedHost& h) { EXPECT_TRUE(h.isOpen(mainW)); }});
    host->whenOpened(linkW, {
                                [&](ScriptedHost& h) {
                                    EXPECT_EQ(h.readControlText(linkW, "编辑框1"), expectedLink);
                                    EXPECT_EQ(h.readControlText(linkW, "编辑框2"),
                                              utf8ToAnsi(note.titleUtf8));
                                },
                                click("按钮1"),
                                [&](ScriptedHost& h) { EXPECT_EQ(h.clipboard, expectedLink); },
                                type("编辑框2", edited),
                                click("按钮2"),
                                [&](ScriptedHost& h) { EXPECT_EQ(h.clipboard, edited); },
                                pressEsc(),
                            });
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->timesOpened(linkW), 1);
    EXPECT_TRUE(host->messageBoxes.empty());
    EXPECT_EQ(standinCount(noteRoute(userKey)), 1);
    EXPECT_EQ(host->networkWaits, 5);
}

TEST_F(ProgramTest, RejectedLinkChangesOnlyKeyAndApiUrl) {
    const text good = linkFor(userKey);
    text https = good;
    https.insert(4, "s");
    ProgramState accepted;
    std::vector<Action> steps{type("编辑框1", good), click("按钮2"),
                              [&](ScriptedHost&) { accepted = programState(); }};
    for (const text& bad : {text(), https, " " + good, text("hello")}) {
        steps.push_back(type("编辑框1", bad));
        steps.push_back(click("按钮2"));
        steps.push_back([&accepted, bad](ScriptedHost& h) {
            SCOPED_TRACE(bad);
            const ProgramState& s = programState();
            EXPECT_EQ(s.shareKey, shareKeyOf(bad));
            EXPECT_EQ(s.noteApiUrl, noteApiUrlFor(shareKeyOf(bad)));
            EXPECT_EQ(s.noteReply, accepted.noteReply);
            EXPECT_EQ(s.fileName, accepted.fileName);
            EXPECT_EQ(s.fileId, accepted.fileId);
            EXPECT_EQ(s.directLink, accepted.directLink);
            ASSERT_FALSE(h.messageBoxes.empty());
            const ShownMessageBox& box = h.messageBoxes.back();
            EXPECT_EQ(box.message, text(texts::badLinkText));
            EXPECT_EQ(box.style, mbIconExclamation);
            EXPECT_EQ(box.title, text(texts::promptTitle));
            EXPECT_EQ(box.owner, mainW);
        });
    }
    host->whenOpened(mainW, steps);
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_FALSE(accepted.directLink.empty());
    EXPECT_EQ(host->timesOpened(linkW), 1);
    EXPECT_EQ(host->messageBoxes.size(), 4u);
    EXPECT_EQ(standinCount(noteRoute(userKey)), 1);  // no request for a rejected link
}

TEST_F(ProgramTest, FailedFetchSaysSoAndOpensNoWindow) {
    const struct {
        const char* what;
        text link;
        Settings noteRouteSettings;
        std::string reply;  // what the stand-in sends back
    } cases[] = {
        // A link with a trailing space passes the check; its key then names no note.
        {"unknown key (trailing space)", linkFor(userKey) + " ", {}, R"({"error":"note not found"})"},
        {"connection dropped", linkFor(userKey), {{"mode", "close"}}, ""},
        {"reply without a file id",
         linkFor(userKey),
         {{"body", R"({"pp":"nope","tl":"x"})"}},
         R"({"pp":"nope","tl":"x"})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRun();
        if (!c.noteRouteSettings.empty()) standinOverride(noteRoute(userKey), c.noteRouteSettings);
        const text key = shareKeyOf(c.link);
        host->whenOpened(mainW, {type("编辑框1", c.link), click("按钮2"), [&](ScriptedHost&) {
                                     // The steps before the check still assign their slots.
                                     const ProgramState& s = programState();
                                     EXPECT_EQ(s.shareKey, key);
                                     EXPECT_EQ(std::string(s.noteReply.begin(), s.noteReply.end()), c.reply);
                                     EXPECT_EQ(s.fileName, noteTitleOf(s.noteReply));
                                     EXPECT_EQ(s.directLink, fileUrlFor(fileIdOf(s.noteReply), key));
                                 }});
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_EQ(host->timesOpened(linkW), 0);
        ASSERT_EQ(host->messageBoxes.size(), 1u);
        expectBox(0, texts::fetchFailedText, mbIconExclamation, texts::promptTitle, mainW);
    }
}

TEST_F(ProgramTest, PasteReplacesTheWholeBox) {
    const struct { text clipboard; } cases[] = {{"abc"}, {""}, {linkFor(userKey)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clipboard);
        freshRun();
        host->clipboard = c.clipboard;
        host->whenOpened(mainW, {type("编辑框1", "typed before"), click("按钮1"), [&](ScriptedHost& h) {
                                     EXPECT_EQ(h.readControlText(mainW, "编辑框1"), c.clipboard);
                                 }});
        expectOrderlyEnd(host->run());
    }
}

// ---- Menu "关于" -----------------------------------------------------------------

TEST_F(ProgramTest, AboutAuthorOpensAFreshDonateWindowEachTime) {
    const text caption = text(texts::authorContactPrefix) + LJ_AUTHOR_CONTACT;
    host->whenOpened(mainW, {chooseMenuItem(0), chooseMenuItem(0)});
    host->whenOpened(donateW,
                     {[&](ScriptedHost& h) { EXPECT_EQ(h.readControlText(donateW, "标签1"), caption); },
                      click("按钮1"), closeBox()});
    host->whenOpened(donateW, {[](ScriptedHost& h) { h.clipboardRefuses = true; }, click("按钮1")});
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->timesOpened(donateW), 2);
    EXPECT_EQ(host->clipboard, text(LJ_FEEDBACK_EMAIL));
    ASSERT_EQ(host->messageBoxes.size(), 2u);
    expectBox(0, texts::addressCopiedText, mbOk, texts::addressCopiedTitle, std::nullopt);
    // The clipboard refused: the program says so instead of claiming the copy.
    expectBox(1, texts::copyFailedText, mbIconExclamation, texts::addressCopiedTitle, std::nullopt);
}

TEST_F(ProgramTest, ShortLinkDownloadReplacesTheFileNamedAfterTheNote) {
    const SampleNote note = sampleNote(shortLinkNoteKey());
    const text name = utf8ToAnsi(note.titleUtf8);
    writeFile(host->pathOf(name), "an older copy");
    host->whenOpened(mainW, {chooseMenuItem(1)});
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->filesWritten, std::vector<text>{name});
    EXPECT_EQ(readFile(host->pathOf(name)), note.file);
    EXPECT_EQ(filesInFolder().size(), 1u);
    ASSERT_EQ(host->messageBoxes.size(), 1u);
    expectBox(0, texts::downloadDoneText, mbOk, "", std::nullopt);
}

TEST_F(ProgramTest, ShortLinkDownloadThatFailsWritesNothingAndSaysSo) {
    const SampleNote note = sampleNote(shortLinkNoteKey());
    const text name = utf8ToAnsi(note.titleUtf8);
    const struct {
        const char* what;
        std::string route;
        Settings settings;
    } cases[] = {
        {"note lookup failed: no name", noteRoute(shortLinkNoteKey()), {{"mode", "close"}}},
        {"file missing", fileRoute(shortLinkFileId()), {{"status", "404"}, {"body", "not found"}}},
        {"file cut short", fileRoute(shortLinkFileId()), {{"mode", "cut"}, {"after", "3"}}},
        {"title names another folder", noteRoute(shortLinkNoteKey()), {{"title", "../escape.txt"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshRun();
        writeFile(host->pathOf(name), "an older copy");
        standinOverride(c.route, c.settings);
        host->whenOpened(mainW, {chooseMenuItem(1)});
        const int code = host->run();
        expectOrderlyEnd(code);
        EXPECT_TRUE(host->filesWritten.empty());
        const bytes kept = readFile(host->pathOf(name));
        EXPECT_EQ(std::string(kept.begin(), kept.end()), "an older copy");
        EXPECT_EQ(filesInFolder().size(), 1u);
        EXPECT_FALSE(fs::exists(folder.parent_path() / "escape.txt"));
        ASSERT_EQ(host->messageBoxes.size(), 1u);
        expectBox(0, texts::downloadFailedText, mbIconExclamation, "", std::nullopt);
    }
}

TEST_F(ProgramTest, TutorialOpensTheFileLinkInTheBrowser) {
    host->whenOpened(mainW, {chooseMenuItem(2)});
    const int code = host->run();
    expectOrderlyEnd(code);
    EXPECT_EQ(host->urlsOpened,
              std::vector<text>{std::string(LJ_NOTE_SERVICE_BASE) + "/yws/api/personal/file/" +
                                LJ_TUTORIAL_FILE_ID +
                                "?method=download&inline=true&shareKey=" + LJ_TUTORIAL_SHARE_KEY});
    EXPECT_TRUE(host->messageBoxes.empty());
}

}  // namespace
}  // namespace lj
