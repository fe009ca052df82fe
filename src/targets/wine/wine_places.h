#pragma once
// The Places Bar of the user's Wine prefix ($WINEPREFIX, else ~/.wine), which
// replaces Wine's default places in its Open/Save dialogs, and the group's
// folders in the navigation pane of its new-style dialog. Everything goes
// through Wine's own regedit, never into user.reg behind a running wineserver;
// Wine takes about a second to start, so nothing here waits for it.

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

#include "targets/desktop_lists/place_entry.h"

namespace varnel::desktop {

class WinePlaces : public QObject {
public:
    WinePlaces(QString prefix, QString stateFolder);
    ~WinePlaces() override;

    // Our places into the prefix's Places Bar and navigation pane; none
    // restores the user's own key (or its absence) as it was before our first
    // apply, and empties the navigation pane's slots.
    void update(const QList<PlaceEntry>& wanted);

    // A restore left behind by an earlier run is carried out first.
    void cleanUpEarlierRun();

    // The Places Bar value of a folder: the drive path under the prefix's
    // drive mappings (Z:\home\ana\Projects); empty when no drive reaches it.
    QString drivePath(const QString& folder) const;

    // Whether the prefix and Wine are there.
    bool present() const;
    // The Places Bar values `wanted` gives.
    QStringList placesBarValues(const QList<PlaceEntry>& wanted) const;
    // What the last import that went through wrote into the Places Bar.
    const QStringList& written() const { return written_; }
    // Why the last write failed; empty when it did not.
    const QString& failure() const { return failure_; }
    // A Wine run is under way or waits for its turn.
    bool writing() const;
    // Called each time a Wine run of ours has ended.
    void onRunEnded(std::function<void()> listener) { runEnded_ = std::move(listener); }

private:
    QString restoreFile() const;
    void step();
    void saveUsersKey(int level);
    // `then` learns whether Wine ran to its end and said nothing on its error channel.
    void run(const QStringList& arguments, std::function<void(bool clean)> then);
    void refuse(const QString& why);
    void restoreDetached();
    bool waitingForDetached();

    QString prefix_;
    QString state_;
    struct Target {
        QStringList placesBar;       // the values wanted in the key
        QStringList navigationPane;  // the drive paths of the folders among them
    };
    std::optional<Target> target_;  // empty: the user's own
    QProcess* process_ = nullptr;
    qint64 detachedPid_ = 0;
    bool refused_ = false;  // the user's key could not be read: this prefix is left alone until the next start
    QStringList written_;
    QString failure_;
    std::function<void()> runEnded_;
    QTimer retry_;
};

}  // namespace varnel::desktop
