#pragma once
// "--status": where the active group is now, target by target.

#include <QJsonObject>
#include <QString>

namespace varnel {

class Program;

// The running copy's answer: {"status":"ok","group":NAME,"targets":[{"name":..,"state":..,"failed":..}]}.
QJsonObject statusAnswer(Program& program);

// The lines "--status" prints for that answer ("Group: NAME", then one line a
// target), and whether a target failed.
QString statusLines(const QJsonObject& answer, bool* anyFailed);

}  // namespace varnel
