#pragma once
// What the lists of the Linux desktops' file dialogs have in common: a list
// file that we share with its toolkit, our record of what we added to it in
// the journal, and a failure that is remembered until the next write works.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "targets/desktop_lists/desktop_folders.h"
#include "targets/desktop_lists/file_update.h"
#include "targets/desktop_lists/journal.h"
#include "targets/place_target.h"

namespace varnel::desktop {

class DesktopListTarget : public PlaceTarget {
public:
    // `name` as "--status" and the setting "DesktopPlaces" name the list, and
    // as the journal records it.
    DesktopListTarget(QString name, DesktopFolders folders, std::shared_ptr<Journal> journal);

    std::string name() const override { return name_.toStdString(); }
    void apply(const PlaceSet& places) override;
    void remove() override;
    void cleanUpEarlierRun() override;
    std::vector<TargetReport> report(const PlaceSet& group) const override;
    std::string lastFailure() const override { return failure_.toStdString(); }

protected:
    // Makes the list hold our `wanted` entries and no other of ours.
    virtual void update(const QList<PlaceEntry>& wanted) = 0;
    virtual QString listFile() const = 0;
    // The folders the list shows now; nothing when the list is not there.
    virtual std::optional<QStringList> listedFolders() const = 0;

    // Whether a write went through; a failure is logged and remembered.
    bool succeeded(const QString& path, UpdateResult result, bool journalWritten);
    void fail(const QString& what);

    const QString name_;
    const DesktopFolders folders_;
    const std::shared_ptr<Journal> journal_;
    // The list's file is there but could not be read: left alone until the next start.
    bool refused_ = false;

private:
    QString failure_;
};

}  // namespace varnel::desktop
