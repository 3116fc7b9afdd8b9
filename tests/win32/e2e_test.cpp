// The real Windows program under Wine, against the stand-in note service,
// driven from outside as a user would drive it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lj_config.h"
#include "tests/win32/driver.h"

namespace lj::e2e {
namespace {

constexpr unsigned labelBlue = 0x0088FF;  // RGB(0, 136, 255)
constexpr unsigned white = 0xFFFFFF;
const std::string userNoteKey = "0123456789abcdef0123456789abcdef";
const std::string base = LJ_NOTE_SERVICE_BASE;
const std::string notePath = "/yws/public/note/" + userNoteKey;

std::string shareLink(const std::string& key) { return base + "/noteshare?id=" + key; }

// The file id the service gives for a key, read from its reply as the
// service defines it: {"pp":"<file id>","tl":"<title>"}.
std::string fileIdFromService(const std::string& key) {
    const std::string reply = standinGet("/yws/public/note/" + key + "?editorType=0&cstk=" LJ_NOTE_API_TOKEN);
    const size_t at = reply.find("\"pp\":\"");
    return at == std::string::npos ? "" : reply.substr(at + 6, reply.find('"', at + 6) - at - 6);
}

std::string fileUrl(const std::string& fileId, const std::string& key) {
    return base + "/yws/api/personal/file/" + fileId + "?method=download&inline=true&shareKey=" + key;
}

std::vector<unsigned char> served(const std::string& url) {
    const std::string body = standinGet(url.substr(base.size()));
    return {body.begin(), body.end()};
}

// Outer size, centring, frame styles, and every control's place, size and
// caption as its design gives them.
void expectMatchesDesign(HWND window, WindowId id) {
    const WindowDesign& design = windowDesign(id);
    SCOPED_TRACE(design.name);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.right - outer.left, design.outerWidth);
    EXPECT_EQ(outer.bottom - outer.top, design.outerHeight);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - design.outerWidth) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - design.outerHeight) / 2);
    EXPECT_EQ(windowText(window), fromGbk(design.caption));

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not sizable";
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    if (design.frame == Frame::None) {
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
        EXPECT_FALSE(style & WS_SYSMENU);
    } else {
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_TRUE(style & WS_MINIMIZEBOX);
    }
    EXPECT_EQ(GetMenu(window) != nullptr, !design.menuCaption.empty());

    for (const ControlDesign& c : design.controls) {
        SCOPED_TRACE(c.name);
        HWND h = control(window, id, c.name);
        ASSERT_NE(h, nullptr);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.x);
        EXPECT_EQ(r.top, c.y);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        if (c.kind == ControlKind::EditBox) {
            EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        }
        if (!c.shadedFrame.empty()) {
            // The frame label lies under every other control, or it hides them.
            EXPECT_EQ(GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST), h);
        }
        const bool captioned = c.kind == ControlKind::Label || c.kind == ControlKind::Button;
        if (captioned && !c.textWhenBuilt.empty()) {
            EXPECT_EQ(windowText(h), fromGbk(c.textWhenBuilt));
        }
    }
}

