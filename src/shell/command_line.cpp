#include "shell/command_line.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "shell/close_channel.h"
#include "shell/group_transfer.h"
#include "shell/tray_icon.h"
#include "shell/program.h"
#include "shell/status_report.h"
#include "skin/message_boxes.h"

namespace varnel {

namespace {

const QString kTitle = QStringLiteral("Varnel_Zize");

enum Status { Done = 0, NotRunning = 1, Unknown = 2, Busy = 3, StillRunning = 4, TargetFailed = 5, SetByOrganisation = 6 };

const char kUsage[] =
    "Usage: Varnel_Zize [OPTION]\n"
    "Without an option, starts Varnel Zize. These options speak to the copy that\n"
    "already runs:\n"
    "  --group NAME   make the group NAME the active group\n"
    "  --list         list the groups; the active one is marked with *, the\n"
    "                 organisation's with (managed), their programs in [ ]\n"
    "  --status       show the active group and, for each place it goes to,\n"
    "                 whether that place holds it\n"
    "  --programs GROUP [PROGRAM...]\n"
    "                 the programs that use GROUP (none: no program); while\n"
    "                 one of them is in front, its group is shown\n"
    "  --quit         end the running copy; it removes what it wrote\n"
    "These work whether or not a copy runs:\n"
    "  --export FILE  write your own groups to FILE as a [Groups] file\n"
    "  --import FILE  add the groups of such a file to your own; a running copy\n"
    "                 offers them at once\n"
    "  --help         show this text\n"
    "The words loggaren (trace log) and deletereg (remove the settings and the\n"
    "Places Bar entries) work as before.\n"
    "Exit status: 0 done, 1 Varnel Zize is not running (or is ending), 2 unknown\n"
    "option or group, a group --export left out, or a file --import did not\n"
    "take, 3 Varnel Zize waits for an answer in one of its windows, 4 Varnel Zize\n"
    "was asked to end but still runs, 5 (--status) the group could not be put\n"
    "into one of its places, 6 (--group) the organisation sets the active group.\n";

void print(FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

int usageError(const QString& message) {
    print(stderr, QStringLiteral("Varnel_Zize: %1\nTry \"Varnel_Zize --help\".\n").arg(message));
    return Unknown;
}

int notRunning() {
    print(stderr, QStringLiteral("Varnel_Zize is not running.\n"));
    return NotRunning;
}

bool connectTo(QLocalSocket& socket, int timeoutMs) {
    socket.connectToServer(closeChannelPath(kTitle));
    return socket.waitForConnected(timeoutMs);
}

// One request, one answer line; an empty object when the copy does not answer.
QJsonObject ask(QLocalSocket& socket, const QJsonObject& request) {
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    socket.waitForBytesWritten(3000);
    QByteArray answer;
    // A copy busy with a download or a window may take a moment to answer.
    QElapsedTimer waited;
    waited.start();
    while (!answer.endsWith('\n') && waited.elapsed() < 10000) {
        if (!socket.waitForReadyRead(500) && socket.state() != QLocalSocket::ConnectedState) break;
        answer += socket.readAll();
    }
    return QJsonDocument::fromJson(answer.trimmed()).object();
}

// The copy is gone once nothing listens on its channel. A connection that is
// not taken in time is a copy still there, too busy to take it. This client
// has no window and runs no event loop, so it may simply block while it waits.
bool waitUntilGone(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        QLocalSocket probe;
        if (!connectTo(probe, 500) && (probe.error() == QLocalSocket::ServerNotFoundError ||
                                       probe.error() == QLocalSocket::ConnectionRefusedError))
            return true;
        probe.abort();
        QThread::msleep(100);
    }
    return false;
}

// Qt's own options, which QGuiApplication, QApplication and the platform
// plugins take from any command line, with one dash or two.
enum class OptionValue { None, Next, Joined };  // Next: "-style x" or "-style=x"; Joined: "=x" only
const std::pair<const char*, OptionValue> kToolkitOptions[] = {
    {"platform", OptionValue::Next},        {"platformpluginpath", OptionValue::Next},
    {"platformtheme", OptionValue::Next},   {"plugin", OptionValue::Next},
    {"qwindowgeometry", OptionValue::Next}, {"geometry", OptionValue::Next},
    {"qwindowtitle", OptionValue::Next},    {"title", OptionValue::Next},
    {"qwindowicon", OptionValue::Next},     {"icon", OptionValue::Next},
    {"session", OptionValue::Next},         {"style", OptionValue::Next},
    {"stylesheet", OptionValue::Next},      {"display", OptionValue::Next},
    {"name", OptionValue::Next},            {"visual", OptionValue::Next},
    {"reverse", OptionValue::None},         {"widgetcount", OptionValue::None},
    {"testability", OptionValue::None},     {"nograb", OptionValue::None},
    {"dograb", OptionValue::None},          {"qmljsdebugger", OptionValue::Joined},
    {"dialogs", OptionValue::Joined},       {"fontengine", OptionValue::Joined}};

// How many words the Qt option at `at` takes, its value with it; 0 when it is none.
int toolkitOptionLength(const QStringList& arguments, int at) {
    QString word = arguments.at(at);
    if (word.startsWith(QLatin1String("--"))) word.remove(0, 1);
    for (const auto& [name, value] : kToolkitOptions) {
        const QString option = QLatin1Char('-') + QLatin1String(name);
        if (value != OptionValue::Joined && word == option)
            return value == OptionValue::Next ? std::min<int>(2, arguments.size() - at) : 1;
        if (value != OptionValue::None && word.startsWith(option + QLatin1Char('='))) return 1;
    }
    return 0;
}

// The arguments without Qt's options and their values. A group name is the
// user's text, whatever it looks like.
QStringList withoutToolkitOptions(const QStringList& arguments) {
    QStringList rest;
    for (int i = 0; i < arguments.size();) {
        if (const int skip = toolkitOptionLength(arguments, i)) {
            i += skip;
            continue;
        }
        // After --programs every word is a group or a program name.
        if (arguments.at(i) == QLatin1String("--programs")) {
            rest << arguments.mid(i);
            break;
        }
        const bool takesName = arguments.at(i) == QLatin1String("--group") ||
                               arguments.at(i) == QLatin1String("--export") ||
                               arguments.at(i) == QLatin1String("--import");
        rest << arguments.at(i++);
        if (takesName && i < arguments.size()) rest << arguments.at(i++);
    }
    return rest;
}

QJsonObject reply(const QString& status) { return {{QStringLiteral("status"), status}}; }

QStringList toStrings(const std::vector<std::string>& names) {
    QStringList out;
    for (const std::string& name : names) out << QString::fromStdString(name);
    return out;
}

QJsonObject switchGroup(const QString& name, Program& program) {
    // Asked to end already: what it wrote is gone and stays gone.
    if (program.isShuttingDown()) return reply(QStringLiteral("ending"));
    // A question or alert box waits for an answer about what the editor
    // shows; switching the group under it would change what it is about.
    if (messageBoxWaiting()) return reply(QStringLiteral("busy"));
    // The editor's load fills the tray's group submenu.
    program.finishStartUp();
    // The list as the groups stand now: another program may have added or
    // removed groups since the tray's submenu was filled.
    GroupService& groups = program.groups();
    if (!toStrings(groups.currentNames()).contains(name)) return reply(QStringLiteral("unknown-group"));
    // The organisation's policy keeps its group active.
    const QString enforced = QString::fromStdString(groups.enforcedGroup());
    if (!enforced.isEmpty() && enforced != name) {
        QJsonObject answer = reply(QStringLiteral("set-by-organisation"));
        answer.insert(QStringLiteral("active"), enforced);
        return answer;
    }
    // The active group's item is greyed: there is nothing to switch.
    if (QString::fromStdString(groups.activeGroup()) == name) return reply(QStringLiteral("ok"));
    groups.activateGroup(name.toStdString());
    return reply(QStringLiteral("ok"));
}

// The groups as they stand now, in the order of the tray's group
// submenu; the active one is the item it shows greyed.
QJsonObject listGroups(Program& program) {
    program.finishStartUp();
    const QStringList names = toStrings(program.groups().currentNames());
    const QString current = QString::fromStdString(program.groups().activeGroup());
    QStringList managed;
    for (const QString& name : names)
        if (program.groups().isManaged(name.toStdString())) managed << name;
    QJsonObject answer = reply(QStringLiteral("ok"));
    answer.insert(QStringLiteral("groups"), QJsonArray::fromStringList(names));
    if (!managed.isEmpty()) answer.insert(QStringLiteral("managed"), QJsonArray::fromStringList(managed));
    answer.insert(QStringLiteral("active"), names.contains(current) ? current : QString());
    // Each listed group's programs, in the order they were bound.
    QJsonObject programs;
    for (const auto& [program, group] : programBindings()) {
        const QString name = QString::fromStdString(group);
        if (!names.contains(name)) continue;
        QJsonArray used = programs.value(name).toArray();
        used.append(QString::fromStdString(program));
        programs.insert(name, used);
    }
    if (!programs.isEmpty()) answer.insert(QStringLiteral("programs"), programs);
    return answer;
}

// Binds the programs to a group the list offers.
QJsonObject setPrograms(const QJsonObject& command, Program& program) {
    if (program.isShuttingDown()) return reply(QStringLiteral("ending"));
    std::vector<std::string> names;
    for (const QJsonValue& name : command.value(QStringLiteral("programs")).toArray()) names.push_back(name.toString().toStdString());
    const bool known = program.groups().setProgramsOfGroup(command.value(QStringLiteral("name")).toString().toStdString(), names);
    return reply(known ? QStringLiteral("ok") : QStringLiteral("unknown-group"));
}

}  // namespace

bool isCommandForRunningCopy(const QStringList& arguments) {
    const QStringList ours = withoutToolkitOptions(arguments);
    return !ours.isEmpty() && ours.first().startsWith(QLatin1Char('-'));
}

int runCommandForRunningCopy(const QStringList& commandLine) {
    const QStringList arguments = withoutToolkitOptions(commandLine);
    const QString option = arguments.value(0);
    QJsonObject request;
    QString name;
    if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
        if (arguments.size() > 1) return usageError(QStringLiteral("--help takes no argument."));
        print(stdout, QString::fromLatin1(kUsage));
        return Done;
    }
    if (option == QLatin1String("--export") || option == QLatin1String("--import")) {
        if (arguments.size() != 2) return usageError(QStringLiteral("%1 takes one file name.").arg(option));
        if (option == QLatin1String("--export")) return exportGroups(arguments.at(1));
        return importGroups(arguments.at(1), [] {
            // A copy that runs reads its list again; none that runs reads it at its start.
            QLocalSocket socket;
            if (connectTo(socket, 3000)) ask(socket, {{QStringLiteral("command"), QStringLiteral("reload")}});
        });
    }
    if (option == QLatin1String("--group")) {
        if (arguments.size() < 2) return usageError(QStringLiteral("--group needs a group name."));
        if (arguments.size() > 2)
            return usageError(QStringLiteral("--group takes one group name; quote a name with blanks."));
        name = arguments.at(1);
        request = {{QStringLiteral("command"), QStringLiteral("group")}, {QStringLiteral("name"), name}};
    } else if (option == QLatin1String("--programs")) {
        if (arguments.size() < 2) return usageError(QStringLiteral("--programs needs a group name."));
        name = arguments.at(1);
        request = {{QStringLiteral("command"), QStringLiteral("programs")},
                   {QStringLiteral("name"), name},
                   {QStringLiteral("programs"), QJsonArray::fromStringList(arguments.mid(2))}};
    } else if (option == QLatin1String("--list") || option == QLatin1String("--quit") ||
               option == QLatin1String("--status")) {
        if (arguments.size() > 1) return usageError(QStringLiteral("%1 takes no argument.").arg(option));
        request = {{QStringLiteral("command"), option.mid(2)}};
    } else {
        return usageError(QStringLiteral("unknown option \"%1\".").arg(option));
    }

