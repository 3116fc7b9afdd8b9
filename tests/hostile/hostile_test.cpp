// The whole program against a hostile note service: every road that reaches
// the network ("获取", the start-up probes, the update, the fixed download)
// meets refused and unresolvable hosts, silent and stalling servers, bodies
// cut short, error statuses, oversized header blocks and bodies, redirect
// loops, broken encodings and file names that try to leave the folder.
//
// Whatever comes back, the program must not crash or hang past the
// time-outs, must write nothing outside the executable's folder, must never
// replace an existing file with an error page or a partial body, and must
// tell the user what it decided.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/program_config.h"
#include "app/program_texts.h"
#include "app/scripted_host.h"
#include "lj_config.h"
#include "note/note_config.h"
#include "text/charset.h"
#include "web/http_get.h"
#include "web/standin_client.h"
#include "web/url_parts.h"

namespace lj {
namespace {

using namespace lj::testing;
using lj::test::Settings;
using lj::test::standinOverride;
using lj::test::standinReset;
using lj::test::standinUrl;
namespace fs = std::filesystem;

constexpr WindowId mainW = WindowId::MainWindow;
constexpr WindowId linkW = WindowId::DirectLinkWindow;
constexpr WindowId promptW = WindowId::UpdatePromptWindow;

const std::string userKey = "0123456789abcdef0123456789abcdef";
const char* userTitle = "会议纪要 2026.txt";
const char* newerExecutable = "蓝鲸速取小助手v1.4.exe";
const char* shortLinkTitle = "安全短网址生成器.txt";

std::string noteRoute(const std::string& key) { return "/yws/public/note/" + key; }
std::string fileRoute(const std::string& id) { return "/yws/api/personal/file/" + id; }
// The route of a configured page: its path without the query.
std::string pageRoute(const text& url) {
    const text path = urlPath(url);
    return path.substr(0, path.find('?'));
}

// Faults that end in no usable answer, by the road they take.
const Settings refused{{"mode", "redirect"}, {"to", "http://127.0.0.1:1/"}};
const Settings unresolvable{{"mode", "redirect"}, {"to", "http://nowhere.invalid/x"}};
const Settings cutShort{{"mode", "cut"}, {"after", "20"}};
const Settings dropped{{"mode", "close"}};
const Settings notFound{{"status", "404"}, {"body", "{\"error\":\"note not found\"}"}};
const Settings serverError{{"status", "500"}, {"body", "<html>Internal Server Error</html>"}};
const Settings redirectLoop{{"mode", "redirectloop"}};
const Settings noStatusLine{{"mode", "garbage"}, {"body", "this is no HTTP at all\r\n\r\n"}};
const Settings headers6k{{"mode", "bigheaders"}, {"size", "6000"}};
const Settings headers1M{{"mode", "bigheaders"}, {"size", "1100000"}};
const Settings stalled{{"mode", "stall"}, {"after", "20"}, {"ms", "1500"}};
const Settings chunked{{"mode", "chunked"}, {"after", "7"}};
// Costs the whole receive time-out (about 30 s): used once per road that writes files.
const Settings silent{{"mode", "silent"}};

std::string utf8Of(const text& t) { return ansiToUtf8(t); }

bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// A sandbox folder holding the executable's folder "exe", so a write that
// escapes it (through "..", a separator or an absolute name) shows up beside it.
class HostileTest : public ::testing::Test {
protected:
    void SetUp() override {
        standinReset();
        static int serial = 0;
        sandbox_ = fs::temp_directory_path() /
                   ("lj-hostile-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
        fs::remove_all(sandbox_);
        fs::create_directories(exeFolder());
        cwdBefore_ = listing(fs::current_path());
        host_ = std::make_unique<ScriptedHost>(exeFolder());
    }

    void TearDown() override {
        if (!::testing::Test::HasFailure()) fs::remove_all(sandbox_);
        standinReset();
    }

    fs::path exeFolder() const { return sandbox_ / "exe"; }
    ScriptedHost& host() { return *host_; }

    // A fresh program run for the next row of a table.
    void restart() {
        TearDown();
        SetUp();
    }

    // What every run must leave behind, whatever the server did.
    void expectNoDamage(const std::string& scenario) {
        EXPECT_TRUE(host().faults.empty())
            << scenario << ": " << (host().faults.empty() ? "" : host().faults[0]);
        EXPECT_EQ(listing(sandbox_), std::set<std::string>{"exe"})
            << scenario << ": a file escaped the folder";
        EXPECT_EQ(listing(fs::current_path()), cwdBefore_)
            << scenario << ": a file landed in the working directory";
        for (const auto& name : listing(exeFolder())) {
            EXPECT_EQ(name.find(".lj-write-"), std::string::npos)
                << scenario << ": temporary file left: " << name;
        }
        EXPECT_EQ(host().exitCode, 0) << scenario;
    }

    std::vector<std::string> boxTexts() {
        std::vector<std::string> out;
        for (const auto& box : host().messageBoxes) out.push_back(utf8Of(box.message));
        return out;
    }

    fs::path sandbox_;
    std::set<std::string> cwdBefore_;
    std::unique_ptr<ScriptedHost> host_;
};

// ---- "获取" ----------------------------------------------------------------

struct FetchCase {
    const char* scenario;
    Settings noteReply;
    // Empty: the lookup fails and says so; otherwise the file name shown.
    std::string shownName;
};

TEST_F(HostileTest, FetchSaysItFailedOrShowsWhatCameBack) {
    const FetchCase cases[] = {
        {"refused connection", refused, ""},
        {"unresolvable host", unresolvable, ""},
        {"connection dropped before any answer", dropped, ""},
        {"silent server", silent, ""},
        {"body cut short", cutShort, ""},
        {"404 with body", notFound, ""},
        {"500 with body", serverError, ""},
        {"redirect loop", redirectLoop, ""},
        {"no status line", noStatusLine, ""},
        {"body stalls midway, then arrives", stalled, userTitle},
        {"chunked body", chunked, userTitle},
        {"header block over 5000 bytes", headers6k, userTitle},
        {"header block over 1 MB", headers1M, ""},
        {"reply that is one zero byte", {{"body", std::string(1, '\0')}}, ""},
        {"file id after a zero byte",
         {{"body", std::string("{\"pp\":\0\"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c\"}", 45)}},
         ""},
        // The reply's shape is all the program can check: a 500 whose body
        // reads as a note is shown as one.
        {"500 whose body reads as a note",
         {{"status", "500"}, {"body", "{\"pp\":\"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c\",\"tl\":\"x.txt\"}"}},
         "x.txt"},
    };
    for (const auto& c : cases) {
        restart();
        standinOverride(noteRoute(userKey), c.noteReply);
        host().whenOpened(mainW, {type("编辑框1", shareLinkPrefix() + userKey), click("按钮2")});
        host().whenOpened(linkW, {});
        host().run();

        expectNoDamage(c.scenario);
        if (c.shownName.empty()) {
            EXPECT_EQ(boxTexts(), std::vector<std::string>{"获取失败，请检查分享链接或网络后重试"})
                << c.scenario;
            EXPECT_EQ(host().timesOpened(linkW), 0) << c.scenario;
        } else {
            EXPECT_TRUE(host().messageBoxes.empty()) << c.scenario;
            ASSERT_EQ(host().timesOpened(linkW), 1) << c.scenario;
            EXPECT_EQ(utf8Of(host().controlText(linkW, "编辑框2")), c.shownName) << c.scenario;
        }
        EXPECT_TRUE(host().filesWritten.empty()) << c.scenario;
    }
}

// Titles are shown as they came: the link is usable whatever the name says,
// and "获取" writes no file, so no title can reach the file system here.
TEST_F(HostileTest, FetchShowsHostileTitlesVerbatimAndWritesNothing) {
    const std::string longTitle(300, 'a');
    const struct {
        const char* scenario;
        std::string titleUtf8;
        std::string shownUtf8;
    } cases[] = {
        {"path separators", "../../etc/passwd", "../../etc/passwd"},
        {"backslashes", "..\\..\\Windows\\win.ini", "..\\..\\Windows\\win.ini"},
        {"device name", "CON", "CON"},
        {"300-byte title", longTitle, longTitle},
        {"invalid UTF-8", "bad\xFF\xFE.txt", "bad??.txt"},
        {"characters 936 lacks", "photo\xF0\x9F\x98\x80.zip", "photo??.zip"},
    };
    for (const auto& c : cases) {
        restart();
        standinOverride(noteRoute(userKey), {{"title", c.titleUtf8}});
        host().whenOpened(mainW, {type("编辑框1", shareLinkPrefix() + userKey), click("按钮2")});
        host().whenOpened(linkW, {});
        host().run();

        expectNoDamage(c.scenario);
        EXPECT_TRUE(host().messageBoxes.empty()) << c.scenario;
        EXPECT_EQ(host().timesOpened(linkW), 1) << c.scenario;
        EXPECT_EQ(utf8Of(host().controlText(linkW, "编辑框2")), c.shownUtf8) << c.scenario;
        EXPECT_TRUE(host().filesWritten.empty()) << c.scenario;
    }
}

// A 512 MB reply is read whole (httpRequest keeps it in memory) and then
// found to be no note: the process survives it and says so.
TEST_F(HostileTest, FetchSurvivesAHalfGigabyteReply) {
    standinOverride(noteRoute(userKey), {{"mode", "hugebody"}, {"size", std::to_string(512u << 20)}});
    host().whenOpened(mainW, {type("编辑框1", shareLinkPrefix() + userKey), click("按钮2")});
    host().run();

    expectNoDamage("512 MB reply");
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"获取失败，请检查分享链接或网络后重试"});
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident set after the 512 MB reply: %ld MB\n", usage.ru_maxrss / 1024);
}

// ---- Start-up probes ---------------------------------------------------------

struct ProbeCase {
    const char* scenario;
    Settings counterPage;
    Settings addressPage;
    std::string counterCaption;
    std::string addressLine;
};

TEST_F(HostileTest, StartupPagesThatFailLeaveEmptyCountsAndNoMessage) {
    const std::string emptyCounts = "使用总次数： 今日使用次数：";
    const ProbeCase cases[] = {
        {"refused / unresolvable", refused, unresolvable, emptyCounts, ""},
        {"cut short / dropped", cutShort, dropped, emptyCounts, ""},
        {"500 / 404 with bodies", serverError, notFound, emptyCounts, ""},
        {"pages without their markers",
         {{"body", "<html>maintenance</html>"}},
         {{"body", "<html>maintenance</html>"}},
         emptyCounts,
         ""},
        {"zero byte before the markers",
         {{"body", std::string("\0;\xC0\xDB\xBC\xC6\xB7\xC3\xCE\xCA\xA3\xBA"
                               "1&#",
                               15)}},
         {{"body", std::string("\0<center>r>1.2.3.4</center>", 27)}},
         emptyCounts,
         ""},
        {"markers cut in half",
         {{"body", ";\xC0\xDB\xBC\xC6\xB7\xC3\xCE\xCA\xA3"}},
         {{"body", "<center>r>127.0.0.1</"}},
         emptyCounts,
         ""},
        {"redirect loops", redirectLoop, redirectLoop, emptyCounts, ""},
        {"oversized header blocks, normal pages", headers1M, headers6k, "",
         "您的IP是：[127.0.0.1] 来自：本机局域网"},
    };
    for (const auto& c : cases) {
        restart();
        standinOverride(pageRoute(counterPageUrl()), c.counterPage);
        standinOverride(pageRoute(ipLookupUrl()), c.addressPage);
        host().run();

        expectNoDamage(c.scenario);
        EXPECT_TRUE(host().messageBoxes.empty()) << c.scenario;
        EXPECT_EQ(host().timesOpened(mainW), 1) << c.scenario;
        // An empty expectation for the counters means "whatever the layer made of
        // a 1 MB header block": only that it did not crash or hang matters there.
        if (!c.counterCaption.empty()) {
            EXPECT_EQ(utf8Of(host().controlText(mainW, "标签3")), c.counterCaption) << c.scenario;
        }
        EXPECT_EQ(utf8Of(host().controlText(mainW, "标签2")), c.addressLine) << c.scenario;
    }
}

TEST_F(HostileTest, ConnectivityPageThatFailsMeansOffline) {
    for (const auto* settings : {&refused, &unresolvable, &dropped, &noStatusLine}) {
        restart();
        standinOverride(pageRoute(checkPageUrl()), *settings);
        host().run();

        expectNoDamage("connectivity check");
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"当前没有检测到网络连接，请检查网络后重试"});
        EXPECT_FALSE(host().wasShownBefore(mainW, "exit 0"));
    }
}

