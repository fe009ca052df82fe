#include "editor/programs_menu.h"

#include <algorithm>

#include "programs/program_bindings.h"

namespace varnel {

void fillProgramsMenu(QMenu& menu, GroupService& groups, const std::string& group,
                      const std::vector<std::string>& openPrograms) {
    menu.clear();
    const std::vector<std::string> bound = group.empty() ? std::vector<std::string>{} : programsOfGroup(group);
    // A program of the group that is not running now can still be freed.
    std::vector<std::string> listed = openPrograms;
    for (const std::string& program : bound)
        if (!namesProgram(listed, program)) listed.push_back(program);
    std::sort(listed.begin(), listed.end());
    const bool bindable = !group.empty() && groups.enforcedGroup().empty();
    for (const std::string& program : listed) {
        QAction* item = menu.addAction(QString::fromStdString(program).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setCheckable(true);
        item->setEnabled(bindable);
        item->setChecked(namesProgram(bound, program));
        QObject::connect(item, &QAction::triggered, &menu, [&groups, group, program](bool checked) {
            std::vector<std::string> programs = programsOfGroup(group);
            programs.erase(std::remove_if(programs.begin(), programs.end(),
                                          [&](const std::string& p) { return sameProgram(p, program); }),
                           programs.end());
            if (checked) programs.push_back(program);
            groups.setProgramsOfGroup(group, programs);
        });
    }
    if (menu.isEmpty()) menu.addAction(QStringLiteral("-"))->setEnabled(false);
}

}  // namespace varnel
