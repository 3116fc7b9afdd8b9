#include "hosts/qt/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

#include "app/file_names.h"
#include "app/program_config.h"
#include "hosts/qt/designed_window.h"
#include "hosts/qt/qt_text.h"
#include "web/http_get.h"

namespace lj {

namespace {

// Message box style bits, as the program passes them.
constexpr int mbButtonsMask = 0x0F;
constexpr int mbIconMask = 0xF0;
constexpr int mbSystemModal = 4096;
constexpr int mbTaskModal = 8192;

// With LJ_QT_TRACE set, what the user would see goes to stderr one line at a
// time: the run command and the process tests follow the program by it.
void trace(const QString& line) {
    static const bool on = !qEnvironmentVariableIsEmpty("LJ_QT_TRACE");
    if (!on) return;
    std::fprintf(stderr, "lanjing: %s\n", line.toUtf8().constData());
    std::fflush(stderr);
}

// Where the user would click, relative to the window's own origin, so a
// script can drive the real windows (xdotool mousemove --window).
void traceLayout(const DesignedWindow& w) {
    const QString window = QString::fromUtf8(w.design().name);
    auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    if (const QMenuBar* bar = w.designMenuBar()) {
        for (QAction* a : bar->actions())
            trace(QStringLiteral("menu %1 %2 %3")
                      .arg(window, a->text(), rect(bar->actionGeometry(a).translated(bar->pos()))));
    }
    for (const lj::ControlDesign& c : w.design().controls) {
        const QWidget* cw = w.control(c.name);
        trace(QStringLiteral("control %1 %2 %3")
                  .arg(window, QString::fromUtf8(c.name),
                       rect(QRect(cw->mapTo(&w, QPoint(0, 0)), cw->size()))));
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & mbIconMask) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttonsFor(int style) {
    switch (style & mbButtonsMask) {
        case 1:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case 2:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case 3:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case 4:
            return QMessageBox::Yes | QMessageBox::No;
        case 5:
            return QMessageBox::Retry | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

// The result as MessageBoxA gives it (IDOK, IDCANCEL, ...).
int resultFor(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return 1;
        case QMessageBox::Cancel:
            return 2;
        case QMessageBox::Abort:
            return 3;
        case QMessageBox::Retry:
            return 4;
        case QMessageBox::Ignore:
            return 5;
        case QMessageBox::Yes:
            return 6;
        case QMessageBox::No:
            return 7;
        default:
            return 2;  // closed by Esc
    }
}

// While the program waits on the network, no click, key, menu choice, drop
// or close may reach a handler. Input is thrown away rather than held back:
// a click made during the wait must not fire once it is over.
class InputBlocker final : public QObject {
protected:
    bool eventFilter(QObject* target, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::NonClientAreaMouseButtonPress:
            case QEvent::NonClientAreaMouseButtonRelease:
            case QEvent::NonClientAreaMouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::InputMethod:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletRelease:
            case QEvent::TabletMove:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return true;
            case QEvent::Close:
                return target->isWindowType() ||
                       (target->isWidgetType() && static_cast<QWidget*>(target)->isWindow());
            default:
                return false;
        }
    }
};

void blockInput(QObject& blocker, bool on) {
    if (on) {
        qApp->installEventFilter(&blocker);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QGuiApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&blocker);
    }
}

}  // namespace

QtHost::QtHost(QString executableFolder) : executableFolder_(std::move(executableFolder)) {}

QtHost::~QtHost() {
    // Windows outliving the host (tests) must not call back into it.
    while (!windows_.empty()) delete windows_.back();
}

void QtHost::prepareApplication() {
    // The designs name only heights and weights in the system's default face;
    // that face must be able to draw Chinese.
    const QString chinese = QStringLiteral("WenQuanYi Micro Hei");
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(chinese)) {
        font.setFamilies({chinese, font.family()});
        QApplication::setFont(font);
    }
    // The program decides when it ends (the last window destroyed, or
    // exitProgram); an automatic quit would break out of nested loops.
    QApplication::setQuitOnLastWindowClosed(false);
}

QIcon QtHost::programIcon() {
    for (const char* name : {":/lanjing.ico", ":/lanjing-256.png"}) {
        if (QFile::exists(QString::fromLatin1(name))) return QIcon(QString::fromLatin1(name));
    }
    return {};
}

// ---- Start-up ----------------------------------------------------------------

void QtHost::initialiseHost() {
    const QString folder =
        executableFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : executableFolder_;
    QDir::setCurrent(folder);
}

void QtHost::registerExitRoutine(void (*routine)()) { exitRoutines_.add(routine); }

void QtHost::runExitRoutines() { exitRoutines_.runOnce(); }

void QtHost::runMessageLoop() {
    if (!windows_.empty()) {
        QEventLoop loop;
        messageLoop_ = &loop;
        loop.exec();
        messageLoop_ = nullptr;
    }
}

// ---- Windows -----------------------------------------------------------------

DesignedWindow* QtHost::window(WindowId id) const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if ((*it)->design().id == id) return *it;
    return nullptr;
}

void QtHost::forgetWindow(DesignedWindow* w) {
    std::erase(windows_, w);
    if (windows_.empty() && messageLoop_) messageLoop_->quit();
}

