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
    auto* tight = qobject_cast<CaptionButton*>(button);
    QWidget* target = tight ? static_cast<QWidget*>(tight->captionLabel) : button->skinPicture;
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
        setEditorWindow(nullptr);
    }
    void TearDown() override {
        dropUnloadedBoxes();
        Texts = {};
    }
};

}  // namespace

TEST_F(BoxTest, QuestionAnswersTrueOnlyByOk) {
    const std::vector<std::pair<std::function<void(QuestionBox&)>, bool>> answers = {
        {[](QuestionBox& box) { click(box.okButton); }, true},
        {[](QuestionBox& box) { click(box.cancelButton); }, false},
        {[](QuestionBox& box) { click(box.closeButton); }, false},
        {[](QuestionBox& box) { box.close(); }, false},  // closed by the window system
    };
    for (size_t i = 0; i < answers.size(); ++i) {
        SCOPED_TRACE(i);
        bool wasShown = false;
        whenShown([&] {
            QuestionBox* box = shownQuestionBox();
            ASSERT_NE(box, nullptr);
            wasShown = box->isVisible() && box->isModal();
            answers[i].first(*box);
        });
        EXPECT_EQ(askQuestion("Delete the group?"), answers[i].second);
        EXPECT_TRUE(wasShown);
        // Every answer closes the box.
        EXPECT_EQ(shownQuestionBox(), nullptr);
        dropUnloadedBoxes();
    }
}

TEST_F(BoxTest, AlertsCloseByOkOrTheirCloseButtonAndBlockWhileShown) {
    whenShown([] {
        EXPECT_TRUE(messageBoxWaiting());
        click(shownAlertBox()->okButton);
    });
    showAlert("Fill in all fields");
    whenShown([] { click(shownAlertBox()->closeButton); });
    showAlert("Fill in all fields");
    EXPECT_EQ(shownAlertBox(), nullptr);
    EXPECT_FALSE(messageBoxShowing());

    // A notice shows without holding anything up.
    AlertBox* notice = showNotice("No notification area");
    EXPECT_TRUE(messageBoxShowing());
    EXPECT_FALSE(messageBoxWaiting());
    click(notice->okButton);
    EXPECT_FALSE(messageBoxShowing());
}

TEST_F(BoxTest, EachShowingReadsTheMessageAndTheCurrentLanguageTexts) {
    Texts.Ok = "Okej";
    Texts.Cancel = "Avbryt";
    QString message, ok, cancel, title;
    whenShown([&] {
        QuestionBox* box = shownQuestionBox();
        message = box->messageLabel->text();
        ok = box->okButton->caption();
        cancel = box->cancelButton->caption();
        title = box->titleLabel->text();
        click(box->cancelButton);
    });
    askQuestion("Vill du spara ändringarna?");
    EXPECT_EQ(message, QString::fromUtf8("Vill du spara ändringarna?"));
    EXPECT_EQ(ok, "Okej");
    EXPECT_EQ(cancel, "Avbryt");
    EXPECT_TRUE(title.startsWith("Varnel Zize - ver "));

    // The box was unloaded: the next showing is set up afresh.
    Texts.Ok.clear();
    whenShown([&] {
        ok = shownAlertBox()->okButton->caption();
        message = shownAlertBox()->messageLabel->text();
        click(shownAlertBox()->okButton);
    });
    showAlert("");
    EXPECT_EQ(ok, "");
    EXPECT_EQ(message, "");
}

TEST_F(BoxTest, BoxesCentreOverTheEditorAlsoWhenItIsHidden) {
    QWidget editor;
    editor.setGeometry(300, 200, 401, 250);
    setEditorWindow(&editor);  // never shown
    QuestionBox box("Save the changes?");
    EXPECT_EQ(box.pos(), QPoint(300 + 75, 200 + 75));

    QPoint alertAt;
    whenShown([&] {
        alertAt = shownAlertBox()->pos();
        click(shownAlertBox()->okButton);
    });
    editor.move(10, 20);
    showAlert("Up to date");
    EXPECT_EQ(alertAt, QPoint(10 + 75, 20 + 75));

    // PlaceMe follows a moved editor without reloading the box.
    box.placeOverEditor();
    EXPECT_EQ(box.pos(), QPoint(85, 95));
}

TEST_F(BoxTest, AMissingPictureWritesOneLineAndTheBoxStillAnswers) {
    std::filesystem::remove(env.path("Build/msgBox.gif"));
    whenShown([&] {
        EXPECT_EQ(env.readFile("Error.log"), "sLoader FrmMsgBox\t53\tFile not found\r\n");
        EXPECT_EQ(shownQuestionBox()->size(), QSize(250, 100));
        click(shownQuestionBox()->okButton);
    });
    EXPECT_TRUE(askQuestion("Save the changes?"));
}
