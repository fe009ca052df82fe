#pragma once
// The group in the sidebar of Qt's own file dialog ($XDG_CONFIG_HOME/QtProject.conf).

#include "targets/desktop_lists/desktop_list_target.h"

namespace varnel::desktop {

class QtTarget : public DesktopListTarget {
public:
    QtTarget(DesktopFolders folders, std::shared_ptr<Journal> journal)
        : DesktopListTarget(QStringLiteral("Qt"), std::move(folders), std::move(journal)) {}

    void cleanUpEarlierRun() override;

protected:
    void update(const QList<PlaceEntry>& wanted) override;
    QString listFile() const override;
    // Nothing while no Qt dialog has made the file.
    std::optional<QStringList> listedFolders() const override;

private:
    // Each run of entries we appended to Qt's list in this run.
    QList<QList<PlaceEntry>> tails_;
};

}  // namespace varnel::desktop
