#include "shell/status_report.h"

#include <QJsonArray>
#include <algorithm>

#include "shell/program.h"

namespace varnel {

QJsonObject statusAnswer(Program& program) {
    program.finishStartUp();
    GroupService& groups = program.groups();
    const std::string active = groups.activeGroup();
    const std::vector<std::string> names = groups.currentNames();
    const bool known = std::find(names.begin(), names.end(), active) != names.end();
    QJsonArray targets;
    for (const TargetReport& line : program.targets().report())
        targets.append(QJsonObject{{QStringLiteral("name"), QString::fromStdString(line.target)},
                                   {QStringLiteral("state"), QString::fromStdString(stateText(line))},
                                   {QStringLiteral("failed"), line.state == TargetState::Failed}});
    return {{QStringLiteral("status"), QStringLiteral("ok")},
            {QStringLiteral("group"), known ? QString::fromStdString(active) : QString()},
            {QStringLiteral("targets"), targets}};
}

QString statusLines(const QJsonObject& answer, bool* anyFailed) {
    const QString group = answer.value(QStringLiteral("group")).toString();
    QString lines = QStringLiteral("Group: %1\n").arg(group.isEmpty() ? QStringLiteral("none") : group);
    *anyFailed = false;
    for (const QJsonValue& value : answer.value(QStringLiteral("targets")).toArray()) {
        const QJsonObject target = value.toObject();
        lines += target.value(QStringLiteral("name")).toString() + QStringLiteral(": ") +
                 target.value(QStringLiteral("state")).toString() + QLatin1Char('\n');
        *anyFailed |= target.value(QStringLiteral("failed")).toBool();
    }
    return lines;
}

}  // namespace varnel
