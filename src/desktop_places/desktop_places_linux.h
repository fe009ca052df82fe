#pragma once
// The group's places in the file dialogs of a Linux desktop: GTK's bookmarks,
// KDE's places, Qt's file-dialog shortcuts and the Places Bar of the user's
// Wine prefix. Each list gets our entries after the user's own, and loses
// exactly those again.

#include <QLockFile>
#include <QSet>
#include <QString>
#include <memory>

#include "desktop_places/file_update.h"
#include "desktop_places/journal.h"
#include "places/desktop_places.h"

namespace varnel::desktop {

class WinePlaces;

// Where the lists and our journal live (from the XDG folders by default).
struct DesktopFolders {
    QString config;  // $XDG_CONFIG_HOME
    QString data;    // $XDG_DATA_HOME
    QString state;   // $XDG_STATE_HOME/Varnel
    QString winePrefix;
    static DesktopFolders fromEnvironment();
};

// The families, as the setting "DesktopPlaces" names them.
enum Family { FamilyGtk = 1, FamilyKde = 2, FamilyQt = 4, FamilyWine = 8 };

class LinuxDesktopPlaces : public DesktopPlaces {
public:
    explicit LinuxDesktopPlaces(DesktopFolders folders);
    ~LinuxDesktopPlaces() override;

    void apply(const std::array<std::string, 5>& places) override;
    void remove() override;

    // Takes out what a killed earlier run left behind.
    void cleanUpEarlierRun();

    // Only for the benchmark and tests that drive the lists without Wine.
    void setFamilies(int families) { forcedFamilies_ = families; }

    const DesktopFolders& folders() const { return folders_; }

private:
    void update(const QList<PlaceEntry>& wanted, bool startUp);
    int families() const;
    void updateGtk(const QList<PlaceEntry>& wanted);
    void updateKde(const QList<PlaceEntry>& wanted);
    void updateQt(const QList<PlaceEntry>& wanted);
    bool succeeded(const QString& list, const QString& path, UpdateResult result, bool journalWritten);

    DesktopFolders folders_;
    Journal journal_;
    // Lists whose file is there but could not be read: left alone until the next start.
    QSet<QString> refused_;
    // Each run of entries we appended to Qt's list in this run.
    QList<QList<PlaceEntry>> qtTails_;
    std::unique_ptr<WinePlaces> wine_;
    int forcedFamilies_ = 0;
};

}  // namespace varnel::desktop
