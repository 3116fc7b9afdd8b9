// Network waits on the Qt host: while a request stalls, the windows keep
// painting, but no click, key, menu choice or close reaches the program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "lj_config.h"
#include "qt_test_support.h"

using lj::DesignedWindow;
using lj::WindowId;
using namespace ljtest;

namespace {

class PaintCounter : public QObject {
public:
    explicit PaintCounter(const lj::QtHost& host) : host_(host) {}
    int paintsDuringWait = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && host_.isWaiting()) ++paintsDuringWait;
        return false;
    }

private:
    const lj::QtHost& host_;
};

TEST(QtWaitTest, AStalledRequestKeepsPaintingAndLetsNoInputThrough) {
    ensureApplication();
    standinReset();
    QTemporaryDir folder;
    lj::QtHost host(folder.path());
    host.initialiseHost();
    host.loadWindow(WindowId::MainWindow, std::nullopt, false);
    DesignedWindow& main = *host.window(WindowId::MainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    const std::string key = "0123456789abcdef0123456789abcdef";
    const int stallMs = 10000;
    standinOverride(noteApiPath(key), "mode=stall&after=5&ms=" + std::to_string(stallMs));
    auto* linkBox = qobject_cast<QLineEdit*>(main.control("编辑框1"));
    linkBox->setText(QString::fromStdString(std::string(LJ_NOTE_SERVICE_BASE) + "/noteshare?id=" + key));

    // Instruments: paint events and the GUI thread's longest silence while
    // the program waits, sampled by a 10 ms timer.
    PaintCounter paints(host);
    main.installEventFilter(&paints);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
        if (host.isWaiting()) main.update();
    });
    repaint.start(50);
    QElapsedTimer clock;
    clock.start();
    qint64 last = -1, longestGap = 0, waitStart = -1, waitEnd = -1;
    bool sawBusyCursor = false;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (!host.isWaiting()) {
            if (waitStart >= 0 && waitEnd < 0) waitEnd = now;
            last = -1;
            return;
        }
        if (waitStart < 0) waitStart = now;
        if (last >= 0) longestGap = std::max(longestGap, now - last);
        last = now;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        sawBusyCursor = sawBusyCursor || (cursor && cursor->shape() == Qt::WaitCursor);
    });
    sampler.start(10);

    // The user, a second into the wait: "获取" again, the menu, Esc, the close box.
    bool acted = false, menuOpened = false, closedDuringWait = false;
    QTimer::singleShot(1000, [&] {
        acted = host.isWaiting();
        if (!qEnvironmentVariableIsSet("NOCLICK")) click(main.control("按钮2"));
        QMenuBar* bar = main.designMenuBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().at(0)).center());
        menuOpened = QApplication::activePopupWidget() != nullptr;
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        pressEsc(linkBox);
        main.close();
        closedDuringWait = host.window(WindowId::MainWindow) == nullptr || !main.isVisible();
    });

    UserScript user(host, 60000);
    user.whenWindow(WindowId::DirectLinkWindow, [](DesignedWindow& w) { pressEsc(&w); });
    click(main.control("按钮2"));
    EXPECT_TRUE(user.done());
    QTest::qWait(300);  // anything held back would arrive now

    EXPECT_TRUE(acted) << "the user acted after the wait, not during it";
    EXPECT_GT(paints.paintsDuringWait, 0);
    EXPECT_TRUE(sawBusyCursor);
    EXPECT_FALSE(menuOpened);
    EXPECT_FALSE(closedDuringWait);
    EXPECT_EQ(host.window(WindowId::MainWindow), &main);
    EXPECT_EQ(host.window(WindowId::DirectLinkWindow), nullptr) << "the second click opened another window";
    EXPECT_EQ(standinCount(noteApiPath(key)), 1) << "the click during the wait made a second request";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    std::printf("stalled request: wait of %lld ms; longest unanswered stretch of the GUI thread: %lld ms\n",
                static_cast<long long>(waitEnd - waitStart), static_cast<long long>(longestGap));
    ::testing::Test::RecordProperty("longest_gui_gap_ms", static_cast<int>(longestGap));
    standinReset();
}

}  // namespace
