#pragma once
// How a group the organisation manages is marked in a menu: a lock before
// it and the word for "managed" after it, which screen readers read too.

#include <QAction>
#include <QIcon>

namespace varnel {

// A padlock drawn in the menu's text colour.
QIcon lockIcon(const QColor& ink);

// Marks the menu item `action` as a managed group's, or takes the mark off.
void markManaged(QAction* action, bool managed);

}  // namespace varnel
