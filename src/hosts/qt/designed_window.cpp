#include "hosts/qt/designed_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <limits>

#include "hosts/qt/qt_host.h"
#include "hosts/qt/qt_text.h"

namespace lj {

namespace {

QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

QColor backgroundColour(Background b, const QPalette& palette) {
    return b == Background::White ? QColor(Qt::white) : palette.color(QPalette::Button);
}

QFont fontFor(const FontDesign& f) {
    QFont font = QApplication::font();
    if (f.systemGuiFont || f.pixelHeight <= 0) return font;
    font.setPixelSize(f.pixelHeight);
    font.setWeight(QFont::Weight(f.weight));
    return font;
}

// A label draws its caption on one line, left-aligned and vertically
// centred, never wrapped, never read as markup; transparent unless designed
// with a background of its own, and optionally inside a shaded frame.
class DesignLabel final : public QWidget {
public:
    DesignLabel(const ControlDesign& d, QWidget* parent) : QWidget(parent), design_(d) {}

    const QString& caption() const { return caption_; }
    void setCaption(const QString& s) {
        caption_ = s;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (design_.background == Background::White) p.fillRect(rect(), Qt::white);
        paintShadedFrame(p);
        p.setPen(toQColor(design_.textColour));
        p.setFont(font());
        p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption_);
    }

private:
    // Concentric one-pixel rings from the outer edge inwards, each a blend
    // along the designed colours.
    void paintShadedFrame(QPainter& p) const {
        const auto& stops = design_.shadedFrame;
        const int width = design_.shadedFrameWidth;
        if (stops.empty() || width <= 0) return;
        for (int i = 0; i < width; ++i) {
            const double t = width == 1 ? 0.0 : double(i) / (width - 1) * double(stops.size() - 1);
            const size_t k = std::min(size_t(t), stops.size() - 1);
            const size_t k2 = std::min(k + 1, stops.size() - 1);
            const double f = t - double(k);
            const QColor a = toQColor(stops[k]), b = toQColor(stops[k2]);
            const QColor c(int(a.red() + (b.red() - a.red()) * f + 0.5),
                           int(a.green() + (b.green() - a.green()) * f + 0.5),
                           int(a.blue() + (b.blue() - a.blue()) * f + 0.5));
            p.setPen(c);
            p.drawRect(rect().adjusted(i, i, -i - 1, -i - 1));
        }
    }

    const ControlDesign& design_;
    QString caption_;
};

// A picture stretched to fill the whole box, proportions not kept.
class PictureBox final : public QWidget {
public:
    PictureBox(const ControlDesign& d, QWidget* parent)
        : QWidget(parent), picture_(QStringLiteral(":/") + QString::fromUtf8(d.pictureResource)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (picture_.isNull()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), picture_);
    }

private:
    QPixmap picture_;
};

Qt::WindowFlags flagsFor(const WindowDesign& d) {
    // Only the window with a task-bar button is a plain top-level window; the
    // others are dialogs kept above their owner.
    Qt::WindowFlags f = d.taskbarButton ? Qt::Window : Qt::Dialog;
    if (d.frame == Frame::None) return f | Qt::FramelessWindowHint;
    f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (d.minimizeBox) f |= Qt::WindowMinimizeButtonHint;
    if (d.maximizeBox) f |= Qt::WindowMaximizeButtonHint;
    if (d.closeBox) f |= Qt::WindowCloseButtonHint;
    return f;
}

}  // namespace

DesignedWindow::DesignedWindow(const WindowDesign& design, QtHost& host)
    : QWidget(nullptr, flagsFor(design)), design_(design), host_(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::fromUtf8(design.name));
    setWindowTitle(toQString(design.caption));
    if (design.ownIcon) setWindowIcon(QtHost::programIcon());

    QPalette pal = palette();
    pal.setColor(QPalette::Window, backgroundColour(design.background, pal));
    setPalette(pal);
    setAutoFillBackground(true);

    if (!design.menuCaption.empty()) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setNativeMenuBar(false);  // the menu bar belongs to the window's outer size
        QMenu* menu = menuBar_->addMenu(toQString(design.menuCaption));
        for (const MenuItemDesign& item : design.menuItems) {
            const Handler handler = item.onSelected;
            QAction* action = menu->addAction(toQString(item.caption));
            connect(action, &QAction::triggered, this, [this, handler] { host_.runHandler(handler); });
        }
    }
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("clientArea"));
    buildControls();
}

