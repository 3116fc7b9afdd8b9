// The Qt host against the stand-in note service, through its real windows:
// what a user sees, clicks, copies and gets written, and how the program ends.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/program_main.h"
#include "lj_config.h"
#include "qt_test_support.h"

using lj::DesignedWindow;
using lj::WindowId;
using namespace ljtest;

namespace {

const std::string base = LJ_NOTE_SERVICE_BASE;

std::string directLinkFor(const std::string& fileId, const std::string& key) {
    return base + "/yws/api/personal/file/" + fileId + "?method=download&inline=true&shareKey=" + key;
}

QByteArray standinFile(const std::string& fileId, const std::string& key) {
    const lj::bytes b = lj::httpGetBytes(directLinkFor(fileId, key));
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QLineEdit* editBox(DesignedWindow& w, const char* name) { return qobject_cast<QLineEdit*>(w.control(name)); }
// Chinese reaches an edit box committed by the input method.
void typeThroughInputMethod(QWidget* w, const QString& s) {
    QInputMethodEvent e;
    e.setCommitString(s);
    QApplication::sendEvent(w, &e);
}

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

// Stands in for the system's browser: remembers what it was asked to open.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

class QtHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ensureApplication();
    }

    void SetUp() override {
        startDir_ = QDir::currentPath();
        standinReset();
        ASSERT_TRUE(folder_.isValid());
        host_ = std::make_unique<lj::QtHost>(folder_.path());
        host_->initialiseHost();
    }

    void TearDown() override {
        host_.reset();
        standinReset();
        QDir::setCurrent(startDir_);
    }

    // Builds MainWindow as start-up does, its probes included.
    DesignedWindow& openMainWindow() {
        host_->loadWindow(WindowId::MainWindow, std::nullopt, false);
        DesignedWindow* w = host_->window(WindowId::MainWindow);
        EXPECT_NE(w, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
        return *w;
    }

    QAction* menuItem(int index) {
        QMenuBar* bar = host_->window(WindowId::MainWindow)->designMenuBar();
        return bar->actions().at(0)->menu()->actions().at(index);
    }

    QString startDir_;
    QTemporaryDir folder_;
    std::unique_ptr<lj::QtHost> host_;
};

// ---- Windows as designed -------------------------------------------------------

void checkAsDesigned(DesignedWindow& w) {
    const lj::WindowDesign& d = w.design();
    SCOPED_TRACE(d.name);
    EXPECT_EQ(w.frameGeometry().size(), QSize(d.outerWidth, d.outerHeight));
    const QPoint centre = w.screen()->availableGeometry().center();
    EXPECT_LE((w.frameGeometry().center() - centre).manhattanLength(), 2);

    // The client area is what the frame and the menu bar leave.
    const QMargins m = w.windowHandle()->frameMargins();
    const int menuHeight = w.designMenuBar() ? w.designMenuBar()->height() : 0;
    EXPECT_EQ(d.menuCaption.empty(), menuHeight == 0);
    EXPECT_EQ(w.clientArea()->geometry(), QRect(0, menuHeight, d.outerWidth - m.left() - m.right(),
                                                d.outerHeight - m.top() - m.bottom() - menuHeight));

    const Qt::WindowFlags f = w.windowFlags();
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(bool(f & Qt::FramelessWindowHint), d.frame == lj::Frame::None);
    EXPECT_EQ(w.windowType() == Qt::Window, d.taskbarButton);
    EXPECT_EQ(w.minimumSize(), w.maximumSize());  // the user cannot resize it

    for (const lj::ControlDesign& c : d.controls) {
        SCOPED_TRACE(c.name);
        QWidget* cw = w.control(c.name);
        ASSERT_NE(cw, nullptr);
        EXPECT_EQ(cw->parentWidget(), w.clientArea());
        EXPECT_EQ(cw->geometry(), QRect(c.x, c.y, c.width, c.height));
        if (c.kind == lj::ControlKind::PictureBox) {
            // no text, no font
        } else if (c.font.systemGuiFont) {
            EXPECT_EQ(cw->font(), QApplication::font());
        } else {
            EXPECT_EQ(cw->font().pixelSize(), c.font.pixelHeight);
            EXPECT_EQ(cw->font().weight(), c.font.weight);
        }
        EXPECT_EQ(cw->cursor().shape() == Qt::PointingHandCursor, c.pointer == lj::Pointer::Hand);
        if (auto* edit = qobject_cast<QLineEdit*>(cw)) {
            EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
            EXPECT_EQ(edit->palette().color(QPalette::Text),
                      QColor(c.textColour.r, c.textColour.g, c.textColour.b));
            EXPECT_TRUE(edit->hasFrame());
        }
        if (auto* button = qobject_cast<QPushButton*>(cw)) {
            EXPECT_FALSE(button->isDefault());
            EXPECT_FALSE(button->autoDefault());
        }
    }
}

TEST_F(QtHostTest, EveryWindowHasItsDesignedOuterSizeAndEveryControlItsPlace) {
    checkAsDesigned(openMainWindow());
    for (const lj::WindowDesign* d : lj::allWindowDesigns()) {
        if (d->id == WindowId::MainWindow) continue;
        UserScript user(*host_);
        user.whenWindow(d->id, [](DesignedWindow& w) {
            checkAsDesigned(w);
            pressEsc(&w);
        });
        EXPECT_TRUE(host_->loadWindow(d->id, WindowId::MainWindow, true));
        EXPECT_TRUE(user.done()) << d->name;
    }
}

// Labels paint their own colour; the prompt's frame is shaded from magenta
// through cyan and back, around a white inside.
TEST_F(QtHostTest, LabelsAndThePromptFrameArePaintedInTheirColours) {
    DesignedWindow& main = openMainWindow();
    const QImage mainImage = main.grab().toImage();
    QWidget* label = main.control("标签1");
    const QRect r(label->mapTo(&main, QPoint(0, 0)), label->size());
    int blue = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) blue += mainImage.pixelColor(x, y) == QColor(0, 136, 255);
    EXPECT_GT(blue, 10) << "分享链接 is not drawn in RGB(0, 136, 255)";
    EXPECT_EQ(mainImage.pixelColor(r.right() - 1, r.top() + 1), main.palette().color(QPalette::Button))
        << "the label does not show the button face through";

