#pragma once
// The menu that binds programs to a group, in the tray and in the editor:
// the programs with windows open now and those the group has already, a
// check mark for the group's own; a click binds one or frees it.

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "groups/group_service.h"

namespace varnel {

// The programs with a window open now, by their executables' file names.
using OpenPrograms = std::function<std::vector<std::string>()>;

// Fills `menu` for `group`; every item is greyed where there is no group to
// bind to (none, or the organisation sets the group).
void fillProgramsMenu(QMenu& menu, GroupService& groups, const std::string& group,
                      const std::vector<std::string>& openPrograms);

}  // namespace varnel
