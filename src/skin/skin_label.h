#pragma once
// A label that reports the mouse the way the skin's event handlers expect:
// button code (1 left, 2 right, 4 middle), shift state (1 Shift, 2 Ctrl,
// 4 Alt) and the position in pixels.

#include <QLabel>

namespace varnel {

class SkinLabel : public QLabel {
    Q_OBJECT
public:
    explicit SkinLabel(QWidget* parent = nullptr);

    // A label that does not react leaves the mouse to its parent.
    void setReactsToMouse(bool reacts);
    bool reactsToMouse() const { return reacts_; }

signals:
    void mousePressed(int Button, int Shift, float X, float Y);
    void mouseReleased(int Button, int Shift, float X, float Y);
    // Left button pressed and released over the label.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool reacts_ = true;
    bool leftDown_ = false;
};

int mouseButtonCode(Qt::MouseButton button);
int shiftStateCode(Qt::KeyboardModifiers modifiers);

}  // namespace varnel
