// Varnel_Zize_Update: finishes an update the main program cannot finish
// itself, ends a running main program, and builds a release's manifest.

#include <QApplication>
#include <QStringList>

#include "update/compiled_release_key.h"
#include "skin/readable_font.h"
#include "updater/updater_window.h"

int main(int argc, char** argv) {
    // Wayland does not let a program place its own windows. (Under Wine the
    // Unix DISPLAY reaches Windows programs too, which have no xcb.)
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    QApplication app(argc, argv);
    varnel::useReadableInterfaceFont();
    varnel::setReleaseKey(varnel::compiledReleaseKey());
    // The command is the whole command line after the program's name.
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    return varnel::updater::runUpdater(words.join(QLatin1Char(' ')));
}
