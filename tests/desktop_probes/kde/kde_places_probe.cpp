// Prints KDE's places model (the sidebar of KDE's file dialogs and Dolphin),
// one "label<TAB>url" line per place.
#include <KFilePlacesModel>
#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    KFilePlacesModel model;
    QTextStream out(stdout);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        out << model.text(index) << '\t' << model.url(index).toString(QUrl::FullyEncoded) << '\n';
    }
    return 0;
}