    QLocalSocket socket;
    if (!connectTo(socket, 3000)) return notRunning();
    const QJsonObject answer = ask(socket, request);
    const QString status = answer.value(QStringLiteral("status")).toString();
    if (status == QLatin1String("unknown-group")) {
        print(stderr, QStringLiteral("Varnel_Zize: there is no group named \"%1\".\n").arg(name));
        return Unknown;
    }
    if (status == QLatin1String("set-by-organisation")) {
        print(stderr, QStringLiteral("Varnel_Zize: your organisation sets the active group (\"%1\"); the group was not "
                                     "switched.\n")
                          .arg(answer.value(QStringLiteral("active")).toString()));
        return SetByOrganisation;
    }
    if (status == QLatin1String("ending")) {
        print(stderr, option == QLatin1String("--group") ? QStringLiteral("Varnel_Zize is ending; the group was not switched.\n")
                                                         : QStringLiteral("Varnel_Zize is ending.\n"));
        return NotRunning;
    }
    if (status == QLatin1String("busy")) {
        print(stderr, QStringLiteral("Varnel_Zize is waiting for an answer in one of its windows; try again after it.\n"));
        return Busy;
    }
    if (status != QLatin1String("ok")) {
        print(stderr, QStringLiteral("Varnel_Zize did not answer.\n"));
        return NotRunning;
    }
    if (request.value(QStringLiteral("command")) == QLatin1String("list")) {
        const QString active = answer.value(QStringLiteral("active")).toString();
        const QJsonArray managed = answer.value(QStringLiteral("managed")).toArray();
        const QJsonObject programs = answer.value(QStringLiteral("programs")).toObject();
        QString lines;
        for (const QJsonValue& group : answer.value(QStringLiteral("groups")).toArray()) {
            QStringList used;
            for (const QJsonValue& program : programs.value(group.toString()).toArray()) used << program.toString();
            lines += (group.toString() == active ? QStringLiteral("* ") : QStringLiteral("  ")) + group.toString() +
                     (managed.contains(group) ? QStringLiteral(" (managed)") : QString()) +
                     (used.isEmpty() ? QString() : QStringLiteral(" [") + used.join(QStringLiteral(", ")) + ']') +
                     QLatin1Char('\n');
        }
        print(stdout, lines);
    }
    if (request.value(QStringLiteral("command")) == QLatin1String("status")) {
        bool anyFailed = false;
        print(stdout, statusLines(answer, &anyFailed));
        return anyFailed ? TargetFailed : Done;
    }
    if (request.value(QStringLiteral("command")) == QLatin1String("quit")) {
        socket.abort();
        if (!waitUntilGone(15000)) {
            print(stderr, QStringLiteral("Varnel_Zize was asked to end but still runs.\n"));
            return StillRunning;
        }
    }
    return Done;
}

