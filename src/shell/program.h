#pragma once
// The main program: made in main(), it owns the group service, the tray
// icon, the group editor, the update window and the splash, runs the start-up and the one shut-down
// path. The windows tell it what they need through signals.

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "groups/group_service.h"

namespace varnel {

class GroupEditor;
class ForegroundWatch;
class PolicyWatch;
class SplashWindow;
class TrayIcon;
class UpdateWindow;

// Ends the process at once: no further window events, no unload handlers.
[[noreturn]] void endProgramNow(int code = 0);

class Program : public QObject {
    Q_OBJECT
public:
    Program();
    ~Program() override;

    // The splash phase of a program start: refuses a second copy and runs the
    // switch words ("loggaren", "deletereg"); both of these end the process
    // where they must. Then shows the splash for its second.
    void start(const QString& commandLine);
    // A request that comes during the splash second finishes the start-up
    // first, as a click on the splash would.
    void finishStartUp();

    // The groups, which the editor, the tray and the command line follow.
    GroupService& groups() { return groups_; }
    // What the organisation sets, as the groups read it last.
    OrganisationPolicy& policy() { return policy_; }
    // Follows the organisation's policy as it changes while the program runs
    // (the program start does; tests that drive the windows leave it out).
    void watchPolicy();
    // Shows each program's group while it is in front (the program start
    // does; tests that drive the windows leave it out). Where the desktop
    // cannot tell which program is in front, says so once if any program has
    // a group.
    void followProgramsInFront();
    // The tray's and the editor's Programs menus list the programs with
    // windows open, where the platform tells which those are.
    void offerOpenPrograms();
    // Follows a change made outside the program (the organisation's policy,
    // groups another process imported), once no box waits for an answer.
    void followOutsideChange();
    // Where the active group goes: the Places Bar and Office's places, and
    // what addTargetsOfThisPlatform() adds.
    PlaceTargets& targets() { return targets_; }
    // Adds the targets of the platform the program runs on (the program
    // start does; tests that drive the windows leave them out).
    void addTargetsOfThisPlatform();
    // The editor; created, with the start-up of its load, at its first use.
    GroupEditor& editor();
    GroupEditor* loadedEditor() const { return editor_.get(); }
    // The tray window; its icon shows from the editor's load on.
    TrayIcon& tray();
    TrayIcon* loadedTray() const { return tray_.get(); }
    UpdateWindow* updateWindow() const;
    // The splash or the About box while it is open.
    SplashWindow* splash() const;

    void showEditorNormal();
    void toggleEditor();
    // The tray's Update command: the window, modally.
    void showUpdateWindow();
    // Opens the About box modally.
    void showAbout();

    // The one shut-down path: what the program wrote into the Places Bar goes,
    // and so does its icon. Runs once, however many ways ask for it.
    void shutDown();
    // True from the start of the shut-down on: nothing is applied any more.
    bool isShuttingDown() const { return shutDown_; }
    // Shuts down and leaves the event loop: the program ends when main()
    // returns, its windows closed and destroyed in order.
    void quit();

private:
    void loadEditor();
    void handOverToUpdater(const QString& updater, const QStringList& arguments);

    // The organisation's policy, where the group goes, and the groups: made
    // first and gone last, the windows follow them while they live.
    OrganisationPolicy policy_;
    PlaceTargets targets_;
    GroupService groups_{targets_};
    std::unique_ptr<PolicyWatch> policyWatch_;
    std::unique_ptr<ForegroundWatch> foreground_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<GroupEditor> editor_;
    QPointer<UpdateWindow> updateWindow_;
    QPointer<SplashWindow> splash_;
    bool shutDown_ = false;
    bool outsideChangeWaits_ = false;
    // The start-up has applied the active group: programs in front count.
    bool startedUp_ = false;
    std::optional<ProgramInFront> inFront_;
    bool programsNotSeen_ = false;
};

}  // namespace varnel
