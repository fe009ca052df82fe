#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "lang/text_table.h"
#include "skin/message_boxes.h"
#include "support/skin_files.h"
#include "support/test_env.h"

using namespace varnel;

namespace {

void click(SkinButton* button) {
    auto* tight = qobject_cast<TightButt*>(button);
    QWidget* target = tight ? static_cast<QWidget*>(tight->txtButt) : button->SkinImage;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
}

// Runs `whileShown` once the box is up, from inside its modal showing.
void whenShown(std::function<void()> whileShown) { QTimer::singleShot(0, std::move(whileShown)); }

void dropUnloadedBoxes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

struct BoxTest : ::testing::Test {
    test::TestEnvironment env;
    void SetUp() override {
        test::copySkin(env);
        Texts = {};
        Texts.Ok = "Ok";
        Texts.Cancel = "Cancel";
        MsgAnswer = false;
        MsgText.clear();
        setEditorWindow(nullptr);
    }
    void TearDown() override {
        if (auto* box = frmMsgBox::loaded()) delete box;
        if (auto* box = frmMsgBoxAlert::loaded()) delete box;
        dropUnloadedBoxes();
        Texts = {};
    }
};

}  // namespace

TEST_F(BoxTest, QuestionAnswersTrueOnlyByOk) {
    const std::vector<std::pair<std::function<void(frmMsgBox&)>, bool>> answers = {
        {[](frmMsgBox& box) { click(box.btnOk); }, true},
        {[](frmMsgBox& box) { click(box.btnCancel); }, false},
        {[](frmMsgBox& box) { click(box.ExitButt1); }, false},
        {[](frmMsgBox& box) { box.close(); }, false},  // closed by the window system
    };
    for (size_t i = 0; i < answers.size(); ++i) {
        SCOPED_TRACE(i);
        MsgAnswer = !answers[i].second;
        bool wasShown = false;
        whenShown([&] {
            frmMsgBox* box = frmMsgBox::loaded();
            ASSERT_NE(box, nullptr);
            wasShown = box->isVisible() && box->isModal();
            answers[i].first(*box);
        });
        EXPECT_EQ(askQuestion("Delete the group?"), answers[i].second);
        EXPECT_TRUE(wasShown);
        EXPECT_EQ(MsgAnswer, answers[i].second);
        // Every answer unloads the box.
        EXPECT_EQ(frmMsgBox::loaded(), nullptr);
        dropUnloadedBoxes();
    }
    EXPECT_EQ(MsgText, "Delete the group?");
}

TEST_F(BoxTest, AlertsLeaveTheAnswerAlone) {
    whenShown([] { click(frmMsgBox::loaded()->btnOk); });
    EXPECT_TRUE(askQuestion("Save the changes?"));

    whenShown([] { click(frmMsgBoxAlert::loaded()->btnOk); });
    showAlert("Fill in all fields");
    EXPECT_TRUE(MsgAnswer);
    whenShown([] { click(frmMsgBoxAlert::loaded()->ExitButt1); });
    showAlert("Fill in all fields");
    EXPECT_TRUE(MsgAnswer);
    EXPECT_EQ(frmMsgBoxAlert::loaded(), nullptr);

    whenShown([] { click(frmMsgBox::loaded()->btnCancel); });
    EXPECT_FALSE(askQuestion("Save the changes?"));
}

TEST_F(BoxTest, EachShowingReadsTheMessageAndTheCurrentLanguageTexts) {
    Texts.Ok = "Okej";
    Texts.Cancel = "Avbryt";
    QString message, ok, cancel, title;
    whenShown([&] {
        frmMsgBox* box = frmMsgBox::loaded();
        message = box->lblMsg->text();
        ok = box->btnOk->Caption();
        cancel = box->btnCancel->Caption();
        title = box->lblTitle->text();
        click(box->btnCancel);
    });
    askQuestion("Vill du spara ändringarna?");
    EXPECT_EQ(message, QString::fromUtf8("Vill du spara ändringarna?"));
    EXPECT_EQ(ok, "Okej");
    EXPECT_EQ(cancel, "Avbryt");
    EXPECT_TRUE(title.startsWith("Varnel Zize - ver "));

    // The box was unloaded: the next showing is set up afresh.
    Texts.Ok.clear();
    whenShown([&] {
        ok = frmMsgBoxAlert::loaded()->btnOk->Caption();
        message = frmMsgBoxAlert::loaded()->lblMsg->text();
        click(frmMsgBoxAlert::loaded()->btnOk);
    });
    MsgText = "stale";
    showAlert("");
    EXPECT_EQ(ok, "");
    EXPECT_EQ(message, "");
}

TEST_F(BoxTest, BoxesCentreOverTheEditorAlsoWhenItIsHidden) {
    QWidget editor;
    editor.setGeometry(300, 200, 401, 250);
    setEditorWindow(&editor);  // never shown
    frmMsgBox::instance().PlaceMe();
    EXPECT_EQ(frmMsgBox::loaded()->pos(), QPoint(300 + 75, 200 + 75));

    QPoint alertAt;
    whenShown([&] {
        alertAt = frmMsgBoxAlert::loaded()->pos();
        click(frmMsgBoxAlert::loaded()->btnOk);
    });
    editor.move(10, 20);
    showAlert("Up to date");
    EXPECT_EQ(alertAt, QPoint(10 + 75, 20 + 75));

    // PlaceMe follows a moved editor without reloading the box.
    frmMsgBox* box = frmMsgBox::loaded();
    box->PlaceMe();
    EXPECT_EQ(box->pos(), QPoint(85, 95));
    EXPECT_EQ(frmMsgBox::loaded(), box);
}

TEST_F(BoxTest, AMissingPictureWritesOneLineAndTheBoxStillAnswers) {
    std::filesystem::remove(env.path("Build/msgBox.gif"));
    frmMsgBox& box = frmMsgBox::instance();
    EXPECT_EQ(env.readFile("Error.log"), "sLoader FrmMsgBox\t53\tFile not found\r\n");
    EXPECT_EQ(box.size(), QSize(250, 100));
    whenShown([] { click(frmMsgBox::loaded()->btnOk); });
    box.showModal();
    EXPECT_TRUE(MsgAnswer);
}
