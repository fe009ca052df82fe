// The program's places as one list of targets: a Save reaches each list
// beyond the Places Bar once, and a list that fails is told to the user once
// until it holds the group again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <algorithm>

#include "core/registry.h"
#include "editor/group_editor.h"
#include "shell/program.h"
#include "shell/status_report.h"
#include "shell/target_notice.h"
#include "support/editor_fixture.h"
#include "targets/desktop_lists/linux_targets.h"

using namespace varnel;

namespace {

// What reaches a list beyond the Places Bar, in order.
class ReceivedPlaces : public PlaceTarget {
public:
    explicit ReceivedPlaces(std::vector<PlaceSet>& received) : received_(received) {}
    std::string name() const override { return "Received"; }
    void apply(const PlaceSet& places) override { received_.push_back(places); }
    void remove() override {}
    std::vector<TargetReport> report(const PlaceSet&) const override { return {}; }

private:
    std::vector<PlaceSet>& received_;
};

}  // namespace

TEST(PlaceTargets, ASaveReachesEachListOnceAndAFailingListIsToldOnce) {
    test::EditorFixture f;
    const std::string root = f.env().path("home").string();
    const PlaceSet work{root + "/w1", root + "/w2", "/tmp", "/srv", "/opt"}, home{root + "/h1", "/tmp", "/srv", "/opt", "/var"};
    f.addGroup("Work", work);
    f.addGroup("Home", home);
    setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", std::string("Work"));
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    Program& program = f.program();
    std::vector<PlaceSet> received;
    program.targets().add(std::make_unique<ReceivedPlaces>(received));
    const QString q = QString::fromStdString(root);
    const desktop::DesktopFolders folders{q + "/config", q + "/data", q + "/state/Varnel", q + "/no-wine"};
    program.targets().add(std::move(desktop::linuxDesktopTargets(folders, {"GTK"}).front()));
    tellTargetFailures(program);

    GroupEditor& editor = f.loadEditor();
    ASSERT_EQ(received, std::vector<PlaceSet>{work});

    // The Save of the active group: the Places Bar as the group was and as
    // saved, the other lists only as saved.
    const PlaceSet changed{root + "/w1", root + "/w9", "/tmp", "/srv", "/opt"};
    editor.placeEdits[1]->setText(QString::fromStdString(changed[1]));
    f.answerQuestions({true});
    editor.save();
    EXPECT_EQ(received, (std::vector<PlaceSet>{work, changed}));
    const QString bookmarks = folders.config + "/gtk-3.0/bookmarks";
    QFile file(bookmarks);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "file://" + root + "/w1 w1\nfile://" + root +
                                                "/w9 w9\nfile:///tmp tmp\nfile:///srv srv\nfile:///opt opt\n");
    file.close();

    // GTK's bookmarks turn into a folder: one notice over two switches, and
    // the status names the failure.
    ASSERT_TRUE(QFile::remove(bookmarks) && QDir().mkpath(bookmarks));
    program.groups().activateGroup("Home");
    program.groups().activateGroup("Work");
    const std::string notice = "!The group did not reach GTK. Check " + bookmarks.toStdString() + " (not readable).";
    // Both switches showed what they would before this: the notice is up, once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.boxes().size() > 1; }, 5000));
    QTest::qWait(50);  // a second notice would be answered within these turns
    EXPECT_EQ(f.boxes(), (std::vector<std::string>{"?Save the changes?", notice}));
    bool anyFailed = false;
    EXPECT_EQ(statusLines(statusAnswer(program), &anyFailed).toStdString(),
              "Group: Work\nPlaces Bar: holds the group\nOffice: not installed here\nGTK: failed: " +
                  bookmarks.toStdString() + " (not readable)\n");
    EXPECT_TRUE(anyFailed);
}