    UserScript user(*host_);
    user.whenWindow(WindowId::UpdatePromptWindow, [](DesignedWindow& w) {
        const QImage img = w.grab().toImage();
        const int right = img.width() - 1, bottom = img.height() - 1;
        for (QPoint p : {QPoint(0, 0), QPoint(7, 7), QPoint(right, bottom), QPoint(right - 7, 20),
                         QPoint(20, bottom - 7)})
            EXPECT_EQ(img.pixelColor(p), QColor(255, 0, 255)) << p.x() << "," << p.y();
        for (QPoint p : {QPoint(3, 40), QPoint(right - 4, 40), QPoint(60, 3)}) {
            const QColor c = img.pixelColor(p);
            EXPECT_GT(c.green(), 180) << p.x() << "," << p.y();
            EXPECT_LT(c.red(), 80) << p.x() << "," << p.y();
        }
        EXPECT_EQ(img.pixelColor(8, 8), QColor(Qt::white));
        EXPECT_EQ(img.pixelColor(right - 8, bottom - 8), QColor(Qt::white));
        pressEsc(&w);
    });
    host_->loadWindow(WindowId::UpdatePromptWindow, WindowId::MainWindow, true);
    EXPECT_TRUE(user.done());
}

// ---- Start-up ---------------------------------------------------------------------

TEST_F(QtHostTest, StartUpFillsTheCountersAndTheAddressLine) {
    DesignedWindow& main = openMainWindow();
    EXPECT_EQ(main.windowTitle(), q("蓝鲸速取小助手"));
    const QString counters = lj::toQString(main.controlText("标签3"));
    EXPECT_TRUE(counters.startsWith(q("使用总次数："))) << counters.toStdString();
    EXPECT_TRUE(counters.contains(q(" 今日使用次数："))) << counters.toStdString();
    EXPECT_GT(counters.size(), q("使用总次数： 今日使用次数：").size()) << "no counts came through";
    EXPECT_EQ(lj::toQString(main.controlText("标签2")), q("您的IP是：[127.0.0.1] 来自：本机局域网"));
}

