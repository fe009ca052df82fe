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
#include <optional>

#include "desktop_places/place_entry.h"

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

private:
    bool present() const;
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
    QTimer retry_;
};

}  // namespace varnel::desktop
