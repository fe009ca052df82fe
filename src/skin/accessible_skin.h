#pragma once
// What screen readers are told about the skin: skin buttons and clickable
// labels are push buttons (or links) with a Press action, skinned windows are
// frames, dialogs or, for the alert box, alerts.

class QWidget;

namespace varnel {

// Installs the skin's accessibility factory once; every skin button and
// skinned window calls it before anyone can ask about them.
void installSkinAccessibility();

// Drops an accessible interface made for `widget` before it became a keyboard
// control, so that the next question gets the skin's.
void renewAccessibleInterface(QWidget* widget);

}  // namespace varnel