bool QtHost::loadWindow(WindowId id, std::optional<WindowId> owner, bool modal) {
    DesignedWindow* ownerWindow = nullptr;
    if (owner) {
        ownerWindow = window(*owner);
        if (!ownerWindow) return false;
    }
    const WindowDesign& design = windowDesign(id);
    auto* w = new DesignedWindow(design, *this);
    windows_.push_back(w);
    QObject::connect(w, &QObject::destroyed,
                     [name = QString::fromUtf8(design.name)] { trace(QStringLiteral("closed ") + name); });
    w->setOwner(ownerWindow);
    const QPointer<DesignedWindow> alive(w);
    const QPointer<DesignedWindow> ownerAlive(ownerWindow);

    if (design.onCreated) design.onCreated(*this);
    if (!alive) return true;

    // Modal: every other window is disabled until this one is gone, then
    // gets back the state it had.
    std::vector<std::pair<QPointer<DesignedWindow>, bool>> disabled;
    if (modal) {
        for (DesignedWindow* other : windows_) {
            if (other == w) continue;
            disabled.emplace_back(other, other->isEnabled());
            other->setEnabled(false);
        }
    }
    w->showDesigned();
    w->activateWindow();
    trace(QStringLiteral("shown ") + QString::fromUtf8(design.name));
    traceLayout(*w);
    if (!modal) return true;

    QEventLoop loop;
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (alive) loop.exec();
    for (auto& [other, wasEnabled] : disabled)
        if (other) other->setEnabled(wasEnabled);
    if (ownerAlive && ownerAlive->isVisible() && ownerAlive->isEnabled()) ownerAlive->activateWindow();
    return true;
}

int QtHost::messageBox(const text& message, int style, const text& title, std::optional<WindowId> owner) {
    if (!(style & mbSystemModal)) style |= mbTaskModal;
    QMessageBox box(iconFor(style), title.empty() ? QString::fromUtf8("信息：") : toQString(title),
                    toQString(message), buttonsFor(style));
    box.setTextFormat(Qt::PlainText);
    // Task-modal (and system-modal, the nearest Qt has): no window of the
    // program takes input until the box is dismissed.
    box.setWindowModality(Qt::ApplicationModal);
    if (DesignedWindow* ownerWindow = owner ? window(*owner) : nullptr) {
        ownerWindow->winId();
        box.winId();
        box.windowHandle()->setTransientParent(ownerWindow->windowHandle());
    }
    trace(QStringLiteral("message box [") + box.windowTitle() + QStringLiteral("] ") + box.text());
    const int button = box.exec();
    trace(QStringLiteral("message box dismissed"));
    return resultFor(button);
}

text QtHost::readControlText(WindowId id, const char* control) {
    const DesignedWindow* w = window(id);
    return w ? w->controlText(control) : text{};
}

void QtHost::writeControlText(WindowId id, const char* control, const text& value) {
    if (DesignedWindow* w = window(id)) w->setControlText(control, value);
}

void QtHost::runHandler(Handler handler) {
    if (handler && !isWaiting()) handler(*this);
}

// ---- Clipboard -----------------------------------------------------------------

text QtHost::getClipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? toText(clipboard->text()) : text{};
}

bool QtHost::setClipboardText(const text& value) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    const QString s = toQString(value);
    clipboard->setText(s);
    // Qt reports no failure of its own: the clipboard took the text when it
    // gives it back.
    return clipboard->text() == s;
}

// ---- Files, browser, network -------------------------------------------------------

bytes QtHost::httpGetBytes(const text& url, DownloadOutcome* outcome) {
    const text target = url;
    bytes body;
    DownloadOutcome got;
    waitForNetwork([&target, &body, &got] { body = lj::httpGetBytes(target, &got); });
    if (outcome) *outcome = got;
    return body;
}

bool QtHost::writeBytesToFile(const text& fileName, const bytes& data) {
    if (!isBareFileName(fileName, false)) return false;
    // The new content goes to a temporary file beside the target, which
    // replaces the target only once it is complete.
    QSaveFile file(QDir::current().absoluteFilePath(toQString(fileName)));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const qint64 size = static_cast<qint64>(data.size());
    if (size > 0 && file.write(reinterpret_cast<const char*>(data.data()), size) != size) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

void QtHost::openUrlInBrowser(const text& url) {
    if (url.empty()) return;
    QDesktopServices::openUrl(QUrl(toQString(url), QUrl::TolerantMode));
}

bool QtHost::isConnectedToInternet() {
    const text page = checkPageUrl();
    bool connected = false;
    waitForNetwork([&page, &connected] { connected = lj::isConnectedToInternet(page); });
    return connected;
}

void QtHost::exitProgram(int code) {
    runExitRoutines();
    std::fflush(nullptr);
    std::_Exit(code);
}

void QtHost::waitForNetwork(const std::function<void()>& work) {
    // The work runs on its own thread while this one keeps dispatching, so
    // the windows keep painting; the blocker keeps every user action away
    // from the handlers meanwhile.
    InputBlocker blocker;
    blockInput(blocker, true);
    ++waitDepth_;
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    while (!done.load()) loop.exec();
    worker.join();
    --waitDepth_;
    blockInput(blocker, false);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace lj
