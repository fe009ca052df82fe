#include "skin/tight_butt.h"

#include <QPalette>

#include "core/log.h"

namespace varnel {

TightButt::TightButt(QWidget* parent)
    : SkinButton({"\\Build\\Buttons\\Button.gif", "\\Build\\Buttons\\Button_Down.gif", nullptr, "initApp TightButt",
                  nullptr, QSize(80, 25)},
                 parent) {
    // The picture itself does not react; its presses stop at the button.
    SkinImage->setReactsToMouse(false);
    txtButt = new SkinLabel(SkinImage);
    txtButt->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    txtButt->setText(QStringLiteral("txtButt"));
    setForeColor(palette().color(QPalette::ButtonText));
    reportMouseOf(txtButt);
    initApp();
}

void TightButt::initApp() {
    SkinButton::initApp();
    guarded(look().initLabel, [&] {
        const int top = captionTop();
        txtButt->setGeometry(0, top, SkinImage->width(), SkinImage->height() - top);
    });
}

void TightButt::mUpdown(bool down) {
    methodStep([&] { txtButt->move(0, captionTop() + (down ? 1 : 0)); });
    methodStep([&] { showPicture(down ? look().pressed : look().normal); });
}

QString TightButt::Caption() const { return txtButt->text(); }

void TightButt::setCaption(const QString& caption) {
    txtButt->setText(caption);
    // Screen readers name the button by its caption.
    setAccessibleName(caption);
}

void TightButt::setEnabled(bool enabled) {
    txtButt->setEnabled(enabled);
    QWidget::setEnabled(enabled);
    showEnabledLook();
}

void TightButt::showEnabledLook() { setForeColor(isEnabled() ? QColor(Qt::black) : disabledCaptionColour()); }

void TightButt::setCaptionFont(const QFont& font) { txtButt->setFont(font); }

void TightButt::setFontBold(bool on) {
    QFont f = Font();
    f.setBold(on);
    txtButt->setFont(f);
}

void TightButt::setFontItalic(bool on) {
    QFont f = Font();
    f.setItalic(on);
    txtButt->setFont(f);
}

void TightButt::setFontStrikethru(bool on) {
    QFont f = Font();
    f.setStrikeOut(on);
    txtButt->setFont(f);
}

void TightButt::setFontUnderline(bool on) {
    QFont f = Font();
    f.setUnderline(on);
    txtButt->setFont(f);
}

void TightButt::setFontName(const QString& name) {
    if (name.isEmpty()) return;
    QFont f = Font();
    f.setFamilies({name});
    txtButt->setFont(f);
}

void TightButt::setFontSize(float points) {
    if (points <= 0) return;
    QFont f = Font();
    f.setPointSizeF(points);
    txtButt->setFont(f);
}

QColor TightButt::ForeColor() const { return txtButt->palette().color(QPalette::Active, QPalette::WindowText); }

void TightButt::setForeColor(const QColor& colour) {
    // Every colour group, so a disabled label shows the colour chosen for it.
    QPalette p = txtButt->palette();
    p.setColor(QPalette::WindowText, colour);
    txtButt->setPalette(p);
}

}  // namespace varnel
