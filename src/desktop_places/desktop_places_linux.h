#pragma once
// The group's places in the file dialogs of a Linux desktop: GTK's bookmarks,
// KDE's places, Qt's file-dialog shortcuts and the Places Bar of the user's
// Wine prefix. Each list gets our entries after the user's own, and loses
// exactly those again.

#include <QLockFile>
#include <QString>
#include <memory>

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

    // Takes out whatever an earlier run left behind: a killed program's
    // entries, and ours that an open Qt dialog wrote back after our remove.
    void cleanUpEarlierRun();

    // Only for the benchmark and tests that drive the lists without Wine.
    void setFamilies(int families) { forcedFamilies_ = families; }

    const DesktopFolders& folders() const { return folders_; }

private:
    void update(const QList<PlaceEntry>& wanted, bool startUp);
    int families() const;
    void updateGtk(const QList<PlaceEntry>& wanted);
    void updateKde(const QList<PlaceEntry>& wanted);
    void updateQt(const QList<PlaceEntry>& wanted, bool startUp);

    DesktopFolders folders_;
    Journal journal_;
    std::unique_ptr<WinePlaces> wine_;
    int forcedFamilies_ = 0;
};

}  // namespace varnel::desktop