DesignedWindow::~DesignedWindow() { host_.forgetWindow(this); }

void DesignedWindow::buildControls() {
    for (const ControlDesign& c : design_.controls) {
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::Label: {
                auto* label = new DesignLabel(c, client_);
                label->setCaption(toQString(c.textWhenBuilt));
                w = label;
                break;
            }
            case ControlKind::EditBox: {
                auto* edit = new QLineEdit(client_);
                edit->setFrame(true);
                edit->setMaxLength(std::numeric_limits<int>::max());
                QPalette pal = edit->palette();
                pal.setColor(QPalette::Base, backgroundColour(c.background, pal));
                pal.setColor(QPalette::Text, toQColor(c.textColour));
                edit->setPalette(pal);
                edit->setText(toQString(c.textWhenBuilt));
                w = edit;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(toQString(c.textWhenBuilt), client_);
                button->setAutoDefault(false);
                button->setDefault(false);
                if (c.onClicked) {
                    const Handler handler = c.onClicked;
                    connect(button, &QPushButton::clicked, this,
                            [this, handler] { host_.runHandler(handler); });
                }
                w = button;
                break;
            }
            case ControlKind::PictureBox:
                w = new PictureBox(c, client_);
                break;
        }
        w->setObjectName(QString::fromUtf8(c.name));
        w->setFont(fontFor(c.font));
        w->setGeometry(c.x, c.y, c.width, c.height);
        if (c.pointer == Pointer::Hand) w->setCursor(Qt::PointingHandCursor);
        controls_.emplace_back(c.name, w);
    }
}

QWidget* DesignedWindow::control(std::string_view name) const {
    for (const auto& [n, w] : controls_)
        if (n == name) return w;
    return nullptr;
}

text DesignedWindow::controlText(std::string_view name) const {
    QWidget* w = control(name);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return toText(edit->text());
    if (auto* label = dynamic_cast<DesignLabel*>(w)) return toText(label->caption());
    return {};
}

void DesignedWindow::setControlText(std::string_view name, const text& value) {
    QWidget* w = control(name);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(toQString(value));
    else if (auto* label = dynamic_cast<DesignLabel*>(w))
        label->setCaption(toQString(value));
}

void DesignedWindow::setOwner(QWidget* owner) {
    if (!owner) return;
    owner->winId();  // the owner may not have been shown yet (start-up probes)
    winId();
    windowHandle()->setTransientParent(owner->windowHandle());
}

void DesignedWindow::showDesigned() {
    shown_ = true;
    fitToOuterSize();
    show();
    fitToOuterSize();
    // A window manager reports its frame some time after mapping.
    for (int ms : {50, 250}) QTimer::singleShot(ms, this, [this] { fitToOuterSize(); });
}

void DesignedWindow::fitToOuterSize() {
    const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (m == fittedMargins_) return;
    fittedMargins_ = m;
    const QSize inner(design_.outerWidth - m.left() - m.right(), design_.outerHeight - m.top() - m.bottom());
    setFixedSize(inner);
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) {
        const QRect area = s->availableGeometry();
        // For a top-level widget move() places the frame's top-left corner.
        move(area.x() + (area.width() - design_.outerWidth) / 2,
             area.y() + (area.height() - design_.outerHeight) / 2);
    }
}

bool DesignedWindow::event(QEvent* e) {
    // Only these two come back to us: others (a deferred delete) may end
    // with this window gone.
    if (e->type() != QEvent::Show && e->type() != QEvent::Move) return QWidget::event(e);
    const bool handled = QWidget::event(e);
    if (shown_) fitToOuterSize();
    return handled;
}

void DesignedWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    int top = 0;
    if (menuBar_) {
        top = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, width(), top);
    }
    client_->setGeometry(0, top, width(), height() - top);
}

void DesignedWindow::keyPressEvent(QKeyEvent* e) {
    if (design_.escCloses && e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void DesignedWindow::closeEvent(QCloseEvent* e) {
    // A disabled window (another one is modal over it) cannot be closed, and
    // nothing closes while the program waits on the network.
    if (!isEnabled() || host_.isWaiting()) {
        e->ignore();
        return;
    }
    QWidget::closeEvent(e);
}

}  // namespace lj
