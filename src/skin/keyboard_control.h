#pragma once
// Makes a skin control (a skin button, a clickable label) usable from the
// keyboard: Tab reaches it, Space presses it like a push button (pressed look
// while held, the click on release), Enter clicks it, and while it has the
// keyboard focus a dotted rectangle in the skin's ink marks it. Mouse users
// never see the mark: a click does not move the focus to the control.

#include <QAccessible>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>

namespace varnel {

class KeyboardControl : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(bool down)> showDown;  // the pressed look; may be empty
        std::function<void()> click;               // what a click on the control does
    };

    // Attaches to `control` (which owns it). `role` is what screen readers
    // are told the control is: a push button or a link.
    static KeyboardControl* attach(QWidget* control, Actions actions, QAccessible::Role role = QAccessible::Button);
    // The keyboard control attached to `control`, or nullptr.
    static KeyboardControl* of(const QObject* control);

    QAccessible::Role role() const { return role_; }
    void setMarkColour(const QColor& colour);
    // Whether the focus mark is on screen now.
    bool markShown() const;

    // The click as a key gives it: at once, inside the key's event.
    void click();
    // The click as assistive technology asks for it: the pressed look for a
    // moment, then the click, after the request has been answered (a click
    // may open a modal box).
    void animateClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyboardControl(QWidget* control, Actions actions, QAccessible::Role role);
    void showDown(bool down);
    void updateMark();

    QWidget* control_;
    QWidget* mark_;
    Actions actions_;
    QAccessible::Role role_;
    bool keyboardFocus_ = false;
    bool spaceDown_ = false;
    bool clickPending_ = false;
};

// Tab order through `widgets`, in that order (the focus chain runs on from
// the last to whatever followed it before).
void setTabOrderChain(std::initializer_list<QWidget*> widgets);

}  // namespace varnel