// A version check that gets no title offers no update: an empty or broken
// reply is not a newer version.
TEST_F(HostileTest, VersionCheckWithoutATitleOffersNothing) {
    for (const auto* settings : {&refused, &cutShort, &notFound, &redirectLoop, &noStatusLine}) {
        restart();
        standinOverride(noteRoute(updateNoteKey()), *settings);
        host().run();

        expectNoDamage("version check");
        EXPECT_EQ(host().timesOpened(promptW), 0);
        EXPECT_TRUE(host().messageBoxes.empty());
    }
}

// ---- Update and fixed download -------------------------------------------------

struct DownloadCase {
    const char* scenario;
    std::string titleUtf8;  // the note's title, which names the file
    Settings fileReply;     // empty: the normal file
    bool written;
};

std::vector<DownloadCase> downloadCases(const std::string& goodName) {
    const std::string longAscii = std::string(296, 'a') + ".exe";
    const std::string longChinese = [] {
        std::string s;
        for (int i = 0; i < 100; ++i) s += "新";
        return s;
    }();
    return {
        {"refused connection", goodName, refused, false},
        {"unresolvable host", goodName, unresolvable, false},
        {"connection dropped", goodName, dropped, false},
        {"silent server", goodName, silent, false},
        {"body cut short", goodName, cutShort, false},
        {"404 with body", goodName, notFound, false},
        {"500 with body", goodName, serverError, false},
        {"redirect loop", goodName, redirectLoop, false},
        {"no status line", goodName, noStatusLine, false},
        {"body stalls midway, then arrives", goodName, stalled, true},
        {"chunked body", goodName, chunked, true},
        {"header block over 5000 bytes", goodName, headers6k, true},
        {"header block over 1 MB", goodName, headers1M, false},
        {"title climbs out with ..", "../" + goodName, {}, false},
        {"title with a backslash", "..\\" + goodName, {}, false},
        {"title that is ..", "..", {}, false},
        {"title that is an absolute path", "/tmp/" + goodName, {}, false},
        {"device name", "CON", {}, false},
        {"device name with extension", "nul.txt", {}, false},
        {"300-byte ASCII title", longAscii, {}, false},
        {"300-byte Chinese title", longChinese, {}, false},
        {"title with invalid UTF-8 and a control byte", "x\xFF\x01.exe", {}, false},
        // Code page 936 writes these as single bytes (0x80, 0xFF) that look like
        // lead bytes, so a separator after them must still count as one.
        {"euro sign before a slash", "\xE2\x82\xAC/" + goodName, {}, false},
        {"euro sign before a backslash", "\xE2\x82\xAC\\" + goodName, {}, false},
        {"U+F8F5 before a slash", "\xEF\xA3\xB5/" + goodName, {}, false},
    };
}

