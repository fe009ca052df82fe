#pragma once
// A program folder with database, languages and skin, and the main
// program's windows loaded in this process on Qt's offscreen platform. The
// skinned question and alert boxes are answered by the test.

#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "shell/program.h"
#include "support/test_env.h"

namespace varnel {
class GroupEditor;
class TrayIcon;
}

namespace varnel::test {

class EditorFixture {
public:
    EditorFixture();
    ~EditorFixture();

    TestEnvironment& env() { return env_; }

    // The next questions get these answers (true = OK), in order.
    void answerQuestions(std::initializer_list<bool> answers);
    // The messages of every box shown so far, in order ("?" questions, "!" alerts).
    const std::vector<std::string>& boxes() const { return boxes_; }
    void clearBoxes() { boxes_.clear(); }

    // Adds a group straight into the database.
    void addGroup(const std::string& name, const std::array<std::string, 5>& places) const;
    // The program object, made on first use.
    Program& program();
    // Loads the editor (its load runs the start-up).
    GroupEditor& loadEditor();
    TrayIcon& tray();
    // Lets the program and its windows go; the next use starts afresh.
    void endProgram();

private:
    void answerShownBoxes();

    TestEnvironment env_;
    std::unique_ptr<Program> program_;
    QTimer answerer_;
    std::deque<bool> answers_;
    std::vector<std::string> boxes_;
};

}  // namespace varnel::test
