#pragma once
// Where the windows meet the group service: its notification as a Qt signal.

#include <QObject>

#include "groups/group_service.h"

namespace varnel {

class GroupSignals : public QObject {
    Q_OBJECT
public:
    // Follows `groups` for as long as it lives.
    GroupSignals(GroupService& groups, QObject* parent);
    ~GroupSignals() override;

signals:
    // Sent while the service acts, before its call returns.
    void changed(const varnel::GroupNotice& notice);

private:
    GroupService& groups_;
    int following_;
};

}  // namespace varnel