// What the one executable carries: the icon's 14 images, the manifest asking
// for common controls 6 and per-monitor DPI awareness, version information
// and DonateWindow's picture.
TEST(Executable, CarriesItsResources) {
    HMODULE image = LoadLibraryExW(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    int icons = 0;
    EnumResourceNamesW(
        image, MAKEINTRESOURCEW(3) /* RT_ICON */,
        [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&icons));
    EXPECT_EQ(icons, 14);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);

    auto resourceText = [&](LPCWSTR name, LPCWSTR type) {
        HRSRC found = FindResourceW(image, name, type);
        if (!found) return std::string();
        const char* data = static_cast<const char*>(LockResource(LoadResource(image, found)));
        return std::string(data, SizeofResource(image, found));
    };
    const std::string manifest = resourceText(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    const std::string png = resourceText(L"DONATE.PNG", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    FreeLibrary(image);

    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(programPath().c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(programPath().c_str(), 0, DWORD(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010003u);  // 1.3
    wchar_t* name = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404B0\\ProductName",
                               reinterpret_cast<void**>(&name), &length));
    EXPECT_STREQ(name, L"蓝鲸速取小助手");
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { resetStandin(); }
    void TearDown() override { resetStandin(); }

    // Starts the program and waits for MainWindow.
    HWND startToMainWindow(Program& program) {
        HWND main = waitForWindow(program, WindowId::MainWindow);
        EXPECT_NE(main, nullptr) << "MainWindow never showed";
        return main;
    }

    // Types the link and presses "获取".
    void fetch(HWND main, const std::wstring& link) {
        setText(control(main, WindowId::MainWindow, "编辑框1"), link);
        click(control(main, WindowId::MainWindow, "按钮2"));
    }
};

TEST_F(ProgramTest, StartsWithProbesFilledAndEscEndsIt) {
    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    std::printf("start to MainWindow shown: %llu ms\n",
                static_cast<unsigned long long>(GetTickCount64() - program.startedAt()));
    expectMatchesDesign(main, WindowId::MainWindow);
    // The stand-in's pages: counters cut between their markers, the address line between "r>" and "</c".
    const std::wstring counters = windowText(control(main, WindowId::MainWindow, "标签3"));
    EXPECT_EQ(counters.rfind(L"使用总次数：", 0), 0u) << "got " << counters.size() << " chars";
    EXPECT_NE(counters, L"使用总次数： 今日使用次数：");
    EXPECT_NE(counters.find(L" 今日使用次数："), std::wstring::npos);
    EXPECT_EQ(windowText(control(main, WindowId::MainWindow, "标签2")),
              L"您的IP是：[127.0.0.1] 来自：本机局域网");
    const Capture shot = capture(main);
    EXPECT_TRUE(screenshot(shot, L"MainWindow"));
    // Labels: blue text over the button face; the edit box white.
    for (const char* name : {"标签1", "标签3", "标签2"}) {
        const RECT r = placeInWindow(main, control(main, WindowId::MainWindow, name));
        EXPECT_TRUE(shot.has(r, labelBlue)) << name;
        EXPECT_EQ(shot.at(r.left + 1, r.top + 1), rgbOf(GetSysColor(COLOR_BTNFACE))) << name;
    }
    const RECT box = placeInWindow(main, control(main, WindowId::MainWindow, "编辑框1"));
    EXPECT_EQ(shot.at((box.left + box.right) / 2, (box.top + box.bottom) / 2), white);

    pressEscape(main);
    EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(ProgramTest, FetchShowsLinkAndFileNameAndCopiesThem) {
    const std::string fileId = fileIdFromService(userNoteKey);
    ASSERT_FALSE(fileId.empty()) << "stand-in not answering";
    const std::wstring expectedLink = fromUtf8(fileUrl(fileId, userNoteKey));

    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    fetch(main, fromUtf8(shareLink(userNoteKey)));
    HWND direct = waitForWindow(program, WindowId::DirectLinkWindow);
    ASSERT_NE(direct, nullptr);
    expectMatchesDesign(direct, WindowId::DirectLinkWindow);
    EXPECT_FALSE(IsWindowEnabled(main)) << "modal over MainWindow";

    HWND linkBox = control(direct, WindowId::DirectLinkWindow, "编辑框1");
    HWND nameBox = control(direct, WindowId::DirectLinkWindow, "编辑框2");
    EXPECT_EQ(windowText(linkBox), expectedLink);
    EXPECT_EQ(windowText(nameBox), L"会议纪要 2026.txt");
    const Capture shot = capture(direct);
    EXPECT_TRUE(screenshot(shot, L"DirectLinkWindow"));
    const RECT nameRect = placeInWindow(direct, nameBox);
    EXPECT_TRUE(shot.has(nameRect, labelBlue)) << "edit box text colour";
    EXPECT_EQ(shot.at(nameRect.right - 10, (nameRect.top + nameRect.bottom) / 2), white);

    setClipboardText(L"stale");
    click(control(direct, WindowId::DirectLinkWindow, "按钮1"));
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == expectedLink; })) << "link not on the clipboard";
    click(control(direct, WindowId::DirectLinkWindow, "按钮2"));
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == L"会议纪要 2026.txt"; }))
        << "name not on the clipboard";
    // What the user edited is what goes to the clipboard.
    setText(nameBox, L"改过的名字.txt");
    click(control(direct, WindowId::DirectLinkWindow, "按钮2"));
    EXPECT_TRUE(waitUntil([&] { return clipboardText() == L"改过的名字.txt"; }));

    // Esc closes only DirectLinkWindow; MainWindow gets its input back.
    pressEscape(direct);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(direct); }));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_TRUE(program.running());

    // A second "获取" builds the window afresh; its close box closes it as Esc did.
    fetch(main, fromUtf8(shareLink(userNoteKey)));
    HWND again = waitForWindow(program, WindowId::DirectLinkWindow);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(windowText(control(again, WindowId::DirectLinkWindow, "编辑框2")), L"会议纪要 2026.txt");
    PostMessageW(again, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(again); }));
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));

    // Closing MainWindow by its close box ends the program.
    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(ProgramTest, PasteReplacesTheBoxWithTheClipboard) {
    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    HWND box = control(main, WindowId::MainWindow, "编辑框1");
    struct Case {
        std::wstring clipboard;
    } cases[] = {{fromUtf8(shareLink(userNoteKey))}, {L"链接：中文与 ASCII 混排"}, {L""}};
    for (const Case& c : cases) {
        setText(box, L"typed before");
        ASSERT_TRUE(setClipboardText(c.clipboard));
        click(control(main, WindowId::MainWindow, "按钮1"));
        EXPECT_TRUE(waitUntil([&] { return windowText(box) == c.clipboard; }))
            << "box holds " << windowText(box).size() << " chars";
    }
}