QString answerCommand(const QString& request, Program& program) {
    if (!request.startsWith(QLatin1Char('{'))) return {};
    const QJsonObject command = QJsonDocument::fromJson(request.toUtf8()).object();
    const QString what = command.value(QStringLiteral("command")).toString();
    QJsonObject answer;
    if (what == QLatin1String("group")) {
        answer = switchGroup(command.value(QStringLiteral("name")).toString(), program);
    } else if (what == QLatin1String("list")) {
        answer = listGroups(program);
    } else if (what == QLatin1String("status")) {
        // Asked to end: what it wrote is gone. A box waiting for an answer
        // may be about to change the group.
        if (program.isShuttingDown()) answer = reply(QStringLiteral("ending"));
        else if (messageBoxWaiting()) answer = reply(QStringLiteral("busy"));
        else answer = statusAnswer(program);
    } else if (what == QLatin1String("programs")) {
        answer = setPrograms(command, program);
    } else if (what == QLatin1String("reload")) {
        // Another process changed the user's groups.
        program.followOutsideChange();
        answer = reply(QStringLiteral("ok"));
    } else if (what == QLatin1String("quit")) {
        answer = reply(QStringLiteral("ok"));
        // The answer goes out before the program ends.
        QTimer::singleShot(0, &program, [&program] { program.quit(); });
    } else {
        answer = reply(QStringLiteral("unknown-command"));
    }
    return QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact));
}

}  // namespace varnel