TEST_F(QtHostTest, EscOnTheUpdatePromptLetsStartUpGoOn) {
    standinOverride(noteApiPath(LJ_UPDATE_NOTE_KEY), "title=" + pct("蓝鲸速取小助手v1.4.exe"));
    UserScript user(*host_);
    bool mainShownBefore = true;
    user.whenWindow(WindowId::UpdatePromptWindow, [&](DesignedWindow& w) {
        EXPECT_EQ(lj::toQString(w.controlText("标签2")), q("检测到新版本是否更新！！！"));
        mainShownBefore = host_->window(WindowId::MainWindow)->isVisible();
        pressEsc(w.control("按钮1"));
    });
    DesignedWindow& main = openMainWindow();
    EXPECT_TRUE(user.done());
    EXPECT_FALSE(mainShownBefore);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_FALSE(main.controlText("标签3").empty());
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files), QStringList()) << "Esc downloaded the update";
}

// ---- "获取" and DirectLinkWindow ------------------------------------------------------

TEST_F(QtHostTest, PastedLinkResolvesAndBothValuesCopyToTheClipboard) {
    struct Case {
        const char* key;
        const char* fileId;
        const char* title;
    };
    const Case cases[] = {
        {"0123456789abcdef0123456789abcdef", "WEB3d4e5f60718293a4b5c6d7e8f90a1b2c", "会议纪要 2026.txt"},
        {"fedcba9876543210fedcba9876543210", "WEB4e5f60718293a4b5c6d7e8f90a1b2c3d", "旅行照片.zip"},
    };
    DesignedWindow& main = openMainWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const QString link = QString::fromStdString(base + "/noteshare?id=" + c.key);
        const QString direct = QString::fromStdString(directLinkFor(c.fileId, c.key));
        QGuiApplication::clipboard()->setText(link);
        editBox(main, "编辑框1")->setText(q("typed text the paste replaces"));
        click(main.control("按钮1"));
        EXPECT_EQ(editBox(main, "编辑框1")->text(), link);

        UserScript user(*host_);
        user.whenWindow(WindowId::DirectLinkWindow, [&](DesignedWindow& w) {
            EXPECT_FALSE(main.isEnabled());
            EXPECT_EQ(w.windowTitle(), q("直连地址"));
            EXPECT_EQ(editBox(w, "编辑框1")->text(), direct);
            EXPECT_EQ(editBox(w, "编辑框2")->text(), q(c.title));
            click(w.control("按钮1"));
            EXPECT_EQ(clipboardText(), direct);
            click(w.control("按钮2"));
            EXPECT_EQ(clipboardText(), q(c.title));
            // What the user edits is what gets copied.
            editBox(w, "编辑框2")->end(false);
            typeThroughInputMethod(editBox(w, "编辑框2"), q(" 副本"));
            click(w.control("按钮2"));
            EXPECT_EQ(clipboardText(), q(c.title) + q(" 副本"));
            pressEsc(editBox(w, "编辑框1"));
        });
        click(main.control("按钮2"));
        EXPECT_TRUE(user.done());
        EXPECT_EQ(host_->window(WindowId::DirectLinkWindow), nullptr);
        EXPECT_TRUE(main.isVisible()) << "Esc in DirectLinkWindow closed MainWindow";
        EXPECT_TRUE(main.isEnabled());
    }
}