// The bytes the stand-in serves for a file when nothing is overridden.
bytes normalFile(const std::string& fileId, const std::string& key) {
    return httpGetBytes(standinUrl(fileRoute(fileId) + "?method=download&inline=true&shareKey=" + key));
}

void checkDownload(ScriptedHost& host, const DownloadCase& c, const fs::path& existing, const bytes& good,
                   const char* doneText, const char* failedText) {
    if (c.written) {
        EXPECT_EQ(host.filesWritten.size(), 1u) << c.scenario;
        EXPECT_EQ(readFile(existing), good)
            << c.scenario << ": the existing file was not replaced by the download";
        EXPECT_EQ(host.messageBoxes.size(), 1u) << c.scenario;
        if (!host.messageBoxes.empty()) {
            EXPECT_EQ(utf8Of(host.messageBoxes[0].message), doneText) << c.scenario;
        }
    } else {
        EXPECT_TRUE(host.filesWritten.empty()) << c.scenario;
        EXPECT_EQ(readFile(existing), (bytes{'O', 'L', 'D'}))
            << c.scenario << ": the existing file was replaced";
        EXPECT_EQ(host.messageBoxes.size(), 1u) << c.scenario;
        if (!host.messageBoxes.empty()) {
            EXPECT_EQ(utf8Of(host.messageBoxes[0].message), failedText) << c.scenario;
        }
    }
}

