#include "support/editor_fixture.h"

#include "core/db.h"
#include "core/sql_statements.h"
#include "editor/frm_main.h"
#include "lang/text_table.h"
#include "shell/frm_tray.h"
#include "skin/message_boxes.h"
#include "support/db_files.h"
#include "support/skin_files.h"

namespace varnel::test {

EditorFixture::EditorFixture() {
    installShippedDatabase(env_.folder());
    copySkin(env_);
    std::filesystem::copy(VARNEL_SHIPPED_LANGUAGES, env_.path("Language"), std::filesystem::copy_options::recursive);
    Texts = {};
    DraftPlaces = {};
    MsgText.clear();
    MsgAnswer = false;
    answerer_.setInterval(5);
    QObject::connect(&answerer_, &QTimer::timeout, [this] { answerShownBoxes(); });
    answerer_.start();
}

EditorFixture::~EditorFixture() {
    answerer_.stop();
    frmMain::unload();
    frmTray::unload();
}

void EditorFixture::answerQuestions(std::initializer_list<bool> answers) { answers_.insert(answers_.end(), answers); }

void EditorFixture::addGroup(const std::string& name, const std::array<std::string, 5>& places) const {
    dbExec(sqlAddGroup(name, places));
}

void EditorFixture::loadEditor() { frmMain::instance(); }

void EditorFixture::answerShownBoxes() {
    if (frmMsgBox* box = frmMsgBox::loaded(); box && box->isVisible()) {
        boxes_.push_back("?" + box->lblMsg->text().toStdString());
        const bool ok = !answers_.empty() && answers_.front();
        if (!answers_.empty()) answers_.pop_front();
        emit(ok ? box->btnOk : box->btnCancel)->Click();
    }
    if (frmMsgBoxAlert* box = frmMsgBoxAlert::loaded(); box && box->isVisible()) {
        boxes_.push_back("!" + box->lblMsg->text().toStdString());
        emit box->btnOk->Click();
    }
}

}  // namespace varnel::test
