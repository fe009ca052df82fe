#pragma once
// The group in KDE's places ($XDG_DATA_HOME/user-places.xbel): the places
// panel of KDE's file dialogs and of Dolphin.

#include "targets/desktop_lists/desktop_list_target.h"

namespace varnel::desktop {

class KdeTarget : public DesktopListTarget {
public:
    KdeTarget(DesktopFolders folders, std::shared_ptr<Journal> journal)
        : DesktopListTarget(QStringLiteral("KDE"), std::move(folders), std::move(journal)) {}

protected:
    void update(const QList<PlaceEntry>& wanted) override;
    QString listFile() const override;
    // Nothing while KDE has not made its file: KDE is not in use here.
    std::optional<QStringList> listedFolders() const override;
};

}  // namespace varnel::desktop
