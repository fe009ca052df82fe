#include "shell/group_transfer.h"

#include <QSaveFile>
#include <cstdio>

#include "core/file_bytes.h"
#include "core/path_text.h"
#include "core/program_folder.h"
#include "groups/group_file.h"
#include "policy/policy_file.h"

namespace varnel {

namespace {

constexpr int kDone = 0, kRefused = 2;

void print(FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

int refuse(const std::string& why) {
    print(stderr, "Varnel_Zize: " + why + "\n");
    return kRefused;
}

}  // namespace

int exportGroups(const QString& file) {
    // A system-wide install keeps the user's database in the data folder.
    prepareDataFolder();
    std::vector<std::string> leftOut;
    const std::string text = groupsFileText(userGroups(), leftOut);
    QSaveFile out(file);
    const QByteArray bytes = QByteArray::fromStdString(text);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return refuse("cannot write " + file.toStdString() + ": " + out.errorString().toStdString());
    for (const std::string& group : leftOut) print(stderr, "Varnel_Zize: left out " + group + "\n");
    return leftOut.empty() ? kDone : kRefused;
}

int importGroups(const QString& file, const std::function<void()>& tellRunningCopy) {
    const std::string name = file.toStdString();
    const std::optional<std::string> text = readFileBytes(pathFromText(name));
    if (!text) return refuse("cannot read " + name);
    const Policy read = parsePolicy(*text, name);
    if (!read.problems.empty()) {
        for (const PolicyProblem& problem : read.problems) print(stderr, "Varnel_Zize: " + problem.text + "\n");
        return refuse("nothing was imported");
    }
    prepareDataFolder();
    const GroupImport imported = addUserGroups(read.groups);
    if (!imported.error.empty()) return refuse("nothing was imported: " + imported.error);
    for (const auto& [group, added] : imported.groups)
        print(stdout, added ? "added: " + group + "\n" : "kept: " + group + " (already there)\n");
    tellRunningCopy();
    return kDone;
}

}  // namespace varnel
