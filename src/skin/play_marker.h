#pragma once
// The editor's mode marker: a small arrow in the skin's accent colour
// pointing at the active main button.

#include <QPixmap>

namespace varnel {

QPixmap playMarkerPicture();

}  // namespace varnel
