// What an administrator is given: the Group Policy templates (read with an
// XML parser against the names the program reads), the Linux recipe run by
// Ansible for real, and groups carried from one user to another with
// --export and --import.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <filesystem>
#include <fstream>

#include "core/registry.h"
#include "policy/policy.h"
#include "policy/policy_registry.h"
#include "shell/close_channel.h"
#include "support/program_folder_copy.h"
#include "support/x_desktop.h"

using namespace varnel;
using namespace varnel::test;

namespace {

const QString kSource = QStringLiteral(VARNEL_SOURCE_DIR);

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One XML file as its elements: name, attributes and text, in document order.
struct Element {
    QString name, text;
    QXmlStreamAttributes attributes;
    int depth = 0;
};

std::vector<Element> elementsOf(const QString& path) {
    QXmlStreamReader xml(readAll(path));
    std::vector<Element> out;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) out.push_back({xml.name().toString(), {}, xml.attributes(), ++depth});
        else if (xml.isEndElement()) --depth;
        else if (xml.isCharacters() && !out.empty()) out.back().text += xml.text();
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return out;
}

// How long a start may take on a busy machine (a bound, not a measure).
constexpr int kStarted = 120000;

// The copy answers on its channel once it is up. (A command started while it
// starts would count as a second copy and refuse it.)
bool up() {
    return ProgramFolderCopy::waitFor([] { return !queryProgram("Varnel_Zize", "tooltip", 200).isEmpty(); }, kStarted);
}

bool listed(ProgramFolderCopy& folder, const QProcessEnvironment& env, const std::string& list) {
    return ProgramFolderCopy::waitFor([&] { return folder.command({"--list"}, env).out == list; }, 30000);
}

}  // namespace

TEST(AdminKit, TheTemplatesDeclareWhatTheProgramReadsInEveryLanguage) {
    const QString folder = kSource + "/packaging/windows/policy";
    const std::vector<Element> admx = elementsOf(folder + "/VarnelZize.admx");
    // Each registry name the template writes, "key\value" (a list: its key), in lower case.
    QSet<QString> declared, strings, presentations;
    std::map<QString, QSet<QString>> elementIds;  // presentation -> ids of its policy's elements
    QString policyKey, presentation;
    const QRegularExpression reference(QStringLiteral("\\$\\((string|presentation)\\.([^)]+)\\)"));
    for (const Element& e : admx) {
        for (const QXmlStreamAttribute& a : e.attributes) {
            const QRegularExpressionMatch m = reference.match(a.value().toString());
            if (m.hasMatch()) (m.captured(1) == "string" ? strings : presentations) << m.captured(2);
        }
        const QString key = e.attributes.value("key").toString(), value = e.attributes.value("valueName").toString();
        if (e.name == "policy") {
            policyKey = key;
            presentation = reference.match(e.attributes.value("presentation").toString()).captured(2);
            if (!value.isEmpty()) declared << (key + "\\" + value).toLower();
        } else if (e.name == "list") {
            declared << (key.isEmpty() ? policyKey : key).toLower();
        } else if (!value.isEmpty()) {
            declared << ((key.isEmpty() ? policyKey : key) + "\\" + value).toLower();
        }
        if (!e.attributes.value("id").isEmpty() && e.name != "policy") elementIds[presentation] << e.attributes.value("id").toString();
    }
    QSet<QString> read{(QString(kPolicyKey) + "\\Groups").toLower()};
    for (const std::string& name : policySettingNames()) read << (QString(kPolicyKey) + "\\" + QString::fromStdString(name)).toLower();
    EXPECT_EQ(declared, read) << "declared: " << QStringList(declared.values()).join(' ').toStdString();

    for (const char* language : {"en-US", "sv-SE", "de-DE"}) {
        SCOPED_TRACE(language);
        QSet<QString> haveStrings, havePresentations;
        std::map<QString, QSet<QString>> refIds;
        QString in;
        for (const Element& e : elementsOf(folder + "/" + language + "/VarnelZize.adml")) {
            if (e.name == "string") {
                haveStrings << e.attributes.value("id").toString();
                EXPECT_FALSE(e.text.trimmed().isEmpty()) << e.attributes.value("id").toString().toStdString();
            } else if (e.name == "presentation") {
                in = e.attributes.value("id").toString();
                havePresentations << in;
            } else if (e.attributes.hasAttribute("refId")) {
                refIds[in] << e.attributes.value("refId").toString();
            }
        }
        EXPECT_TRUE(haveStrings.contains(strings)) << QStringList((strings - haveStrings).values()).join(' ').toStdString();
        EXPECT_EQ(havePresentations, presentations);
        for (const QString& p : presentations) EXPECT_EQ(refIds[p], elementIds[p]) << p.toStdString();
    }
}