TEST_F(QtHostTest, RejectedAndFailedLinksSayWhyAndOpenNoWindow) {
    struct Case {
        const char* what;
        std::string link;
        std::string overridePath, overrideSettings;
        const char* message;
    };
    const std::string good = "0123456789abcdef0123456789abcdef";
    const Case cases[] = {
        {"https scheme", "https" + base.substr(4) + "/noteshare?id=" + good, "", "",
         "请检查分享链接是否有误！！！"},
        {"empty box", "", "", "", "请检查分享链接是否有误！！！"},
        {"unknown note", base + "/noteshare?id=00000000000000000000000000000000", "", "",
         "获取失败，请检查分享链接或网络后重试"},
        {"connection dropped", base + "/noteshare?id=" + good, noteApiPath(good), "mode=close",
         "获取失败，请检查分享链接或网络后重试"},
    };
    DesignedWindow& main = openMainWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standinReset();
        if (!c.overridePath.empty()) standinOverride(c.overridePath, c.overrideSettings);
        editBox(main, "编辑框1")->clear();
        QTest::keyClicks(editBox(main, "编辑框1"), QString::fromStdString(c.link));

        UserScript user(*host_);
        QString caption, message;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        user.whenMessageBox([&](QMessageBox& box) {
            caption = box.windowTitle();
            message = box.text();
            icon = box.icon();
            box.accept();
        });
        click(main.control("按钮2"));
        EXPECT_TRUE(user.done());
        EXPECT_EQ(message, q(c.message));
        EXPECT_EQ(caption, q("提示"));
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(host_->window(WindowId::DirectLinkWindow), nullptr);
        EXPECT_TRUE(main.isEnabled());
    }
}

// ---- Esc ---------------------------------------------------------------------------

TEST_F(QtHostTest, EscClosesOnlyTheWindowItBelongsTo) {
    DesignedWindow& main = openMainWindow();
    UserScript user(*host_);
    user.whenWindow(WindowId::DonateWindow, [&](DesignedWindow& w) {
        EXPECT_FALSE(main.isEnabled());
        pressEsc(&main);  // disabled: takes no keys
        pressEsc(w.control("按钮1"));
    });
    menuItem(0)->trigger();
    EXPECT_TRUE(user.done());
    EXPECT_EQ(host_->window(WindowId::DonateWindow), nullptr);
    ASSERT_EQ(host_->window(WindowId::MainWindow), &main);
    EXPECT_TRUE(main.isEnabled());

    pressEsc(editBox(main, "编辑框1"));
    QTRY_VERIFY(host_->window(WindowId::MainWindow) == nullptr);
}

// ---- The menu ----------------------------------------------------------------------

TEST_F(QtHostTest, MenuOpensTheDonateWindowDownloadsTheFixedFileAndOpensTheTutorial) {
    DesignedWindow& main = openMainWindow();
    QMenuBar* bar = main.designMenuBar();
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions().at(0)->text(), q("关于"));
    const QMenu* menu = bar->actions().at(0)->menu();
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions().at(0)->text(), q("关于作者"));
    EXPECT_EQ(menu->actions().at(1)->text(), q("安全短网址下载"));
    EXPECT_EQ(menu->actions().at(2)->text(), q("蓝鲸速取小助手使用教程"));

    {  // 关于作者
        UserScript user(*host_);
        QString caption, message;
        user.whenWindow(WindowId::DonateWindow, [&](DesignedWindow& w) {
            EXPECT_EQ(w.windowTitle(), q("捐赠"));
            EXPECT_EQ(lj::toQString(w.controlText("标签1")), q(" 作者QQ:" LJ_AUTHOR_CONTACT));
            click(w.control("按钮1"));
        });
        user.dismissMessageBox(&caption, &message);
        user.whenWindow(WindowId::DonateWindow, [](DesignedWindow& w) { pressEsc(&w); });
        menuItem(0)->trigger();
        EXPECT_TRUE(user.done());
        EXPECT_EQ(clipboardText(), q(LJ_FEEDBACK_EMAIL));
        EXPECT_EQ(caption, q("温馨提示"));
        EXPECT_EQ(message, q("邮箱已复制剪切板"));
    }
    {  // 安全短网址下载: replaces an older file of the same name
        const QString target = QDir(folder_.path()).filePath(q("安全短网址生成器.txt"));
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older, longer file that must be replaced entirely");
        old.close();
        UserScript user(*host_);
        QString caption, message;
        user.dismissMessageBox(&caption, &message);
        menuItem(1)->trigger();
        EXPECT_TRUE(user.done());
        EXPECT_EQ(caption, q("信息："));
        EXPECT_EQ(message, q("下载完成，请到根目录查看"));
        const QByteArray expected = standinFile(LJ_SHORTLINK_FILE_ID, LJ_SHORTLINK_NOTE_KEY);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(readFile(target), expected);
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files).size(), 1)
            << "a temporary file was left behind";
    }
    {  // 蓝鲸速取小助手使用教程
        BrowserStandIn browser;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
        menuItem(2)->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        ASSERT_EQ(browser.opened.size(), 1);
        EXPECT_EQ(browser.opened.at(0).toString(QUrl::FullyEncoded).toStdString(),
                  directLinkFor(LJ_TUTORIAL_FILE_ID, LJ_TUTORIAL_SHARE_KEY));
    }
    EXPECT_TRUE(main.isEnabled());
}

