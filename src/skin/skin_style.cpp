#include "skin/skin_style.h"

#include <QtGlobal>

// The compiled-in pictures live in a static library: make sure the linker
// keeps them. Must stand outside any namespace.
static void initSkinResources() { Q_INIT_RESOURCE(skin); }

namespace varnel {

QString skinStyleSheet() {
    static const bool once = (initSkinResources(), true);
    Q_UNUSED(once);
    // Only control types the skin does not draw itself; labels keep their
    // palettes, so the skin buttons' captions keep their colours.
    return QStringLiteral(R"(
QLineEdit, QComboBox {
    background: #ffffff;
    color: #263242;
    border: 1px solid #c3cdd9;
    border-radius: 3px;
    padding: 0px 5px;
    selection-background-color: #3b89d6;
    selection-color: #ffffff;
}
QLineEdit:focus, QComboBox:focus { border: 1px solid #3b89d6; }
QLineEdit:disabled, QComboBox:disabled { background: #f3f5f8; color: #9aa3ad; border-color: #dde3ea; }
QComboBox::drop-down {
    subcontrol-origin: padding;
    subcontrol-position: center right;
    width: 18px;
    border: none;
    border-left: 1px solid #dde3ea;
}
QComboBox::down-arrow { image: url(:/skin/combo_arrow.png); width: 9px; height: 5px; }
QComboBox QAbstractItemView {
    background: #ffffff;
    color: #263242;
    border: 1px solid #c3cdd9;
    selection-background-color: #3b89d6;
    selection-color: #ffffff;
}
QProgressBar {
    background: #e6ebf1;
    border: 1px solid #c3cdd9;
    border-radius: 4px;
    color: #263242;
    text-align: center;
}
QProgressBar::chunk { background: #3b89d6; border-radius: 3px; }
)");
}

}  // namespace varnel
