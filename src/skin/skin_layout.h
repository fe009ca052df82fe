#pragma once
// Where the controls of each skinned window sit, in pixels from the window's
// top-left corner. The skin pictures are drawn around these spots (title
// strip, panels, dividers), so windows built on them line up with their
// artwork.

#include <QPoint>
#include <QRect>

namespace varnel::layout {

namespace editor {  // the group editor, 401 x 250, "\Build\window.gif"
inline constexpr QPoint closeButton{374, 6};
inline constexpr QPoint minimizeButton{352, 6};
// The main buttons (add, change, save) in the left column; the marker slides
// beside the first two.
inline constexpr int mainButtonsLeft = 22;
inline constexpr int mainButtonsTop[3] = {36, 68, 100};
// The programs of the group shown, under the main buttons.
inline constexpr int programsButtonTop = 132;
inline constexpr int markerLeft = 8;
inline constexpr int markerTop[2] = {41, 73};
// The white panel on the right: group name on top, five places below.
inline constexpr QRect groupCombo{132, 46, 214, 22};
inline constexpr QPoint deleteButton{354, 46};
inline constexpr QRect placeEdit(int i) { return {132, 82 + 30 * i, 214, 22}; }
inline constexpr QPoint browseButton(int i) { return {354, 82 + 30 * i}; }
}  // namespace editor

namespace update {  // the update window, 401 x 250, "\Build\UpdateWindow.gif"
inline constexpr QPoint closeButton{375, 5};
inline constexpr QRect statusLabel{24, 50, 300, 18};
inline constexpr QRect messageLabel{24, 72, 300, 44};
inline constexpr QRect fileLabels{24, 130, 352, 18};
inline constexpr QRect progressBars{24, 154, 352, 18};
inline constexpr QPoint checkButton{60, 208};
inline constexpr QPoint updateButton{160, 208};
inline constexpr QPoint cancelButton{260, 208};
}  // namespace update

namespace splash {  // the splash and About window, 299 x 147, "\build\splash.gif": a light band at the foot
inline constexpr QRect versionLabel{12, 122, 140, 16};
inline constexpr QRect webAddressLabel{150, 122, 137, 16};
}  // namespace splash

}  // namespace varnel::layout
