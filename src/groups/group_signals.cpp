#include "groups/group_signals.h"

namespace varnel {

GroupSignals::GroupSignals(GroupService& groups, QObject* parent)
    : QObject(parent), groups_(groups), following_(groups.follow([this](const GroupNotice& notice) { emit changed(notice); })) {}

GroupSignals::~GroupSignals() { groups_.unfollow(following_); }

}  // namespace varnel
