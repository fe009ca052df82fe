// Opens Qt's widget file dialog and prints its sidebar, one "label<TAB>url"
// line each. Closing it writes its list back, as every Qt dialog does.
#include <QApplication>
#include <QFileDialog>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int keepIndex = QApplication::arguments().indexOf(QStringLiteral("--keep"));
    const int keepMs = keepIndex > 0 ? QApplication::arguments().value(keepIndex + 1).toInt() * 1000 : 0;
    QFileDialog dialog(nullptr, QStringLiteral("Open"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.resize(760, 480);
    dialog.show();
    QTimer::singleShot(300, [&] {
        QTextStream out(stdout);
        for (const QUrl& url : dialog.sidebarUrls()) {
            const QString label = url.isLocalFile() ? url.fileName() : QStringLiteral("Computer");
            out << label << '\t' << url.toString(QUrl::FullyEncoded) << '\n';
        }
        out.flush();
        QTimer::singleShot(keepMs, [&] { dialog.reject(); });
    });
    QObject::connect(&dialog, &QDialog::finished, &app, &QApplication::quit);
    return app.exec();
}
