#include "skin/keyboard_control.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "skin/accessible_skin.h"
#include "skin/skin_style.h"

namespace varnel {

namespace {

// How long assistive technology's press shows the pressed look, as a click would.
constexpr int kPressedLookMs = 100;

const char* const kAttachedProperty = "varnelKeyboardControl";

// The dotted rectangle over a focused control. It lies on top of the
// control's pictures and lets the mouse through.
class FocusMark : public QWidget {
public:
    explicit FocusMark(QWidget* control) : QWidget(control), colour_(skinInkColour()) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(control->rect());
        hide();
    }
    void setColour(const QColor& colour) {
        colour_ = colour;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPen pen(colour_, 1, Qt::DotLine);
        painter.setPen(pen);
        // Inside the picture's rim: buttons are cut to their outline.
        const int inset = qMin(width(), height()) >= 24 ? 3 : (qMin(width(), height()) >= 18 ? 2 : 0);
        painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
    }

private:
    QColor colour_;
};

bool isKeyboardReason(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

// Focus that leaves and comes back with the window keeps how it came.
bool isWindowReason(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

KeyboardControl::KeyboardControl(QWidget* control, Actions actions, QAccessible::Role role)
    : QObject(control), control_(control), mark_(new FocusMark(control)), actions_(std::move(actions)), role_(role) {
    control_->setFocusPolicy(Qt::TabFocus);
    control_->setProperty(kAttachedProperty, QVariant::fromValue<QObject*>(this));
    control_->installEventFilter(this);
}

KeyboardControl* KeyboardControl::attach(QWidget* control, Actions actions, QAccessible::Role role) {
    installSkinAccessibility();
    auto* k = new KeyboardControl(control, std::move(actions), role);
    renewAccessibleInterface(control);
    return k;
}

KeyboardControl* KeyboardControl::of(const QObject* control) {
    if (!control) return nullptr;
    return qobject_cast<KeyboardControl*>(control->property(kAttachedProperty).value<QObject*>());
}

void KeyboardControl::setMarkColour(const QColor& colour) { static_cast<FocusMark*>(mark_)->setColour(colour); }

bool KeyboardControl::markShown() const { return mark_->isVisible(); }

void KeyboardControl::showDown(bool down) {
    if (actions_.showDown) actions_.showDown(down);
}

void KeyboardControl::click() {
    if (!control_->isEnabled()) return;
    if (actions_.click) actions_.click();
}

void KeyboardControl::animateClick() {
    if (clickPending_ || !control_->isEnabled()) return;
    clickPending_ = true;
    showDown(true);
    QTimer::singleShot(kPressedLookMs, this, [this] {
        clickPending_ = false;
        showDown(false);
        click();
    });
}

void KeyboardControl::updateMark() {
    const bool shown = keyboardFocus_ && control_->hasFocus();
    if (shown) {
        mark_->setGeometry(control_->rect());
        mark_->raise();
    }
    mark_->setVisible(shown);
}

bool KeyboardControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Qt marks a window whose focus the Tab key moved; focus that moves
        // on its own (a control hidden under it) has the Tab reason too.
        const bool keyboardWindow = control_->window()->testAttribute(Qt::WA_KeyboardFocusChange);
        if (isKeyboardReason(reason))
            keyboardFocus_ = keyboardWindow;
        else if (isWindowReason(reason))
            keyboardFocus_ = keyboardFocus_ || keyboardWindow;
        else
            keyboardFocus_ = false;
        updateMark();
        break;
    }
    case QEvent::FocusOut: {
        if (!isWindowReason(static_cast<QFocusEvent*>(event)->reason())) keyboardFocus_ = false;
        if (spaceDown_) {
            spaceDown_ = false;
            showDown(false);
        }
        updateMark();
        break;
    }
    case QEvent::Resize: mark_->setGeometry(control_->rect()); break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        if (key->key() == Qt::Key_Space) {
            if (!key->isAutoRepeat()) {
                spaceDown_ = true;
                showDown(true);
            }
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!key->isAutoRepeat()) click();
            return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->isAutoRepeat() || !spaceDown_) return false;
        spaceDown_ = false;
        showDown(false);
        click();
        return true;
    }
    default: break;
    }
    return false;
}

void setTabOrderChain(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* w : widgets) {
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

}  // namespace varnel
