#include "skin/message_boxes.h"

#include <QCloseEvent>
#include <QPointer>
#include <QShortcut>

#include "lang/text_table.h"
#include "skin/keyboard_control.h"
#include "skin/window_drag.h"

namespace varnel {

std::string MsgText;
bool MsgAnswer = false;

namespace {

QPointer<frmMsgBox> questionBox;
QPointer<frmMsgBoxAlert> alertBox;

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

MessageBoxWindow::MessageBoxWindow(const char* logLabel, QRect messageRect, QPoint okAt)
    : SkinWindow({logLabel, QSize(250, 100), "\\Build\\msgBox.gif", Placement::CentredOverEditor, {}, true}, nullptr,
                 Qt::Dialog) {
    lblMsg = new SkinLabel(this);
    lblMsg->setGeometry(messageRect);
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setWordWrap(true);
    QPalette ink = lblMsg->palette();
    ink.setColor(QPalette::WindowText, QColor(38, 50, 66));
    lblMsg->setPalette(ink);
    makeDragSurface(lblMsg);

    ExitButt1 = new ExitButt(this);
    ExitButt1->move(226, 5);
    btnOk = new TightButt(this);
    btnOk->move(okAt);
    connect(ExitButt1, &SkinButton::Click, this, [this] { closeWithoutOk(); });
    setUpKeyboard();
}

void MessageBoxWindow::writeTexts() {
    step([&] { lblMsg->setText(text(MsgText)); });
    step([&] { btnOk->setCaption(text(Texts.Ok)); });
    SkinWindow::writeTexts();
    nameControlsForAssistiveTech();
}

void MessageBoxWindow::setUpKeyboard() {
    // The focus starts on OK, so Enter answers OK; Escape is the close button.
    setTabOrderChain({btnOk, ExitButt1});
    btnOk->setFocus();
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { closeWithoutOk(); });
}

void MessageBoxWindow::nameControlsForAssistiveTech() {
    // A screen reader announces the box with its message.
    setAccessibleName(lblMsg->text());
    ExitButt1->setAccessibleName(text(Texts.Close));
}

void MessageBoxWindow::PlaceMe() { place(); }

void MessageBoxWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    closeWithoutOk();
}

frmMsgBox::frmMsgBox() : MessageBoxWindow("sLoader FrmMsgBox", QRect(8, 32, 225, 33), QPoint(30, 66)) {
    btnCancel = new TightButt(this);
    btnCancel->move(147, 66);
    setTabOrderChain({btnOk, btnCancel, ExitButt1});
    connect(btnOk, &SkinButton::Click, this, [this] {
        MsgAnswer = true;
        unload();
    });
    connect(btnCancel, &SkinButton::Click, this, [this] { closeWithoutOk(); });
}

frmMsgBox& frmMsgBox::instance() {
    if (!questionBox) {
        questionBox = new frmMsgBox();
        questionBox->sLoader();
    }
    return *questionBox;
}

frmMsgBox* frmMsgBox::loaded() { return questionBox.data(); }

void frmMsgBox::writeTexts() {
    MessageBoxWindow::writeTexts();
    step([&] { btnCancel->setCaption(text(Texts.Cancel)); });
}

void frmMsgBox::closeWithoutOk() {
    MsgAnswer = false;
    unload();
}

void frmMsgBox::unload() {
    if (questionBox == this) questionBox = nullptr;
    hide();
    deleteLater();
}

frmMsgBoxAlert::frmMsgBoxAlert()
    : MessageBoxWindow("sLoader frmMsgBoxAlert", QRect(9, 31, 225, 35), QPoint(84, 67)) {
    connect(btnOk, &SkinButton::Click, this, [this] { unload(); });
}

frmMsgBoxAlert& frmMsgBoxAlert::instance() {
    if (!alertBox) {
        alertBox = new frmMsgBoxAlert();
        alertBox->sLoader();
    }
    return *alertBox;
}

frmMsgBoxAlert* frmMsgBoxAlert::loaded() { return alertBox.data(); }

void frmMsgBoxAlert::unload() {
    if (alertBox == this) alertBox = nullptr;
    hide();
    deleteLater();
}

bool askQuestion(const std::string& message) {
    MsgText = message;
    frmMsgBox& box = frmMsgBox::instance();
    box.sLoader();
    box.showModal();
    return MsgAnswer;
}

void showAlert(const std::string& message) {
    MsgText = message;
    frmMsgBoxAlert& box = frmMsgBoxAlert::instance();
    box.sLoader();
    box.showModal();
}

}  // namespace varnel