// ---- Files ---------------------------------------------------------------------------

TEST_F(QtHostTest, WriteBytesToFileTakesOnlyBareNamesAndKeepsEveryCharacter) {
    struct Case {
        const char* utf8Name;
        bool written;
    };
    const Case cases[] = {
        {"会议纪要 2026.txt", true}, {"旅行照片.zip", true}, {"", false},
        {"a\\b.txt", false},         {"c:evil.txt", false},  {"..", false},
        {"sub/evil.txt", false},     {"../evil.txt", false},
    };
    const lj::bytes data{'x', 0, 'y'};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8Name);
        const lj::text name = lj::toText(q(c.utf8Name));
        EXPECT_EQ(host_->writeBytesToFile(name, data), c.written);
        if (c.written) {
            EXPECT_EQ(readFile(QDir(folder_.path()).filePath(q(c.utf8Name))), QByteArray("x\0y", 3));
        }
    }
    EXPECT_TRUE(host_->writeBytesToFile(lj::toText(q("空.bin")), {}));
    EXPECT_TRUE(QFile::exists(QDir(folder_.path()).filePath(q("空.bin"))));
    EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files).size(), 3);
    EXPECT_FALSE(QFile::exists(QDir(folder_.path()).filePath(q("../evil.txt"))));
}

// ---- How the program ends (each in a process of its own) ---------------------------

// Where the death tests' program writes: fixed, so the child process (which
// runs this test again from the start) and the parent agree on it.
QString exitFolder() {
    const QString folder = QStringLiteral(LJ_QT_TEST_FOLDER);
    return folder;
}

void emptyExitFolder() {
    QDir(exitFolder()).removeRecursively();
    QDir().mkpath(exitFolder());
}

[[noreturn]] void runProgram(const std::function<void(lj::QtHost&, UserScript&)>& script) {
    // The child's stderr is matched whole: only the program's own lines.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    lj::QtHost host(exitFolder());
    UserScript user(host);
    script(host, user);
    host.registerExitRoutine(+[] { std::fprintf(stderr, "exit routines ran\n"); });
    const int code = lj::programMain(host);
    std::fprintf(stderr, "programMain returned %d\n", code);
    host.runExitRoutines();
    std::fflush(nullptr);
    std::_Exit(code);
}

void reportBox(lj::QtHost& host, QMessageBox& box) {
    const DesignedWindow* main = host.window(WindowId::MainWindow);
    std::fprintf(stderr, "box [%s] %s; main window shown: %s\n", box.windowTitle().toUtf8().constData(),
                 box.text().toUtf8().constData(), main && main->isVisible() ? "yes" : "no");
    box.accept();
}

TEST_F(QtHostTest, OfflineStartWarnsBeforeAnyWindowAndEndsWithCodeZero) {
    standinOverride("/generate_204", "mode=close");
    EXPECT_EXIT(runProgram([](lj::QtHost& host, UserScript& user) {
                    user.whenMessageBox([&host](QMessageBox& box) {
                        EXPECT_EQ(box.icon(), QMessageBox::Warning);
                        reportBox(host, box);
                    });
                }),
                ::testing::ExitedWithCode(0),
                "box \\[警告！！！\\] 当前没有检测到网络连接，请检查网络后重试; main window shown: no\n"
                "exit routines ran\n$");
}