TEST_F(ProgramTest, RejectedLinkGivesTheMessageAndNoWindow) {
    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    fetch(main, L"http://example.com/noteshare?id=" + fromUtf8(userNoteKey));
    MessageBoxSeen box = waitForMessageBox(program);
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.message, L"请检查分享链接是否有误！！！");
    EXPECT_EQ(box.caption, L"提示");
    dismiss(box);
    EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_EQ(findTopLevel(program.processId(), L"Lanjing.DirectLinkWindow", false), nullptr);
    EXPECT_EQ(standinGet("/_standin/count?path=" + percentEncode(notePath)), "0");
}

// The update note names another executable: each of the prompt's ways out.
TEST_F(ProgramTest, UpdatePromptChoices) {
    const std::string newName = "蓝鲸速取小助手v1.4.exe";
    const std::string updateNoteKey = LJ_UPDATE_NOTE_KEY;
    const std::vector<unsigned char> newExecutable = served(fileUrl(LJ_UPDATE_FILE_ID, updateNoteKey));
    ASSERT_FALSE(newExecutable.empty());

    enum class Choice { Yes, No, Escape };
    struct Case {
        const char* name;
        Choice choice;
        bool endsProgram;
        bool writesFile;
    } cases[] = {
        {"yes", Choice::Yes, true, true},
        {"no", Choice::No, true, false},
        {"escape", Choice::Escape, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        overrideStandin(percentEncode("/yws/public/note/" + updateNoteKey) +
                        "&title=" + percentEncode(newName));
        Program program;
        HWND prompt = waitForWindow(program, WindowId::UpdatePromptWindow);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(findTopLevel(program.processId(), L"Lanjing.MainWindow"), nullptr)
            << "MainWindow shown too early";
        if (c.choice == Choice::Yes) {
            expectMatchesDesign(prompt, WindowId::UpdatePromptWindow);
            const Capture shot = capture(prompt);
            EXPECT_TRUE(screenshot(shot, L"UpdatePromptWindow"));
            // The 8-pixel frame: magenta at its outer and inner lines, cyan-ish between, white inside.
            const int middle = shot.height / 2;
            EXPECT_EQ(shot.at(0, middle), 0xFF00FFu);
            EXPECT_EQ(shot.at(7, middle), 0xFF00FFu);
            EXPECT_EQ(shot.at(shot.width / 2, shot.height - 1), 0xFF00FFu);
            EXPECT_GT((shot.at(3, middle) >> 8) & 0xFF, 0xC0u);
            EXPECT_LT(shot.at(3, middle) >> 16, 0x60u);
            EXPECT_EQ(shot.at(20, middle), white);
            const RECT promptText =
                placeInWindow(prompt, control(prompt, WindowId::UpdatePromptWindow, "标签2"));
            EXPECT_TRUE(shot.has(promptText, 0x0060C0u));
        }
        switch (c.choice) {
            case Choice::Yes: {
                click(control(prompt, WindowId::UpdatePromptWindow, "按钮1"));
                MessageBoxSeen box = waitForMessageBox(program);
                EXPECT_EQ(box.message, L"更新完成，请到根目录查看");
                EXPECT_EQ(box.caption, L"信息：");
                dismiss(box);
                break;
            }
            case Choice::No:
                click(control(prompt, WindowId::UpdatePromptWindow, "按钮2"));
                break;
            case Choice::Escape:
                pressEscape(prompt);
                break;
        }
        if (c.endsProgram) {
            EXPECT_EQ(program.waitForExit(), 0u);
        } else {
            HWND main = waitForWindow(program, WindowId::MainWindow);
            ASSERT_NE(main, nullptr) << "start-up did not go on";
            EXPECT_FALSE(windowText(control(main, WindowId::MainWindow, "标签2")).empty());
            EXPECT_TRUE(IsWindowEnabled(main));
        }
        bool exists = false;
        const auto written = program.fileInFolder(fromUtf8(newName), &exists);
        EXPECT_EQ(exists, c.writesFile);
        if (c.writesFile) {
            EXPECT_EQ(written, newExecutable);
        }
        resetStandin();
    }
}

TEST_F(ProgramTest, OfflineStartWarnsBeforeAnyWindowAndEndsWithZero) {
    overrideStandin(percentEncode("/generate_204") + "&mode=close");
    Program program;
    MessageBoxSeen box = waitForMessageBox(program);
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.message, L"当前没有检测到网络连接，请检查网络后重试");
    EXPECT_EQ(box.caption, L"警告！！！");
    EXPECT_EQ(findTopLevel(program.processId(), L"Lanjing.MainWindow"), nullptr);
    EXPECT_TRUE(screenshot(box.hwnd, L"OfflineWarning"));
    dismiss(box);
    EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(ProgramTest, DonateWindowCopiesTheAddressAndClosesOnEsc) {
    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    for (int round = 0; round < 2; ++round) {  // built afresh each time
        SCOPED_TRACE(round);
        chooseMenuItem(main, 0);
        HWND donate = waitForWindow(program, WindowId::DonateWindow);
        ASSERT_NE(donate, nullptr);
        expectMatchesDesign(donate, WindowId::DonateWindow);
        EXPECT_EQ(windowText(control(donate, WindowId::DonateWindow, "标签1")),
                  L" 作者QQ:" LJ_AUTHOR_CONTACT);
        if (round == 0) {
            EXPECT_TRUE(screenshot(donate, L"DonateWindow"));
        }

        setClipboardText(L"stale");
        click(control(donate, WindowId::DonateWindow, "按钮1"));
        MessageBoxSeen box = waitForMessageBox(program);
        EXPECT_EQ(box.message, L"邮箱已复制剪切板");
        EXPECT_EQ(box.caption, L"温馨提示");
        EXPECT_EQ(clipboardText(), fromUtf8(LJ_FEEDBACK_EMAIL));
        dismiss(box);
        EXPECT_TRUE(waitUntil([&] { return findTopLevel(program.processId(), L"#32770") == nullptr; }));

        pressEscape(donate);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(donate); }));
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }));
    }
}

