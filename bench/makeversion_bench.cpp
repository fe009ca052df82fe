// The release builder over a generated release of 5,000 files in three
// folder levels: the builder itself (listing, 5,000 rows, the manifest),
// and the whole "Varnel_Zize_Update makeversion1" run, which waits its
// fixed two seconds after loading before it builds.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <fstream>

#include "bench_util.h"
#include "core/db.h"
#include "core/program_folder.h"
#include "core/sql_statements.h"
#include "updater/make_version.h"

using namespace varnel;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const fs::path release = bench::tempFolder("makeversion");
    setProgramFolder(release);
    fs::create_directories(release / "Db");
    fs::copy_file(VARNEL_EMPTY_DATABASE, release / "Db" / "varnel.db");
    // 10 x 10 x 5 folders of 10 files each, minus the database's own slot.
    int files = 1;  // Db/varnel.db
    for (int a = 0; a < 10 && files < 5000; ++a)
        for (int b = 0; b < 10 && files < 5000; ++b)
            for (int c = 0; c < 5 && files < 5000; ++c) {
                const fs::path folder = release / ("Folder" + std::to_string(a)) / ("Sub" + std::to_string(b)) /
                                        ("Leaf" + std::to_string(c));
                fs::create_directories(folder);
                for (int f = 0; f < 10 && files < 5000; ++f, ++files)
                    std::ofstream(folder / ("file" + std::to_string(f) + ".gif")) << "x";
            }
    fs::copy_file(VARNEL_UPDATER_PROGRAM, release / fs::path(VARNEL_UPDATER_PROGRAM).filename());
    ++files;

    auto reset = [&] {
        fs::remove(release / "Update.upd");
        dbExec(sqlEmptyVersionTable());
    };
    const double builder = bench::medianMicroseconds(5, [&] {
        reset();
        makeVersion();
    });
    bench::report("makeversion1_builder_" + std::to_string(files) + "_files", builder / 1e6, "s");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VARNEL_MESSAGE_LOG", QString::fromStdString((release.parent_path() / (release.filename().string() + ".messages")).string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((release / ".config").string()));
    const double whole = bench::medianMicroseconds(3, [&] {
        QProcess updater;
        updater.setProcessEnvironment(environment);
        updater.start(QString::fromStdString((release / fs::path(VARNEL_UPDATER_PROGRAM).filename()).string()),
                      {"makeversion1"});
        updater.waitForFinished(60000);
    });
    bench::report("makeversion1_program_run_" + std::to_string(files) + "_files", whole / 1e6, "s");
    std::ifstream manifest(release / "Update.upd");
    const long lines = std::count(std::istreambuf_iterator<char>(manifest), std::istreambuf_iterator<char>(), '\n');
    if (lines != files + 1) std::fprintf(stderr, "the manifest has %ld lines, not %d\n", lines, files + 1);

    std::error_code ec;
    fs::remove_all(release, ec);
    fs::remove(release.parent_path() / (release.filename().string() + ".messages"), ec);
    return 0;
}
