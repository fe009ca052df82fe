#pragma once
// The captioned skin button: the caption label `txtButt` lies across the
// whole picture at one fifth of its height and drops one pixel while the
// button is held. Only the caption label reacts to the mouse.

#include <QColor>
#include <QFont>
#include <QString>

#include "skin/skin_button.h"

namespace varnel {

class CaptionButton : public SkinButton {
    Q_OBJECT
public:
    explicit CaptionButton(QWidget* parent = nullptr);

    SkinLabel* captionLabel;

    void loadPictures() override;
    void showPressed(bool down) override;

    // Design-time properties; the values live in the caption label.
    QString caption() const;
    void setCaption(const QString& caption);

    // Enabling gives a black caption, disabling a grey one, whatever
    // ForeColor held before.
    bool enabledState() const { return !captionLabel->testAttribute(Qt::WA_ForceDisabled); }
    void setEnabled(bool enabled);

    QFont Font() const { return captionLabel->font(); }
    void setCaptionFont(const QFont& font);
    bool FontBold() const { return Font().bold(); }
    void setFontBold(bool on);
    bool FontItalic() const { return Font().italic(); }
    void setFontItalic(bool on);
    bool FontStrikethru() const { return Font().strikeOut(); }
    void setFontStrikethru(bool on);
    bool FontUnderline() const { return Font().underline(); }
    void setFontUnderline(bool on);
    QString FontName() const { return Font().family(); }
    // An empty name keeps the font.
    void setFontName(const QString& name);
    float FontSize() const { return float(Font().pointSizeF()); }
    // A size of 0 or less keeps the font.
    void setFontSize(float points);

    QColor captionColour() const;
    void setCaptionColour(const QColor& colour);

    // The caption colour of a disabled button (the classic application
    // workspace grey).
    static QColor disabledCaptionColour() { return QColor(0xAB, 0xAB, 0xAB); }

protected:
    void showEnabledLook() override;

private:
    int captionTop() const { return skinPicture->height() / 5; }
};

}  // namespace varnel
