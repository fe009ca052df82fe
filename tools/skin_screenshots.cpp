// Renders every skinned window and every skin button state offscreen into
// PNG files, so the skin can be looked at without starting the program.
// The editor, update, splash and updater windows are shown as previews: the
// skin with sample controls at the places their artwork leaves for them.
//
// Usage: skin_screenshots OUTPUT_FOLDER (run with QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <cstdio>
#include <functional>

#include "core/log.h"
#include "core/program_folder.h"
#include "lang/text_table.h"
#include "skin/message_boxes.h"
#include "skin/play_marker.h"
#include "skin/skin_layout.h"
#include "skin/skin_picture.h"
#include "skin/skin_style.h"
#include "skin/skin_window.h"

using namespace varnel;

namespace {

QDir out;
int failures = 0;

void save(const QPixmap& picture, const QString& name) {
    const QString file = out.filePath(name + ".png");
    if (!picture.save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(file));
}

// A window whose texts the preview writes itself.
class Preview : public SkinWindow {
public:
    Preview(SkinWindowSetup setup, std::function<void(Preview&)> texts)
        : SkinWindow(std::move(setup)), texts_(std::move(texts)) {
        setStyleSheet(skinStyleSheet());
    }

protected:
    void writeTexts() override {
        if (texts_) {
            texts_(*this);
        } else {
            SkinWindow::writeTexts();
        }
    }

private:
    std::function<void(Preview&)> texts_;
};

QLabel* label(QWidget* parent, QRect where, const QString& text, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(where);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, skinInkColour());
    l->setPalette(p);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

CaptionButton* captioned(QWidget* parent, QPoint at, const QString& caption) {
    auto* b = new CaptionButton(parent);
    b->move(at);
    b->setCaption(caption);
    return b;
}

void renderEditor(bool addMode) {
    namespace L = layout::editor;
    Preview window({"sLoader frmMain", {401, 250}, "\\Build\\window.gif", Placement::CentredOnScreen, {}, false},
                   nullptr);
    (new MinimizeButton(&window))->move(L::minimizeButton);
    (new CloseButton(&window))->move(L::closeButton);
    const char* captions[3] = {"Add new", "Change", "Save"};
    for (int i = 0; i < 3; ++i) captioned(&window, {L::mainButtonsLeft, L::mainButtonsTop[i]}, captions[i]);
    auto* marker = new QLabel(&window);
    marker->setPixmap(playMarkerPicture());
    marker->move(L::markerLeft, L::markerTop[addMode ? 0 : 1]);
    if (addMode) {
        auto* name = new QLineEdit("New group name", &window);
        name->setGeometry(L::groupCombo);
    } else {
        auto* list = new QComboBox(&window);
        list->setEditable(true);
        list->addItem("Projects 2024");
        list->setGeometry(L::groupCombo);
    }
    auto* dustbin = new DeleteButton(&window);
    dustbin->move(L::deleteButton);
    dustbin->setEnabled(!addMode);
    const char* places[5] = {"/home/anna/Projects", "/home/anna/Projects/Reports", "/srv/share/Customers",
                             "/home/anna/Pictures/2024", "/media/backup/Archive"};
    for (int i = 0; i < 5; ++i) {
        auto* place = new QLineEdit(addMode ? QString() : places[i], &window);
        place->setGeometry(L::placeEdit(i));
        (new BrowseButton(&window))->move(L::browseButton(i));
    }
    window.loadSkin();
    save(window.grab(), addMode ? "frmMain_add_mode" : "frmMain");
}

void renderMessageBoxes() {
    Texts.Ok = "Ok";
    Texts.Cancel = "Cancel";
    MsgText = "Do you want to save the changes to this group?";
    QuestionBox& question = QuestionBox::instance();
    question.loadSkin();
    save(question.grab(), "frmMsgBox");
    MsgText = "Please fill in all five places.";
    AlertBox& alert = AlertBox::instance();
    alert.loadSkin();
    save(alert.grab(), "frmMsgBoxAlert");
}

void renderUpdate() {
    namespace L = layout::update;
    Preview window({"sLoader frmUpdate", {401, 250}, "\\Build\\UpdateWindow.gif", Placement::BesideEditor, {}, false},
                   [](Preview& w) { w.titleLabel->setText("Varnel Zize Update"); });
    (new CloseButton(&window))->move(L::closeButton);
    label(&window, L::statusLabel, "Downloading", true);
    auto* message = label(&window, L::messageLabel, "Version 1.0.4 opens the editor faster and fixes the tray menu.");
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label(&window, L::fileLabels, "Language\\Svenska.lang");
    auto* progress = new QProgressBar(&window);
    progress->setGeometry(L::progressBars);
    progress->setRange(0, 100);
    progress->setValue(62);
    captioned(&window, L::checkButton, "Check")->setEnabled(false);
    captioned(&window, L::updateButton, "Update")->setEnabled(false);
    captioned(&window, L::cancelButton, "Cancel");
    window.loadSkin();
    save(window.grab(), "frmUpdate");
}

void renderSplash() {
    namespace L = layout::splash;
    Preview window({"sLoader FrmSplash", {299, 147}, "\\build\\splash.gif", Placement::Splash,
                    "\\build\\Icon\\Varnel.ico", false},
                   nullptr);
    label(&window, L::versionLabel, "Ver. 1 - rev.3");
    auto* www = label(&window, L::webAddressLabel, "www.varnel.example");
    www->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette p = www->palette();
    p.setColor(QPalette::WindowText, QColor(40, 104, 170));
    www->setPalette(p);
    QFont f = www->font();
    f.setUnderline(true);
    www->setFont(f);
    window.loadSkin();
    save(window.grab(), "frmSplash");
}

void renderUpdater() {
    Preview window({"sLoader Update.exe", {250, 100}, "\\Build\\MsgBox.gif", Placement::Unmoved, {}, false},
                   [](Preview&) {});
    auto* exitPic = new QLabel(&window);
    exitPic->move(226, 5);
    exitPic->setPixmap(QPixmap::fromImage(loadSkinPicture("\\Build\\Buttons\\Exit.gif")));
    exitPic->adjustSize();
    window.titleLabel->setText("Varnel Zize Update");
    auto* info = label(&window, {8, 32, 234, 50}, "Moving the new files into place…");
    info->setAlignment(Qt::AlignCenter);
    window.loadSkin();
    save(window.grab(), "updater_frmMain");
}

// Each button in each of its looks, on the part of the editor picture it sits on.
void renderButtons() {
    const QImage editor = loadSkinPicture("\\Build\\window.gif");
    struct Family {
        QString name;
        std::function<SkinButton*(QWidget*)> make;
        QPoint spot;  // where it sits on the editor picture
        bool hasDisabledLook;
    };
    const std::vector<Family> families = {
        {"TightButt", [](QWidget* p) { auto* b = new CaptionButton(p); b->setCaption("Change"); return b; },
         {22, 68}, true},
        {"BrowsButt", [](QWidget* p) { return new BrowseButton(p); }, {354, 82}, true},
        {"Btndustbin", [](QWidget* p) { return new DeleteButton(p); }, {354, 46}, true},
        {"ExitButt", [](QWidget* p) { return new CloseButton(p); }, {374, 6}, false},
        {"MiniMizeButt", [](QWidget* p) { return new MinimizeButton(p); }, {352, 6}, false},
    };
    const int margin = 6;
    std::vector<std::pair<QString, QPixmap>> shots;
    for (const Family& family : families) {
        for (const QString state : {"normal", "pressed", "disabled"}) {
            if (state == "disabled" && !family.hasDisabledLook) continue;
            QLabel host;
            SkinButton* button = family.make(&host);
            const QRect area(family.spot - QPoint(margin, margin), button->size() + QSize(2 * margin, 2 * margin));
            host.setPixmap(QPixmap::fromImage(editor.copy(area)));
            host.resize(area.size());
            button->move(margin, margin);
            if (state == "pressed") button->showPressed(true);
            if (state == "disabled") button->setEnabled(false);
            const QPixmap shot = host.grab();
            save(shot, "buttons/" + family.name + "_" + state);
            shots.emplace_back(family.name + " " + state, shot);
        }
    }
    // One sheet of every look, three times larger, for a quick look.
    const int zoom = 3, rowHeight = 37 * zoom + 22;
    QPixmap sheet(760, int(shots.size()) * rowHeight / 3 + 40);
    sheet.fill(QColor(90, 98, 110));
    QPainter painter(&sheet);
    painter.setPen(Qt::white);
    int x = 10, y = 10;
    for (const auto& [name, shot] : shots) {
        const QPixmap big = shot.scaled(shot.size() * zoom, Qt::KeepAspectRatio, Qt::FastTransformation);
        if (x + big.width() > sheet.width() - 10) {
            x = 10;
            y += rowHeight;
        }
        painter.drawPixmap(x, y, big);
        painter.drawText(x, y + big.height() + 12, name);
        x += big.width() + 14;
    }
    painter.end();
    save(sheet.copy(0, 0, sheet.width(), y + rowHeight), "buttons_sheet");
}

// The three icons at each of their sizes, on a light and on a dark panel.
void renderIcons() {
    const char* icons[3] = {"\\build\\Icon\\Varnel.ico", "\\build\\Icon\\Tray.ico", "\\build\\Icon\\Update.ico"};
    const int zoom = 4;
    QPixmap sheet(3 * (52 * zoom + 20) + 20, 2 * (32 * zoom + 20) + 20);
    sheet.fill(QColor(90, 98, 110));
    QPainter painter(&sheet);
    for (int i = 0; i < 3; ++i) {
        const QIcon icon = loadSkinIcon(icons[i]);
        for (int dark = 0; dark < 2; ++dark) {
            const QRect panel(20 + i * (52 * zoom + 20), 20 + dark * (32 * zoom + 20), 52 * zoom, 32 * zoom);
            painter.fillRect(panel, dark ? QColor(33, 37, 43) : QColor(236, 239, 243));
            QPixmap actual(52, 32);
            actual.fill(Qt::transparent);
            QPainter p(&actual);
            p.drawPixmap(0, 0, icon.pixmap(QSize(32, 32)));
            p.drawPixmap(34, 8, icon.pixmap(QSize(16, 16)));
            p.end();
            painter.drawPixmap(panel.topLeft(), actual.scaled(actual.size() * zoom, Qt::KeepAspectRatio,
                                                               Qt::FastTransformation));
        }
    }
    painter.end();
    save(sheet, "icons_sheet");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    setProgramFolder(VARNEL_PROGRAM_DIR);
    out = QDir(QString::fromLocal8Bit(argv[1]));
    out.mkpath("buttons");
    renderEditor(false);
    renderEditor(true);
    renderMessageBoxes();
    renderUpdate();
    renderSplash();
    renderUpdater();
    renderButtons();
    renderIcons();
    return failures == 0 ? 0 : 1;
}
