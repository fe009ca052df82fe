#pragma once
// The look of the plain Qt controls that lie on skin pictures (text boxes,
// the group list, progress bars), in the skin's colours. A skinned window
// applies it to itself with setStyleSheet(skinStyleSheet()).

#include <QColor>
#include <QString>

namespace varnel {

QString skinStyleSheet();

// Text colour of labels on the light body of a skin picture.
inline QColor skinInkColour() { return QColor(38, 50, 66); }

}  // namespace varnel
