#include "dialogs/common_dialog.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>
#include <QUrl>

#include "core/program_folder.h"
#include "core/runtime_error.h"

namespace varnel {

namespace {

constexpr std::int32_t BIF_BROWSEINCLUDEFILES = 0x4000;
constexpr int kCancelErrorNumber = 32755;  // "Cancel was selected."

// The folder browser: folders, and with BIF_BROWSEINCLUDEFILES files too.
// Only existing file-system items can be chosen, whatever the flags say.
class FolderBrowser : public QFileDialog {
public:
    FolderBrowser(QWidget* owner, const QString& prompt, const QString& root, bool includeFiles,
                  const QStringList& sidebarFolders)
        : QFileDialog(owner), includeFiles_(includeFiles) {
        setOption(QFileDialog::DontUseNativeDialog, true);
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly, !includeFiles);
        setOption(QFileDialog::DontResolveSymlinks, true);
        setWindowTitle(prompt.isEmpty() ? QStringLiteral("Varnel Zize") : prompt);
        setDirectory(root);
        // The group's folders in the sidebar, after the user's own.
        QList<QUrl> urls = sidebarUrls();
        for (const QString& path : sidebarFolders) {
            if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QFileInfo(path).isDir()) continue;
            const QUrl url = QUrl::fromLocalFile(QDir::cleanPath(path));
            if (urls.contains(url)) continue;
            urls.append(url);
            groupUrls_.append(url);
        }
        setSidebarUrls(urls);
    }

    QString chosen() const { return chosen_; }

protected:
    // Qt's dialog keeps its sidebar in the user's settings when it closes:
    // what goes there is the user's list, without the group's folders.
    void done(int result) override {
        QList<QUrl> urls = sidebarUrls();
        for (const QUrl& url : groupUrls_) urls.removeAll(url);
        setSidebarUrls(urls);
        QFileDialog::done(result);
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return;
        const QFileInfo info(files.first());
        if (info.isDir() || (includeFiles_ && info.isFile())) {
            chosen_ = QDir::toNativeSeparators(info.absoluteFilePath());
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

private:
    bool includeFiles_;
    QString chosen_;
    QList<QUrl> groupUrls_;
};

QColor fromColorRef(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
std::uint32_t toColorRef(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

}  // namespace

void CommonDialog::setAction(std::int32_t action) {
    switch (action) {
    case 1: ShowOpen(); break;
    case 2: ShowSave(); break;
    case 3: ShowColor(); break;
    case 4: ShowFont(); break;
    case 5: ShowPrinter(); break;
    case 6: ShowHelp(); break;
    case 7: ShowAbout(); break;
    case 8: ShowFolder(); break;
    case 9: ShowFormat(0, 0, 0); break;
    case 10: ShowIcon(); break;
    case 12: ShowRestart(); break;
    case 13: ShowRun(); break;
    case 14: ShowShutDown(); break;
    default: break;
    }
}

std::int32_t CommonDialog::IconSize() {
    if (iconSize_ != 16 && iconSize_ != 32) iconSize_ = 32;
    return iconSize_;
}

void CommonDialog::setIconSize(std::int32_t& size) {
    if (size != 16 && size != 32) size = 32;
    iconSize_ = size;
}

QString CommonDialog::toolkitFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

void CommonDialog::cancelled() {
    if (CancelError) throw RuntimeError(kCancelErrorNumber, "Cancel was selected.");
}

void CommonDialog::runFileDialog(bool save) {
    QFileDialog dialog(hOwner, DialogTitle);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDirectory(InitDir.isEmpty() ? QString::fromStdString(pathText(programFolder())) : InitDir);
    if (!DefaultExt.isEmpty()) dialog.setDefaultSuffix(DefaultExt);
    const QString filters = toolkitFilter(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilter(filters);
        const QStringList list = filters.split(QStringLiteral(";;"));
        if (FilterIndex >= 1 && FilterIndex <= list.size()) dialog.selectNameFilter(list[FilterIndex - 1]);
    }
    if (!filename.isEmpty()) dialog.selectFile(filename);
    lastResult_ = dialog.exec();
    if (lastResult_ != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        cancelled();
        return;
    }
    const QFileInfo info(dialog.selectedFiles().first());
    filename = QDir::toNativeSeparators(info.absoluteFilePath());
    FileTitle = info.fileName();
}

void CommonDialog::ShowOpen() { runFileDialog(false); }
void CommonDialog::ShowSave() { runFileDialog(true); }

void CommonDialog::ShowColor() {
    QColorDialog dialog(fromColorRef(RGBResult), hOwner);
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    lastResult_ = dialog.exec();
    if (lastResult_ != QDialog::Accepted) return cancelled();
    RGBResult = toColorRef(dialog.selectedColor());
}

void CommonDialog::ShowFont() {
    QFont initial(FontName);
    if (FontSize > 0) initial.setPointSize(FontSize);
    initial.setBold(Bold);
    initial.setItalic(Italic);
    initial.setUnderline(Underline);
    initial.setStrikeOut(StrikeThru);
    QFontDialog dialog(initial, hOwner);
    dialog.setOption(QFontDialog::DontUseNativeDialog, true);
    lastResult_ = dialog.exec();
    if (lastResult_ != QDialog::Accepted) return cancelled();
    const QFont f = dialog.selectedFont();
    Italic = f.italic();
    Underline = f.underline();
    StrikeThru = f.strikeOut();
    Bold = f.bold();
    FontSize = f.pointSize();
    FontName = f.family().left(79);
}

void CommonDialog::ShowPrinter() {
    QPrinter printer;
    QPrintDialog dialog(&printer, hOwner);
    lastResult_ = dialog.exec();
    if (lastResult_ != QDialog::Accepted) cancelled();
}

// Help files, the icon picker, the run, restart and shut-down dialogs, drive
// formatting, property sheets and the find-files window belong to the Windows
// shell; where it is absent these do nothing and give their neutral result.
void CommonDialog::ShowHelp() {}

QString CommonDialog::ShowAbout() {
    if (AppName.isEmpty()) AppName = QString(QChar(0));
    QMessageBox::about(hOwner, AppName, DialogPrompt);
    return {};
}

QString CommonDialog::ShowFolder() {
    const bool includeFiles = (flags & 0x7001) >= 0x1000 && (flags & BIF_BROWSEINCLUDEFILES);
    FolderBrowser browser(hOwner, DialogPrompt, InitDir.isEmpty() ? QDir::homePath() : InitDir, includeFiles,
                          SidebarFolders);
    lastResult_ = browser.exec();
    InitDir = lastResult_ == QDialog::Accepted ? browser.chosen() : QString();
    return {};
}

std::int32_t CommonDialog::ShowFormat(std::int32_t, std::int32_t, std::int32_t) { return 0; }

QString CommonDialog::ShowIcon() {
    IconSize();
    return {};
}

QString CommonDialog::ShowRestart() { return {}; }
QString CommonDialog::ShowRun() { return {}; }
QString CommonDialog::ShowShutDown() { return {}; }
QString CommonDialog::ShowObjectProp(const QString&, const QString&) { return {}; }
void CommonDialog::ShowFindFiles() {}

}  // namespace varnel
