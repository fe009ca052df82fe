#pragma once
// The group in GTK's bookmarks ($XDG_CONFIG_HOME/gtk-3.0/bookmarks): the
// places of GTK 3's and GTK 4's file choosers and of GNOME's portal.

#include "targets/desktop_lists/desktop_list_target.h"

namespace varnel::desktop {

class GtkTarget : public DesktopListTarget {
public:
    GtkTarget(DesktopFolders folders, std::shared_ptr<Journal> journal)
        : DesktopListTarget(QStringLiteral("GTK"), std::move(folders), std::move(journal)) {}

protected:
    void update(const QList<PlaceEntry>& wanted) override;
    QString listFile() const override;
    std::optional<QStringList> listedFolders() const override;
};

}  // namespace varnel::desktop
