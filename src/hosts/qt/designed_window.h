// One window of the program, built from its design: the frame and caption
// bar, the menu bar, and the controls placed in the client area.
#pragma once

#include <QMargins>
#include <QWidget>
#include <string_view>
#include <utility>
#include <vector>

#include "text/text.h"
#include "ui/design.h"

class QMenuBar;

namespace lj {

class QtHost;

class DesignedWindow final : public QWidget {
public:
    DesignedWindow(const WindowDesign& design, QtHost& host);
    ~DesignedWindow() override;

    const WindowDesign& design() const { return design_; }
    // The area the design's control places refer to: below the menu bar,
    // inside the frame.
    QWidget* clientArea() const { return client_; }
    QMenuBar* designMenuBar() const { return menuBar_; }
    QWidget* control(std::string_view name) const;

    // An edit box's content or a label's caption; "" for anything else.
    text controlText(std::string_view name) const;
    void setControlText(std::string_view name, const text& value);

    // Keeps the window above `owner` without making it a child of it, so
    // disabling the owner leaves this window enabled.
    void setOwner(QWidget* owner);
    // Shows the window with its designed outer size, centred on the screen.
    void showDesigned();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    // The client size follows from the frame margins the window system
    // reports, which are known only once the window is mapped; refits and
    // re-centres whenever they change.
    void fitToOuterSize();

    const WindowDesign& design_;
    QtHost& host_;
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    std::vector<std::pair<std::string_view, QWidget*>> controls_;
    QMargins fittedMargins_{-1, -1, -1, -1};
    bool shown_ = false;
};

}  // namespace lj
