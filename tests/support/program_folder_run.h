#pragma once
// A program folder of real program files in a test's temporary folder: the
// updater and a stand-in main program copied in, a database, a language
// file and a settings store, and the environment their processes run in
// (a private runtime folder for the close channel, recorded message boxes).

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>

#include "support/test_env.h"

namespace varnel::test {

class ProgramFolderRun {
public:
    // Makes <env>/Varnel with the updater (the build's own unless another is
    // named), the stand-in as the main program, Db/varnel.db and
    // Language/English.lang; points this process's close channel at the same
    // private runtime folder.
    explicit ProgramFolderRun(const TestEnvironment& env,
                              const std::filesystem::path& updater = VARNEL_UPDATER_PROGRAM);
    ~ProgramFolderRun();

    std::filesystem::path folder() const { return folder_; }
    std::filesystem::path path(const std::string& relative) const { return folder_ / relative; }
    QProcessEnvironment environment() const { return environment_; }

    // Runs the updater with a command line and waits for it to end; returns its exit code, -1 when it did not end.
    int runUpdater(const QStringList& arguments, int timeoutMs = 30000) const;
    // The message boxes the programs showed, in order, as "title|text" with
    // line breaks written "\n" (see shell/system_message.h).
    std::vector<std::string> boxes() const;
    // The lines of the stand-in's standin.log.
    std::vector<std::string> standinLog() const;
    // Waits until standin.log has `lines` lines.
    bool waitForStandinLog(size_t lines, int timeoutMs = 15000) const;
    // Asks a running stand-in to close and waits for its "closed".
    void closeStandin() const;

private:
    const TestEnvironment& env_;
    std::filesystem::path folder_;
    QProcessEnvironment environment_;
    QByteArray savedRuntimeDir_;
};

}  // namespace varnel::test
