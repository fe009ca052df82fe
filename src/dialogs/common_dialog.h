#pragma once
// One object in front of the common dialogs: the caller sets properties,
// runs an operation (directly or by writing `Action`) and reads the results
// back from the properties. The group editor uses the folder browser.

#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

namespace varnel {

class CommonDialog {
public:
    // Writing Action runs an operation: 1 open, 2 save, 3 colour, 4 font,
    // 5 printer, 6 help, 7 about, 8 folder, 9 format, 10 icon, 12 restart,
    // 13 run, 14 shut down; any other number does nothing.
    void setAction(std::int32_t action);

    bool CancelError = false;
    QWidget* hOwner = nullptr;
    std::int32_t flags = 0;
    QString DialogTitle;
    QString DialogPrompt;
    QString AppName;
    std::intptr_t hIcon = 0;
    bool Bold = false, Italic = false, StrikeThru = false, Underline = false;
    QString FontName;
    std::int32_t FontSize = 0;
    QString DefaultExt;
    QString filename;
    QString FileTitle;
    QString Filter;  // description|pattern|description|pattern
    std::int32_t FilterIndex = 0;
    QString InitDir;
    // Folders the folder browser adds to its sidebar, after the user's own.
    QStringList SidebarFolders;
    std::int32_t HelpCommand = 0;
    QString HelpFile;
    std::int32_t HelpKey = 0;
    std::uint32_t RGBResult = 0;  // 0x00BBGGRR

    // Only 16 and 32 are sizes; anything else is stored, and handed back, as 32.
    std::int32_t IconSize();
    void setIconSize(std::int32_t& size);

    void ShowOpen();
    void ShowSave();
    void ShowColor();
    void ShowFont();
    void ShowPrinter();
    void ShowHelp();
    QString ShowAbout();
    // Lets the user pick a folder (or, with flag 0x4000, a file); the choice
    // is left in InitDir, which is empty when nothing was chosen.
    QString ShowFolder();
    std::int32_t ShowFormat(std::int32_t iDrive, std::int32_t iCapacity, std::int32_t iFormatType);
    QString ShowIcon();
    QString ShowRestart();
    QString ShowRun();
    QString ShowShutDown();
    QString ShowObjectProp(const QString& sObjectName, const QString& sTab);
    void ShowFindFiles();

    // "Text|*.txt|All|*.*" as the toolkit's filter list "Text (*.txt);;All (*.*)".
    static QString toolkitFilter(const QString& filter);

private:
    void runFileDialog(bool save);
    void cancelled();

    std::int32_t iconSize_ = 0;
    std::int32_t lastResult_ = 0;  // the last platform result, kept as the original did
};

}  // namespace varnel
