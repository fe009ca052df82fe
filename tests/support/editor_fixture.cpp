#include "support/editor_fixture.h"

#include "core/db.h"
#include "core/sql_statements.h"
#include "editor/group_editor.h"
#include "lang/text_table.h"
#include "shell/tray_icon.h"
#include "shell/program.h"
#include "skin/message_boxes.h"
#include "support/db_files.h"
#include "support/skin_files.h"

namespace varnel::test {

EditorFixture::EditorFixture() {
    installShippedDatabase(env_.folder());
    copySkin(env_);
    std::filesystem::copy(VARNEL_SHIPPED_LANGUAGES, env_.path("Language"), std::filesystem::copy_options::recursive);
    Texts = {};
    answerer_.setInterval(5);
    QObject::connect(&answerer_, &QTimer::timeout, [this] { answerShownBoxes(); });
    answerer_.start();
}

EditorFixture::~EditorFixture() {
    answerer_.stop();
    endProgram();
}

Program& EditorFixture::program() {
    if (!program_) program_ = std::make_unique<Program>();
    return *program_;
}

void EditorFixture::endProgram() {
    program_.reset();
    setModalWaitsEnded(false);
}

TrayIcon& EditorFixture::tray() { return program().tray(); }

void EditorFixture::answerQuestions(std::initializer_list<bool> answers) { answers_.insert(answers_.end(), answers); }

void EditorFixture::addGroup(const std::string& name, const std::array<std::string, 5>& places) const {
    dbExec(sqlAddGroup(name, places));
}

GroupEditor& EditorFixture::loadEditor() { return program().editor(); }

void EditorFixture::answerShownBoxes() {
    if (QuestionBox* box = shownQuestionBox()) {
        boxes_.push_back("?" + box->messageLabel->text().toStdString());
        const bool ok = !answers_.empty() && answers_.front();
        if (!answers_.empty()) answers_.pop_front();
        emit(ok ? box->okButton : box->cancelButton)->clicked();
    }
    if (AlertBox* box = shownAlertBox()) {
        boxes_.push_back("!" + box->messageLabel->text().toStdString());
        emit box->okButton->clicked();
    }
}

}  // namespace varnel::test
