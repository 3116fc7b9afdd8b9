// Shared pieces of the Qt host tests: the application on the offscreen
// platform, the stand-in's control routes, and a scripted user who acts on
// windows and message boxes as they come up (they block their caller, so the
// user acts from timers inside their nested loops).
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/qt/designed_window.h"
#include "hosts/qt/qt_host.h"
#include "hosts/qt/qt_text.h"
#include "text/text.h"

namespace ljtest {

// The one QApplication of the test process, set up as the program sets it up.
void ensureApplication();

inline QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// ---- Stand-in note service -------------------------------------------------------
std::string standinBase();              // "http://127.0.0.1:<port>"
std::string pct(std::string_view raw);  // percent-encodes every byte but unreserved ones
lj::bytes standinGet(const std::string& pathAndQuery);
void standinReset();
// `settings`: further query parameters, already encoded ("mode=stall&ms=3000").
void standinOverride(std::string_view path, const std::string& settings);
int standinCount(std::string_view path);
std::string noteApiPath(std::string_view key);  // "/yws/public/note/<key>"

// ---- Acting as the user ----------------------------------------------------------
void click(QWidget* w);
void pressEsc(QWidget* w);

// Steps run in the order given, each once its window or message box is up
// (and no network wait is running). Past the deadline the script records a
// failure and closes whatever is modal, so a broken program cannot hang the
// suite.
class UserScript {
public:
    explicit UserScript(lj::QtHost& host, int deadlineMs = 30000);
    ~UserScript();

    void whenWindow(lj::WindowId id, std::function<void(lj::DesignedWindow&)> act);
    void whenMessageBox(std::function<void(QMessageBox&)> act);
    // Dismisses the next message box, remembering its caption and text.
    void dismissMessageBox(QString* caption = nullptr, QString* message = nullptr);

    bool done() const { return next_ == steps_.size(); }
    bool timedOut() const { return timedOut_; }

private:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void tick();
    void unblock();

    lj::QtHost& host_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    bool pending_ = false;
    bool timedOut_ = false;
    QTimer timer_;
    qint64 deadline_;
};

}  // namespace ljtest
