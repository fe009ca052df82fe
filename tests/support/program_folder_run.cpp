#include "support/program_folder_run.h"

#include "support/spin.h"

#include <QCoreApplication>
#include <QProcess>
#include <fstream>
#include <sstream>

#include "shell/close_channel.h"
#include "support/db_files.h"
#include "update/update_paths.h"

namespace varnel::test {

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return parts;
}

}  // namespace

ProgramFolderRun::ProgramFolderRun(const TestEnvironment& env, const std::filesystem::path& updater)
    : env_(env), folder_(env.path("Varnel")) {
    fs::create_directories(folder_ / "Language");
    fs::create_directories(env.path("run"));
    fs::permissions(env.path("run"), fs::perms::owner_all, fs::perm_options::replace);
    installShippedDatabase(folder_);
    fs::copy_file(updater, folder_ / updaterFileName());
    fs::copy_file(VARNEL_STANDIN_PROGRAM, folder_ / mainProgramEntry());
    fs::copy_file(fs::path(VARNEL_SHIPPED_LANGUAGES) / "English.lang", folder_ / "Language" / "English.lang");
    fs::copy(VARNEL_SKIN_SOURCE_DIR, folder_ / "Build", fs::copy_options::recursive);
    env.writeFile("config/Varnel/HKEY_CURRENT_USER.reg",
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Varnel\\VarnelZize]\r\n\"CurrentGroup\"=\"\"\r\n"
                  "\"Language\"=\"English\"\r\n\r\n");

    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.insert("XDG_RUNTIME_DIR", QString::fromStdString(env.path("run").string()));
    environment_.insert("XDG_CONFIG_HOME", QString::fromStdString(env.path("config").string()));
    environment_.insert("VARNEL_MESSAGE_LOG", QString::fromStdString(env.path("messages.log").string()));
    environment_.insert("QT_QPA_PLATFORM", "offscreen");
    // The desktop's file-dialog lists and a Wine prefix are the user's: a home of the test's own.
    environment_.insert("HOME", QString::fromStdString(env.path("home").string()));
    environment_.insert("XDG_DATA_HOME", QString::fromStdString(env.path("home/.local/share").string()));
    environment_.insert("XDG_STATE_HOME", QString::fromStdString(env.path("home/.local/state").string()));
    environment_.remove("WINEPREFIX");
    savedRuntimeDir_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", env.path("run").string().c_str());
}

ProgramFolderRun::~ProgramFolderRun() {
    // A stand-in that is still running is asked to go.
    requestClose(QStringLiteral("Varnel_Zize"));
    if (savedRuntimeDir_.isEmpty()) qunsetenv("XDG_RUNTIME_DIR");
    else qputenv("XDG_RUNTIME_DIR", savedRuntimeDir_);
}

int ProgramFolderRun::runUpdater(const QStringList& arguments, int timeoutMs) const {
    QProcess updater;
    updater.setProcessEnvironment(environment_);
    updater.setWorkingDirectory(QString::fromStdString(folder_.string()));
    updater.start(QString::fromStdString((folder_ / updaterFileName()).string()), arguments);
    if (!updater.waitForFinished(timeoutMs)) {
        updater.kill();
        updater.waitForFinished();
        return -1;
    }
    return updater.exitCode();
}

std::vector<std::string> ProgramFolderRun::boxes() const {
    return split(readText(env_.path("messages.log")), "\n");
}

std::vector<std::string> ProgramFolderRun::standinLog() const {
    return split(readText(folder_ / "standin.log"), "\n");
}

bool ProgramFolderRun::waitForStandinLog(size_t lines, int timeoutMs) const {
    return spinUntil([&] { return standinLog().size() >= lines; }, timeoutMs);
}

void ProgramFolderRun::closeStandin() const {
    const size_t before = standinLog().size();
    if (requestClose(QStringLiteral("Varnel_Zize"))) waitForStandinLog(before + 1);
}

}  // namespace varnel::test