TEST_F(QtHostTest, UpdatePromptYesWritesTheNewExecutableAndEnds) {
    emptyExitFolder();
    const char* newName = "蓝鲸速取小助手v1.4.exe";
    standinOverride(noteApiPath(LJ_UPDATE_NOTE_KEY), "title=" + pct(newName));
    EXPECT_EXIT(runProgram([](lj::QtHost& host, UserScript& user) {
                    user.whenWindow(WindowId::UpdatePromptWindow,
                                    [](DesignedWindow& w) { click(w.control("按钮1")); });
                    user.whenMessageBox([&host](QMessageBox& box) { reportBox(host, box); });
                }),
                ::testing::ExitedWithCode(0),
                "box \\[信息：\\] 更新完成，请到根目录查看; main window shown: no\nexit routines ran\n$");
    const QByteArray expected = standinFile(LJ_UPDATE_FILE_ID, LJ_UPDATE_NOTE_KEY);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(readFile(QDir(exitFolder()).filePath(q(newName))), expected);
}

TEST_F(QtHostTest, UpdatePromptNoEndsWithoutWritingAnything) {
    emptyExitFolder();
    standinOverride(noteApiPath(LJ_UPDATE_NOTE_KEY), "title=" + pct("蓝鲸速取小助手v1.4.exe"));
    EXPECT_EXIT(runProgram([](lj::QtHost&, UserScript& user) {
                    user.whenWindow(WindowId::UpdatePromptWindow,
                                    [](DesignedWindow& w) { click(w.control("按钮2")); });
                }),
                ::testing::ExitedWithCode(0), "^exit routines ran\n$");
    EXPECT_EQ(QDir(exitFolder()).entryList(QDir::Files), QStringList());
}

// The entry point returns first; the host then runs the exit routines.
TEST_F(QtHostTest, ClosingMainWindowEndsTheMessageLoopAndRunsTheExitRoutinesOnce) {
    EXPECT_EXIT(runProgram([](lj::QtHost&, UserScript& user) {
                    user.whenWindow(WindowId::MainWindow, [](DesignedWindow& w) { w.close(); });
                }),
                ::testing::ExitedWithCode(0), "^programMain returned 0\nexit routines ran\n$");
}

// The program itself, as started from its executable: what it shows first.
TEST_F(QtHostTest, TheExecutableWarnsOfflineBeforeAnyWindowAndOtherwiseShowsMainWindow) {
    struct Case {
        const char* what;
        const char* checkPageMode;  // override of the connectivity check page, or none
        const char* firstShown;
    };
    const Case cases[] = {
        {"offline", "close", "message box [警告！！！] 当前没有检测到网络连接，请检查网络后重试"},
        {"online", nullptr, "shown MainWindow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        standinReset();
        if (c.checkPageMode) standinOverride("/generate_204", std::string("mode=") + c.checkPageMode);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LJ_QT_TRACE"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(LJ_LANJING_EXE), {});
        ASSERT_TRUE(program.waitForStarted());
        QByteArray trace;
        // The first thing the user sees: a message box or a window.
        QElapsedTimer clock;
        clock.start();
        while (!trace.contains("lanjing: shown ") && !trace.contains("lanjing: message box [") &&
               clock.elapsed() < 30000) {
            program.waitForReadyRead(200);
            trace += program.readAllStandardError();
        }
        program.kill();
        program.waitForFinished();
        const QString traced = QString::fromUtf8(trace);
        EXPECT_TRUE(traced.contains(QStringLiteral("lanjing: ") + q(c.firstShown))) << traced.toStdString();
        EXPECT_EQ(traced.count(QStringLiteral("lanjing: shown ")) +
                      traced.count(QStringLiteral("lanjing: message box [")),
                  1)
            << traced.toStdString();
    }
}

}  // namespace

#include "qt_host_test.moc"
