#include "skin/caption_button.h"

#include <QPalette>

#include "core/log.h"

namespace varnel {

CaptionButton::CaptionButton(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\Button.gif", "\\Build\\Buttons\\Button_Down.gif", nullptr, "initApp TightButt",
                  nullptr, QSize(80, 25)},
                 parent) {
    // The picture itself does not react; its presses stop at the button.
    skinPicture->setReactsToMouse(false);
    captionLabel = new SkinLabel(skinPicture);
    captionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    captionLabel->setText(QStringLiteral("txtButt"));
    setCaptionColour(palette().color(QPalette::ButtonText));
    reportMouseOf(captionLabel);
    loadPictures();
}

void CaptionButton::loadPictures() {
    SkinButton::loadPictures();
    guarded(look().initLabel, [&] {
        const int top = captionTop();
        captionLabel->setGeometry(0, top, skinPicture->width(), skinPicture->height() - top);
    });
}

void CaptionButton::showPressed(bool down) {
    methodStep([&] { captionLabel->move(0, captionTop() + (down ? 1 : 0)); });
    methodStep([&] { showPicture(down ? look().pressed : look().normal); });
}

QString CaptionButton::caption() const { return captionLabel->text(); }

void CaptionButton::setCaption(const QString& caption) {
    captionLabel->setText(caption);
    // Screen readers name the button by its caption.
    setAccessibleName(caption);
}

void CaptionButton::setEnabled(bool enabled) {
    captionLabel->setEnabled(enabled);
    QWidget::setEnabled(enabled);
    showEnabledLook();
}

void CaptionButton::showEnabledLook() { setCaptionColour(isEnabled() ? QColor(Qt::black) : disabledCaptionColour()); }

void CaptionButton::setCaptionFont(const QFont& font) { captionLabel->setFont(font); }

void CaptionButton::setFontBold(bool on) {
    QFont f = Font();
    f.setBold(on);
    captionLabel->setFont(f);
}

void CaptionButton::setFontItalic(bool on) {
    QFont f = Font();
    f.setItalic(on);
    captionLabel->setFont(f);
}

void CaptionButton::setFontStrikethru(bool on) {
    QFont f = Font();
    f.setStrikeOut(on);
    captionLabel->setFont(f);
}

void CaptionButton::setFontUnderline(bool on) {
    QFont f = Font();
    f.setUnderline(on);
    captionLabel->setFont(f);
}

void CaptionButton::setFontName(const QString& name) {
    if (name.isEmpty()) return;
    QFont f = Font();
    f.setFamilies({name});
    captionLabel->setFont(f);
}

void CaptionButton::setFontSize(float points) {
    if (points <= 0) return;
    QFont f = Font();
    f.setPointSizeF(points);
    captionLabel->setFont(f);
}

QColor CaptionButton::captionColour() const { return captionLabel->palette().color(QPalette::Active, QPalette::WindowText); }

void CaptionButton::setCaptionColour(const QColor& colour) {
    // Every colour group, so a disabled label shows the colour chosen for it.
    QPalette p = captionLabel->palette();
    p.setColor(QPalette::WindowText, colour);
    captionLabel->setPalette(p);
}

}  // namespace varnel