TEST_F(ProgramTest, FixedDownloadReplacesTheFileBesideTheExecutable) {
    const std::string key = LJ_SHORTLINK_NOTE_KEY;
    const std::vector<unsigned char> expected = served(fileUrl(LJ_SHORTLINK_FILE_ID, key));
    ASSERT_FALSE(expected.empty());
    const std::wstring name = L"安全短网址生成器.txt";

    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    program.writeFileInFolder(name,
                              "an older file of the same name, longer than the new one to show truncation");
    chooseMenuItem(main, 1);
    MessageBoxSeen box = waitForMessageBox(program);
    EXPECT_EQ(box.message, L"下载完成，请到根目录查看");
    EXPECT_EQ(box.caption, L"信息：");
    bool exists = false;
    EXPECT_EQ(program.fileInFolder(name, &exists), expected);
    EXPECT_TRUE(exists);
    dismiss(box);
    EXPECT_TRUE(program.running());
}

// A stalled reply: the GUI thread keeps answering, and what the user does
// meanwhile reaches no handler.
TEST_F(ProgramTest, StaysResponsiveWhileARequestStalls) {
    const int stallMs = 10000;
    Program program;
    HWND main = startToMainWindow(program);
    ASSERT_NE(main, nullptr);
    overrideStandin(percentEncode(notePath) + "&mode=stall&after=0&ms=" + std::to_string(stallMs));

    fetch(main, fromUtf8(shareLink(userNoteKey)));
    HWND fetchButton = control(main, WindowId::MainWindow, "按钮2");
    const ULONGLONG begin = GetTickCount64();
    ULONGLONG longest = 0;
    int unanswered = 0, probes = 0;
    bool pokedDuringWait = false;
    while (GetTickCount64() - begin < ULONGLONG(stallMs) - 1000 &&
           !findTopLevel(program.processId(), L"Lanjing.DirectLinkWindow")) {
        const ULONGLONG sent = GetTickCount64();
        DWORD_PTR result = 0;
        // A blocked GUI thread would leave this unanswered for the whole stall.
        if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result)) ++unanswered;
        longest = std::max(longest, GetTickCount64() - sent);
        ++probes;
        if (!pokedDuringWait && GetTickCount64() - begin > 1000) {
            // A second "获取", a real mouse click on it, and a menu command.
            click(fetchButton);
            PostMessageW(fetchButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(fetchButton, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            chooseMenuItem(main, 0);
            pokedDuringWait = true;
        }
        Sleep(20);
    }
    std::printf("during a %d ms stalled request: %d WM_NULL probes, longest answer %llu ms, %d unanswered\n",
                stallMs, probes, static_cast<unsigned long long>(longest), unanswered);
    EXPECT_EQ(unanswered, 0);
    EXPECT_TRUE(pokedDuringWait);

    HWND direct = waitForWindow(program, WindowId::DirectLinkWindow, stallMs + 20000);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(windowText(control(direct, WindowId::DirectLinkWindow, "编辑框2")), L"会议纪要 2026.txt");
    pressEscape(direct);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(direct); }));
    // Nothing done during the wait took effect afterwards either.
    Sleep(500);
    EXPECT_EQ(findTopLevel(program.processId(), L"Lanjing.DirectLinkWindow"), nullptr);
    EXPECT_EQ(findTopLevel(program.processId(), L"Lanjing.DonateWindow"), nullptr);
    EXPECT_EQ(standinGet("/_standin/count?path=" + percentEncode(notePath)), "1");
}

}  // namespace
}  // namespace lj::e2e
