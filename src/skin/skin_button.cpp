#include "skin/skin_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPixmap>

#include "core/log.h"
#include "skin/keyboard_control.h"
#include "skin/skin_picture.h"

namespace varnel {

SkinButton::SkinButton(const SkinButtonLook& look, QWidget* parent) : QWidget(parent), look_(look) {
    skinPicture = new SkinLabel(this);
    skinPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    skinPicture->setGeometry(QRect(QPoint(0, 0), look_.designSize));
    resize(look_.designSize);
    // Space and Enter press it as a click does: pressed look, normal look, Click.
    KeyboardControl::attach(this, {[this](bool down) { showPressed(down); }, [this] { emit clicked(); }});
}

void SkinButton::loadPictures() {
    guarded(look_.initLabel, [&] { showPicture(look_.normal); });
    // The control is exactly as large as its picture, whatever its host asks.
    setFixedSize(skinPicture->size());
    guarded(look_.initLabel, [&] {
        // Cut once from the normal picture; pressed and disabled pictures share
        // its outline. The outline is in 1x pixels whichever picture is shown.
        const QRegion outline = skinOutline(shownPicture_);
        if (outline.isEmpty()) {
            clearMask();
        } else {
            setMask(outline);
        }
    });
    skinPicture->move(0, 0);
}

void SkinButton::reportMouseOf(SkinLabel* surface) {
    connect(surface, &SkinLabel::mousePressed, this, [this](int button, int shift, float x, float y) {
        emit mousePressed(button, shift, x, y);
        showPressed(true);
    });
    connect(surface, &SkinLabel::mouseReleased, this, [this](int button, int shift, float x, float y) {
        emit mouseReleased(button, shift, x, y);
        showPressed(false);
    });
    connect(surface, &SkinLabel::clicked, this, [this] { emit clicked(); });
}

void SkinButton::showPressed(bool down) {
    methodStep([&] { showPicture(down ? look_.pressed : look_.normal); });
}

void SkinButton::applyEnabled(bool bEnabled) {
    // The look is shown once here, also when the state did not change.
    settingEnabled_ = true;
    methodStep([&] { QWidget::setEnabled(bEnabled); });
    settingEnabled_ = false;
    showEnabledLook();
}

void SkinButton::showEnabledLook() {
    methodStep([&] {
        const char* picture = (!isEnabled() && look_.disabled) ? look_.disabled : look_.normal;
        showPicture(picture);
    });
}

void SkinButton::methodStep(const std::function<void()>& statement) {
    if (look_.methodLabel) {
        guarded(look_.methodLabel, statement);
        return;
    }
    try {
        statement();
    } catch (...) {
        // This control's methods skip a failing statement without a log line.
    }
}

void SkinButton::showPicture(const char* relative) {
    const qreal ratio = devicePixelRatioF();
    QImage picture = loadSkinPicture(relative, ratio);
    skinPicture->setPixmap(skinPixmap(picture, ratio));
    skinPicture->resize(skinPictureSize(picture));
    shownPicture_ = std::move(picture);
}

void SkinButton::onTitleStrip() {
    // The title strip is dark: its focus mark takes the title's white.
    if (KeyboardControl* k = KeyboardControl::of(this)) k->setMarkColour(Qt::white);
}

void SkinButton::changeEvent(QEvent* event) {
    // Enabling through the host window or QWidget::setEnabled shows the look too.
    if (event->type() == QEvent::EnabledChange && !settingEnabled_) showEnabledLook();
    QWidget::changeEvent(event);
}

// Presses on parts of the picture that do not react stop here rather than
// reaching the host window.
void SkinButton::mousePressEvent(QMouseEvent* event) { event->accept(); }
void SkinButton::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

BrowseButton::BrowseButton(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\browse.gif", "\\Build\\Buttons\\browse_down.gif",
                  "\\Build\\Buttons\\browse_disabled.gif", "initApp browseButt", "Browsbutt - mUpdown", QSize(26, 22)},
                 parent) {
    reportMouseOf(skinPicture);
    loadPictures();
}

DeleteButton::DeleteButton(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\dustbin.gif", "\\Build\\Buttons\\dustbin_down.gif",
                  "\\Build\\Buttons\\dustbin_disabled.gif", "initApp btnDustbin", nullptr, QSize(26, 22)},
                 parent) {
    reportMouseOf(skinPicture);
    loadPictures();
}

CloseButton::CloseButton(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\Exit.gif", "\\Build\\Buttons\\Exit_down.gif", nullptr, "initApp Exitbutt",
                  nullptr, QSize(18, 18)},
                 parent) {
    reportMouseOf(skinPicture);
    loadPictures();
    onTitleStrip();
}

MinimizeButton::MinimizeButton(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\Minimize.gif", "\\Build\\Buttons\\Minimize_down.gif", nullptr,
                  "initApp MinimizeButt", nullptr, QSize(18, 18)},
                 parent) {
    reportMouseOf(skinPicture);
    loadPictures();
    onTitleStrip();
}

}  // namespace varnel
