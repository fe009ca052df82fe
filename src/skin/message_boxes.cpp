#include "skin/message_boxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QShortcut>

#include "lang/text_table.h"
#include "skin/keyboard_control.h"
#include "skin/window_drag.h"

namespace varnel {

namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

template <typename Box>
Box* shownBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<Box*>(widget); box && box->isVisible()) return box;
    return nullptr;
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(const char* logLabel, std::string message, QRect messageRect, QPoint okAt)
    : SkinWindow({logLabel, QSize(250, 100), "\\Build\\msgBox.gif", Placement::CentredOverEditor, {}, true}, nullptr,
                 Qt::Dialog),
      message_(std::move(message)) {
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
    step([&] { lblMsg->setText(text(message_)); });
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

void MessageBoxWindow::unload() {
    hide();
    deleteLater();
}

void MessageBoxWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    closeWithoutOk();
}

frmMsgBox::frmMsgBox(const std::string& message)
    : MessageBoxWindow("sLoader FrmMsgBox", message, QRect(8, 32, 225, 33), QPoint(30, 66)) {
    btnCancel = new TightButt(this);
    btnCancel->move(147, 66);
    setTabOrderChain({btnOk, btnCancel, ExitButt1});
    connect(btnOk, &SkinButton::Click, this, [this] {
        emit answered(true);
        unload();
    });
    connect(btnCancel, &SkinButton::Click, this, [this] { closeWithoutOk(); });
    sLoader();
}

void frmMsgBox::writeTexts() {
    MessageBoxWindow::writeTexts();
    step([&] { btnCancel->setCaption(text(Texts.Cancel)); });
}

void frmMsgBox::closeWithoutOk() {
    emit answered(false);
    unload();
}

frmMsgBoxAlert::frmMsgBoxAlert(const std::string& message)
    : MessageBoxWindow("sLoader frmMsgBoxAlert", message, QRect(9, 31, 225, 35), QPoint(84, 67)) {
    connect(btnOk, &SkinButton::Click, this, [this] { unload(); });
    sLoader();
}

bool askQuestion(const std::string& message) {
    auto* box = new frmMsgBox(message);
    bool ok = false;
    QObject::connect(box, &frmMsgBox::answered, box, [&ok](bool answer) { ok = answer; });
    box->showModal();
    return ok;
}

void showAlert(const std::string& message) { (new frmMsgBoxAlert(message))->showModal(); }

frmMsgBoxAlert* showNotice(const std::string& message) {
    auto* box = new frmMsgBoxAlert(message);
    box->show();
    box->activateWindow();
    return box;
}

frmMsgBox* shownQuestionBox() { return shownBox<frmMsgBox>(); }
frmMsgBoxAlert* shownAlertBox() { return shownBox<frmMsgBoxAlert>(); }

bool messageBoxShowing() { return shownQuestionBox() || shownAlertBox(); }

bool messageBoxWaiting() {
    const frmMsgBoxAlert* alert = shownAlertBox();
    return shownQuestionBox() || (alert && alert->isModal());
}

}  // namespace varnel
