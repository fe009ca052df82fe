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
    messageLabel = new SkinLabel(this);
    messageLabel->setGeometry(messageRect);
    messageLabel->setAlignment(Qt::AlignCenter);
    messageLabel->setWordWrap(true);
    QPalette ink = messageLabel->palette();
    ink.setColor(QPalette::WindowText, QColor(38, 50, 66));
    messageLabel->setPalette(ink);
    makeDragSurface(messageLabel);

    closeButton = new CloseButton(this);
    closeButton->move(226, 5);
    okButton = new CaptionButton(this);
    okButton->move(okAt);
    connect(closeButton, &SkinButton::clicked, this, [this] { closeWithoutOk(); });
    setUpKeyboard();
}

void MessageBoxWindow::writeTexts() {
    step([&] { messageLabel->setText(text(message_)); });
    step([&] { okButton->setCaption(text(Texts.Ok)); });
    SkinWindow::writeTexts();
    nameControlsForAssistiveTech();
}

void MessageBoxWindow::setUpKeyboard() {
    // The focus starts on OK, so Enter answers OK; Escape is the close button.
    setTabOrderChain({okButton, closeButton});
    okButton->setFocus();
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { closeWithoutOk(); });
}

void MessageBoxWindow::nameControlsForAssistiveTech() {
    // A screen reader announces the box with its message.
    setAccessibleName(messageLabel->text());
    closeButton->setAccessibleName(text(Texts.Close));
}

void MessageBoxWindow::placeOverEditor() { place(); }

void MessageBoxWindow::unload() {
    hide();
    deleteLater();
}

void MessageBoxWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    closeWithoutOk();
}

QuestionBox::QuestionBox(const std::string& message)
    : MessageBoxWindow("sLoader FrmMsgBox", message, QRect(8, 32, 225, 33), QPoint(30, 66)) {
    cancelButton = new CaptionButton(this);
    cancelButton->move(147, 66);
    setTabOrderChain({okButton, cancelButton, closeButton});
    connect(okButton, &SkinButton::clicked, this, [this] {
        emit answered(true);
        unload();
    });
    connect(cancelButton, &SkinButton::clicked, this, [this] { closeWithoutOk(); });
    loadSkin();
}

void QuestionBox::writeTexts() {
    MessageBoxWindow::writeTexts();
    step([&] { cancelButton->setCaption(text(Texts.Cancel)); });
}

void QuestionBox::closeWithoutOk() {
    emit answered(false);
    unload();
}

AlertBox::AlertBox(const std::string& message)
    : MessageBoxWindow("sLoader frmMsgBoxAlert", message, QRect(9, 31, 225, 35), QPoint(84, 67)) {
    connect(okButton, &SkinButton::clicked, this, [this] { unload(); });
    loadSkin();
}

bool askQuestion(const std::string& message) {
    auto* box = new QuestionBox(message);
    bool ok = false;
    QObject::connect(box, &QuestionBox::answered, box, [&ok](bool answer) { ok = answer; });
    box->showModal();
    return ok;
}

void showAlert(const std::string& message) { (new AlertBox(message))->showModal(); }

AlertBox* showNotice(const std::string& message) {
    auto* box = new AlertBox(message);
    box->show();
    box->activateWindow();
    return box;
}

QuestionBox* shownQuestionBox() { return shownBox<QuestionBox>(); }
AlertBox* shownAlertBox() { return shownBox<AlertBox>(); }

bool messageBoxShowing() { return shownQuestionBox() || shownAlertBox(); }

bool messageBoxWaiting() {
    const AlertBox* alert = shownAlertBox();
    return shownQuestionBox() || (alert && alert->isModal());
}

}  // namespace varnel
