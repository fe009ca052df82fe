#include "support/program_folder_copy.h"

#include "support/spin.h"

#include <QCoreApplication>
#include <fstream>
#include <sstream>

#include "core/db.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "platform/linux/file_registry.h"

namespace varnel::test {

ProgramFolderCopy::ProgramFolderCopy() {
    std::filesystem::copy(VARNEL_BUILT_PROGRAM_DIR, env_.folder(),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    for (const char* log : {"Error.log", "loggaren.log"}) std::filesystem::remove(env_.path(log));
    // The programs' registry store is the one the test's own engine uses.
    setRegistryBackend(std::make_unique<platform::FileRegistry>(env_.path("config/Varnel/HKEY_CURRENT_USER.reg")));
    runtime_ = env_.path(".runtime");
    std::filesystem::create_directories(runtime_);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    // Close requests from the test reach the programs of this folder only.
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_.string()));
}

ProgramFolderCopy::~ProgramFolderCopy() {
    if (savedRuntime_.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
    else qputenv("XDG_RUNTIME_DIR", savedRuntime_);
}

QProcessEnvironment ProgramFolderCopy::processEnvironment() const {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", QString::fromStdString(env_.path("config").string()));
    e.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime_.string()));
    e.insert("VARNEL_MESSAGE_LOG", QString::fromStdString(env_.path("messages.log").string()));
    if (!e.contains("QT_QPA_PLATFORM")) e.insert("QT_QPA_PLATFORM", "offscreen");
    // The desktop's file-dialog lists and a Wine prefix are the user's: a home of the test's own.
    e.insert("HOME", QString::fromStdString(env_.path("home").string()));
    e.insert("XDG_DATA_HOME", QString::fromStdString(env_.path("home/.local/share").string()));
    e.insert("XDG_STATE_HOME", QString::fromStdString(env_.path("home/.local/state").string()));
    e.remove("WINEPREFIX");
    return e;
}

std::unique_ptr<QProcess> ProgramFolderCopy::start(const QString& program, const QStringList& arguments,
                                                   std::optional<QProcessEnvironment> environment) const {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(environment ? *environment : processEnvironment());
    p->setWorkingDirectory(QString::fromStdString(env_.folder().string()));
    p->setProgram(QString::fromStdString(env_.path(program.toStdString()).string()));
    p->setArguments(arguments);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start();
    p->waitForStarted(10000);
    return p;
}

bool ProgramFolderCopy::run(const QString& program, const QStringList& arguments, int timeoutMs) const {
    auto p = start(program, arguments);
    if (p->waitForFinished(timeoutMs)) return true;
    p->kill();
    p->waitForFinished(5000);
    return false;
}

CommandOutcome ProgramFolderCopy::command(const QStringList& arguments, const QProcessEnvironment& environment) const {
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QString::fromStdString(env_.path("Varnel_Zize").string()), arguments);
    if (!p.waitForFinished(120000)) p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

QStringList ProgramFolderCopy::messages() const {
    std::ifstream in(env_.path("messages.log"));
    std::stringstream s;
    s << in.rdbuf();
    return QString::fromStdString(s.str()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void ProgramFolderCopy::addGroup(const std::string& name, const std::array<std::string, 5>& places,
                                 bool active) const {
    dbExec(sqlAddGroup(name, places));
    if (active) setValue(HKEY_CURRENT_USER, kSettingsKey, "CurrentGroup", name);
}

bool ProgramFolderCopy::waitFor(const std::function<bool()>& condition, int timeoutMs) {
    return spinUntil(condition, timeoutMs);
}

}  // namespace varnel::test
