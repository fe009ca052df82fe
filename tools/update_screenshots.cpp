// Renders the update window offscreen as a user sees it: after Check found a
// newer file (with the manifest's message), while that file downloads, and
// after the batch; then, in a program with a release key, the alert for the
// same release unsigned. A real local update server serves a small release.
//
// Usage: update_screenshots OUTPUT_FOLDER (run with QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "core/program_folder.h"
#include "core/registry.h"
#include "core/sql_statements.h"
#include "core/db.h"
#include "lang/language_file.h"
#include "platform/linux/file_registry.h"
#include "skin/message_boxes.h"
#include "support/http_server.h"
#include "update/update_window.h"
#include "update/release_signature.h"

using namespace varnel;
namespace fs = std::filesystem;

namespace {

QDir out;
int failures = 0;

void save(QWidget& window, const QString& name) {
    const QString file = out.filePath(name + ".png");
    if (!window.grab().save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(file));
}

void spinUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: update_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    out = QDir(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("."));

    // A program folder of its own, with the build's skin, texts and database.
    const fs::path folder = fs::temp_directory_path() / ("varnel-update-screenshots-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* part : {"Build", "Language", "Db"})
        fs::copy(fs::path(VARNEL_PROGRAM_DIR) / part, folder / part, fs::copy_options::recursive);
    setProgramFolder(folder);
    setRegistryBackend(std::make_unique<platform::FileRegistry>(folder / "config" / "HKEY_CURRENT_USER.reg"));
    parseLanguageFile("English");
    dbExec("delete from tbl_update");
    dbExec(sqlAddReleaseFile("Build\\Skins\\Autumn.bin"));

    // The release: a message and one large file, so the download can be seen.
    const fs::path release = folder / "server" / "VarnelUpdate" / "Zize" / "Update";
    fs::create_directories(release / "Build" / "Skins");
    std::ofstream(release / "Update.upd", std::ios::binary)
        << "Message\t|\tVersion 1.1: an autumn skin and faster downloads.\r\n"
        << "Build\\Skins\\Autumn.bin\t|\t2\r\n\r\n";
    {
        std::ofstream big(release / "Build" / "Skins" / "Autumn.bin", std::ios::binary);
        const std::string block(1 << 20, 'a');
        for (int i = 0; i < 256; ++i) big << block;
    }
    int result = 0;
    {
        test::HttpServer server(folder / "server");
        setValue(HKEY_CURRENT_USER, kSettingsKey, "UpdateServer",
                 (server.baseUrl() + "VarnelUpdate/Zize/Update/").toStdString());

        UpdateWindow& window = UpdateWindow::instance();
        window.move(40, 40);
        window.show();
        emit window.checkButton->clicked();
        spinUntil([&] { return window.statusLabel->isVisible(); });
        save(window, "frmUpdate_checked");

        // The first progress past a quarter of the file is taken as it shows.
        bool grabbed = false;
        QObject::connect(&window, &QObject::destroyed, [] {});
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (grabbed || window.progressBars.empty()) return;
            QProgressBar* bar = window.progressBars[0];
            if (bar->isVisible() && bar->value() > bar->maximum() / 4 && bar->value() < bar->maximum()) {
                grabbed = true;
                save(window, "frmUpdate_downloading");
            }
        });
        watch.start(1);
        // The "UpToDate" alert: shown, taken, answered.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            AlertBox* box = AlertBox::loaded();
            if (!box || !box->isVisible()) return;
            save(*box, "frmUpdate_up_to_date_alert");
            emit box->okButton->clicked();
        });
        answer.start(20);
        bool ended = false;
        QObject::connect(&window, &UpdateWindow::batchEnded, [&] { ended = true; });
        emit window.updateButton->clicked();
        spinUntil([&] { return ended; });
        watch.stop();
        answer.stop();
        if (!grabbed) {
            std::fprintf(stderr, "the download finished before it could be taken\n");
            ++failures;
        }
        save(window, "frmUpdate_finished");
        window.unload();

        // A program with a release key checks the same, unsigned release.
        std::string why;
        writeKeyPair(folder / "keys", why);
        std::ifstream keyFile(folder / "keys" / "public.key");
        std::string keyText;
        keyFile >> keyText;
        setReleaseKey(fromHex<32>(keyText));
        UpdateWindow& keyed = UpdateWindow::instance();
        keyed.move(40, 40);
        keyed.show();
        bool refused = false;
        QObject::disconnect(&answer, nullptr, nullptr, nullptr);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            AlertBox* box = AlertBox::loaded();
            if (!box || !box->isVisible()) return;
            save(*box, "frmUpdate_not_verified_alert");
            refused = true;
            emit box->okButton->clicked();
        });
        answer.start(20);
        emit keyed.checkButton->clicked();
        spinUntil([&] { return refused; });
        answer.stop();
        if (!refused) {
            std::fprintf(stderr, "the unsigned release was not refused\n");
            ++failures;
        }
        keyed.unload();
        setReleaseKey(std::nullopt);
        result = failures ? 1 : 0;
    }
    setRegistryBackend(nullptr);
    fs::remove_all(folder);
    return result;
}
