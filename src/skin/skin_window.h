#pragma once
// The frameless, fixed-size windows covered by a skin picture. A window class
// derives from SkinWindow, creates its controls on top of skinPicture and
// titleLabel, and calls loadSkin() at the end of its load (and whenever it wants
// the set-up again; running it twice gives the same result).

#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "skin/skin_label.h"

namespace varnel {

enum class Placement {
    CentredOnScreen,    // the group editor
    CentredOverEditor,  // the message boxes, also while the editor is hidden
    BesideEditor,       // the update window: centred over the editor, then 10 px right and down
    Splash,             // centred for a 300 x 150 window, size from the skin surface's design size
    Unmoved,            // the updater's window
};

struct SkinWindowSetup {
    std::string logLabel;  // "sLoader frmMain"
    QSize size;            // in pixels
    std::string picture;   // "\\Build\\window.gif"
    Placement placement = Placement::CentredOnScreen;
    std::string icon;        // window icon, loaded first; empty for none
    bool textsFirst = false;  // the message boxes write their texts before sizing
};

// The group editor window, over which boxes are centred. The editor marks
// itself when it is created (a property, found among the top-level
// windows); with no editor boxes centre on the screen.
void setEditorWindow(QWidget* editor);
QWidget* editorWindow();

// Once the program is ending (true), a modal showing no longer waits: a box
// that a step still under way opens returns at once, a question unanswered.
void setModalWaitsEnded(bool ended);

// "Varnel Zize - ver " + major + "." + minor: the title of most windows.
QString mainWindowTitle();

// Where a window of `size` now at `current` goes by `rule`.
QPoint placementFor(Placement rule, QSize size, QPoint current);

class SkinWindow : public QWidget {
    Q_OBJECT
public:
    explicit SkinWindow(SkinWindowSetup setup, QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);

    // The whole-window picture (the splash calls it pSkin) and the title.
    SkinLabel* skinPicture;
    SkinLabel* titleLabel;

    // Size, skin picture, texts and placement; every statement guarded under
    // the window's log label, so a missing picture costs one log line and the
    // window keeps its size, title and place.
    virtual void loadSkin();

    // What a modal showing blocks: every other window of the program, or
    // only the group editor. The About box and the update window block the
    // editor alone, so that the tray icon (on X11 a window of its own) still
    // answers while they are open.
    enum class ModalScope { Application, Editor };

    // Shows the window modally and returns when it is hidden, closed or
    // destroyed.
    void showModal(ModalScope scope = ModalScope::Application);

    const SkinWindowSetup& skinSetup() const { return setup_; }

signals:
    void hidden();

protected:
    // Step 3 of loadSkin: the title and any texts of the window. The default
    // writes mainWindowTitle() into titleLabel.
    virtual void writeTexts();

    // Runs one statement of loadSkin under the window's log label.
    bool step(const std::function<void()>& statement);

    // Moves the window by its placement rule.
    void place();

    void hideEvent(QHideEvent* event) override;

private:
    void loadSplash();
    void loadWindow();
    // The skin picture at the sharpness of the window's screen.
    void showSkinPicture();

    SkinWindowSetup setup_;
};

}  // namespace varnel
