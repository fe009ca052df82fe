#pragma once
// A runnable copy of the program folder the build assembled, in a temporary
// folder, with a private registry store, runtime folder (close channel) and
// message log, so that real copies of the programs can be started, driven
// and checked without touching the user's own.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>
#include <optional>

#include "support/test_env.h"

namespace varnel::test {

// What a command-line run of a program printed, and its exit status (-1 when
// it crashed or did not end).
struct CommandOutcome {
    int status = -1;
    std::string out, err;
};

class ProgramFolderCopy {
public:
    ProgramFolderCopy();
    ~ProgramFolderCopy();

    const std::filesystem::path& folder() const { return env_.folder(); }
    TestEnvironment& env() { return env_; }
    QProcessEnvironment processEnvironment() const;

    // Starts a program of the folder ("Varnel_Zize") with one argument text.
    std::unique_ptr<QProcess> start(const QString& program, const QStringList& arguments = {},
                                    std::optional<QProcessEnvironment> environment = std::nullopt) const;
    // Runs it to its end; false when it did not end within the time.
    bool run(const QString& program, const QStringList& arguments, int timeoutMs = 15000) const;

    // Runs the main program with these arguments in `environment` to its end
    // (a bound of two minutes, for a busy machine).
    CommandOutcome command(const QStringList& arguments, const QProcessEnvironment& environment) const;

    // The lines the programs' message boxes would have shown ("title|text").
    QStringList messages() const;

    // Adds a group to the folder's database and makes it the active one.
    void addGroup(const std::string& name, const std::array<std::string, 5>& places, bool active) const;

    // Waits until `condition` holds, letting events run; false on time-out.
    static bool waitFor(const std::function<bool()>& condition, int timeoutMs = 15000);

private:
    TestEnvironment env_;
    std::filesystem::path runtime_;
    QByteArray savedRuntime_;
};

}  // namespace varnel::test