TEST_F(HostileTest, UpdateWritesOnlyAWholeDownloadUnderABareName) {
    const bytes good = normalFile(updateFileId(), updateNoteKey());
    ASSERT_FALSE(good.empty());
    for (const auto& c : downloadCases(newerExecutable)) {
        restart();
        standinOverride(noteRoute(updateNoteKey()), {{"title", c.titleUtf8}});
        if (!c.fileReply.empty()) standinOverride(fileRoute(updateFileId()), c.fileReply);
        // The file the newer version would replace: it must survive every failure.
        const fs::path existing = exeFolder() / fs::u8path(newerExecutable);
        writeFile(existing, "OLD");
        host().whenOpened(promptW, {click("按钮1")});
        host().run();

        expectNoDamage(c.scenario);
        EXPECT_EQ(host().timesOpened(promptW), 1) << c.scenario;
        checkDownload(host(), c, existing, good, "更新完成，请到根目录查看", "更新失败，请检查网络后重试");
    }
}

TEST_F(HostileTest, FixedDownloadWritesOnlyAWholeDownloadUnderABareName) {
    const bytes good = normalFile(shortLinkFileId(), shortLinkNoteKey());
    ASSERT_FALSE(good.empty());
    std::vector<DownloadCase> cases = downloadCases(shortLinkTitle);
    // The note that names the file fails: no name, nothing written.
    cases.push_back({"note lookup refused", "", {}, false});
    for (const auto& c : cases) {
        restart();
        if (c.titleUtf8.empty()) {
            standinOverride(noteRoute(shortLinkNoteKey()), refused);
        } else {
            standinOverride(noteRoute(shortLinkNoteKey()), {{"title", c.titleUtf8}});
        }
        if (!c.fileReply.empty()) standinOverride(fileRoute(shortLinkFileId()), c.fileReply);
        const fs::path existing = exeFolder() / fs::u8path(shortLinkTitle);
        writeFile(existing, "OLD");
        host().whenOpened(mainW, {chooseMenuItem(1)});
        host().run();

        expectNoDamage(c.scenario);
        checkDownload(host(), c, existing, good, "下载完成，请到根目录查看", "下载失败，请检查网络后重试");
    }
}

}  // namespace
}  // namespace lj
