#include "skin/accessible_skin.h"

#include <QAccessibleWidget>
#include <QLabel>

#include "skin/keyboard_control.h"
#include "skin/message_boxes.h"
#include "skin/skin_window.h"

namespace varnel {

namespace {

// A skin button or clickable label: named by its accessible name (a skin
// button's caption is kept there) or its text, pressed through the control's
// own click. Its pictures and caption label are not separate objects.
class AccessiblePressable : public QAccessibleWidget {
public:
    explicit AccessiblePressable(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}

    QAccessible::Role role() const override {
        const KeyboardControl* k = KeyboardControl::of(widget());
        return k ? k->role() : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto* label = qobject_cast<const QLabel*>(widget())) return label->text();
        }
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) return QAccessibleWidget::doAction(action);
        if (KeyboardControl* k = KeyboardControl::of(widget())) k->animateClick();
    }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction()) return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }
};

// A skinned window: the alert box is an alert, windows made as dialogs
// (the boxes, the update window) are dialogs, the others frames.
class AccessibleSkinWindow : public QAccessibleWidget {
public:
    explicit AccessibleSkinWindow(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}

    QAccessible::Role role() const override {
        if (qobject_cast<const AlertBox*>(widget())) return QAccessible::AlertMessage;
        if (widget()->windowType() == Qt::Dialog) return QAccessible::Dialog;
        return QAccessible::Window;
    }
};

QAccessibleInterface* skinAccessibleFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (KeyboardControl::of(widget)) return new AccessiblePressable(widget);
    if (qobject_cast<SkinWindow*>(widget) && widget->isWindow()) return new AccessibleSkinWindow(widget);
    return nullptr;
}

}  // namespace

void installSkinAccessibility() {
    static const bool installed = (QAccessible::installFactory(skinAccessibleFactory), true);
    Q_UNUSED(installed);
}

void renewAccessibleInterface(QWidget* widget) {
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (iface && !dynamic_cast<AccessiblePressable*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace varnel