// The README's Ansible play, run by ansible-playbook into a folder of the
// test's, and the program started with that folder's /etc/xdg.
TEST(AdminKit, TheReadmesAnsiblePlayGivesTheProgramItsManagedGroups) {
    const QString play = kSource + "/docs/admin/varnel-policy.yml";
    ASSERT_TRUE(readAll(kSource + "/README.md").contains(readAll(play))) << "the README shows the play as it is";
    ProgramFolderCopy folder;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    const QString root = QString::fromStdString(folder.env().path("root").string());
    QProcessEnvironment env = folder.processEnvironment();
    QProcessEnvironment ansible = env;
    ansible.insert("ANSIBLE_LOCAL_TEMP", root + "-ansible");
    ansible.insert("ANSIBLE_NOCOLOR", "1");
    const QString said = runTool("ansible-playbook", {"-i", "localhost,", "-c", "local", "-e", "root=" + root, play},
                                 ansible, 300000);
    ASSERT_TRUE(said.contains("failed=0")) << said.toStdString();
    EXPECT_TRUE(readAll(root + "/etc/xdg/Varnel/policy.conf").startsWith("[Policy]\nDisableOnlineUpdate=1\n"));

    env.insert("XDG_CONFIG_DIRS", root + "/etc/xdg");
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());
    folder.addGroup("Home", {"/home/a", "/home/b", "/home/c", "/home/d", "/home/e"}, true);
    auto program = folder.start("Varnel_Zize", {}, env);
    ASSERT_TRUE(up());
    EXPECT_TRUE(listed(folder, env, "* Home\n  Finance (managed)\n  Projects (managed)\n"))
        << folder.command({"--list"}, env).out;
    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(30000));
}

// One user's groups written with --export while the program runs, read by a
// fresh user with --import while none runs and again while it runs.
TEST(AdminKit, ExportedGroupsImportIntoAFreshUserAsTheyWere) {
    QTemporaryDir files;
    const QString exported = files.filePath("Groups från Åsa.conf");
    std::string before;
    {
        ProgramFolderCopy folder;
        setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
        QProcessEnvironment env = folder.processEnvironment();
        TrayDisplay display(env);
        ASSERT_TRUE(display.up());
        folder.addGroup("Åsa", {"/home/åsa/Mina dokument", "/srv/a;b", "/tmp", "/srv/ünïcode ☃", "/x"}, false);
        folder.addGroup("Project; 2026 draft", {"/p/1", "/p/2 two", "/p/3", "/p/4", "/p/5"}, true);
        folder.addGroup("a|b", {"/1", "/2", "/3", "/4", "/5"}, false);
        auto program = folder.start("Varnel_Zize", {}, env);
        ASSERT_TRUE(up());
        ASSERT_TRUE(listed(folder, env, "  Åsa\n* Project; 2026 draft\n  a|b\n"));
        const CommandOutcome written = folder.command({"--export", exported}, env);
        EXPECT_EQ(written.status, 2);
        EXPECT_NE(written.err.find("a|b"), std::string::npos) << written.err;
        before = "  Åsa\n  Project; 2026 draft\n";
        ASSERT_TRUE(requestClose("Varnel_Zize"));
        ASSERT_TRUE(program->waitForFinished(30000));
    }
    ProgramFolderCopy fresh;
    setValue(HKEY_CURRENT_USER, kSettingsKey, "Language", std::string("English"));
    QProcessEnvironment env = fresh.processEnvironment();
    const CommandOutcome read = fresh.command({"--import", exported}, env);
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "added: Åsa\nadded: Project; 2026 draft\n");
    TrayDisplay display(env);
    ASSERT_TRUE(display.up());
    auto program = fresh.start("Varnel_Zize", {}, env);
    ASSERT_TRUE(up());
    EXPECT_TRUE(listed(fresh, env, before)) << fresh.command({"--list"}, env).out;
    // The same folders, byte for byte: a second export is the first.
    const QString again = files.filePath("again.conf");
    EXPECT_EQ(fresh.command({"--export", again}, env).status, 0);
    EXPECT_EQ(readAll(again), readAll(exported));

    // A file with a broken line imports nothing; a good one is offered by the
    // running copy at once, a group already there kept as it is.
    {
        std::ofstream(files.filePath("broken.conf").toStdString()) << "[Groups]\nNew=/n\nno equals sign\n";
        std::ofstream(files.filePath("more.conf").toStdString()) << "[Groups]\nNew=/n|/m\nÅsa=/elsewhere\n";
    }
    const CommandOutcome broken = fresh.command({"--import", files.filePath("broken.conf")}, env);
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.err.find("broken.conf line 3"), std::string::npos) << broken.err;
    const CommandOutcome more = fresh.command({"--import", files.filePath("more.conf")}, env);
    EXPECT_EQ(more.out, "added: New\nkept: Åsa (already there)\n");
    EXPECT_TRUE(listed(fresh, env, before + "  New\n")) << fresh.command({"--list"}, env).out;
    ASSERT_TRUE(requestClose("Varnel_Zize"));
    ASSERT_TRUE(program->waitForFinished(30000));
}
