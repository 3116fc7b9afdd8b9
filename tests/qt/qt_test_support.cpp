#include "qt_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

#include "lj_config.h"
#include "web/http_get.h"

namespace ljtest {

void ensureApplication() {
    if (QApplication::instance()) return;
    // Where Qt would make one itself, with a warning on stderr.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime =
            QDir::tempPath() + QStringLiteral("/lj-qt-test-runtime-") + QString::number(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    }
    static int argc = 1;
    static char name[] = "qt_host_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    lj::QtHost::prepareApplication();
}

std::string standinBase() { return "http://127.0.0.1:" + std::to_string(LJ_STANDIN_PORT); }

std::string pct(std::string_view raw) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : raw) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

lj::bytes standinGet(const std::string& pathAndQuery) {
    return lj::httpGetBytes(standinBase() + pathAndQuery);
}

void standinReset() { standinGet("/_standin/reset"); }

void standinOverride(std::string_view path, const std::string& settings) {
    standinGet("/_standin/override?path=" + pct(path) + "&" + settings);
}

int standinCount(std::string_view path) {
    const lj::bytes b = standinGet("/_standin/count?path=" + pct(path));
    return std::stoi(std::string(b.begin(), b.end()).empty() ? "-1" : std::string(b.begin(), b.end()));
}

std::string noteApiPath(std::string_view key) { return "/yws/public/note/" + std::string(key); }

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
void pressEsc(QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }

UserScript::UserScript(lj::QtHost& host, int deadlineMs)
    : host_(host), deadline_(QDateTime::currentMSecsSinceEpoch() + deadlineMs) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start();
}

UserScript::~UserScript() { timer_.stop(); }

void UserScript::whenWindow(lj::WindowId id, std::function<void(lj::DesignedWindow&)> act) {
    steps_.push_back({[this, id] {
                          lj::DesignedWindow* w = host_.window(id);
                          return w && w->isVisible() && w->isEnabled() && !host_.isWaiting();
                      },
                      [this, id, act] { act(*host_.window(id)); }});
}

void UserScript::whenMessageBox(std::function<void(QMessageBox&)> act) {
    steps_.push_back({[] {
                          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                          return box && box->isVisible();
                      },
                      [act] { act(*qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }});
}

void UserScript::dismissMessageBox(QString* caption, QString* message) {
    whenMessageBox([caption, message](QMessageBox& box) {
        if (caption) *caption = box.windowTitle();
        if (message) *message = box.text();
        box.accept();
    });
}

void UserScript::tick() {
    if (pending_) return;
    if (QDateTime::currentMSecsSinceEpoch() > deadline_) {
        if (!timedOut_) ADD_FAILURE() << "the scripted user waited in vain for step " << next_ + 1;
        timedOut_ = true;
        unblock();
        return;
    }
    if (done() || !steps_[next_].ready()) return;
    // The action runs from its own queued call: it may open a window or a
    // message box whose nested loop must keep this timer ticking.
    pending_ = true;
    QTimer::singleShot(0, &timer_, [this, act = steps_[next_++].act] {
        pending_ = false;
        act();
    });
}

void UserScript::unblock() {
    if (auto* modal = QApplication::activeModalWidget()) {
        modal->close();
        return;
    }
    for (lj::WindowId id :
         {lj::WindowId::DirectLinkWindow, lj::WindowId::DonateWindow, lj::WindowId::UpdatePromptWindow})
        if (lj::DesignedWindow* w = host_.window(id); w && w->isEnabled()) w->close();
}

}  // namespace ljtest
