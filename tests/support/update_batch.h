#pragma once
// The update window as the program opens it, and pressing its Update button
// and waiting for the batch.

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <string>
#include <vector>

#include "core/program_folder.h"
#include "support/spin.h"
#include "update/update_window.h"

namespace varnel::test {

// Opens update windows as the program does. A hand-over to the updater is
// recorded ("start <arguments>") and, with startUpdater, really starts it.
class UpdateWindowOwner {
public:
    ~UpdateWindowOwner() {
        delete window_.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The open window; opens one when none is.
    UpdateWindow& window() {
        if (!open()) {
            window_ = new UpdateWindow();
            QObject::connect(window_, &UpdateWindow::handOverRequested, [this](const QString& updater, const QStringList& arguments) {
                handOvers.push_back("start " + arguments.join(' ').toStdString());
                if (startUpdater)
                    QProcess::startDetached(updater, arguments, QString::fromStdString(pathText(programFolder())));
            });
        }
        return *window_;
    }
    // The open window, or nullptr once it closed.
    UpdateWindow* open() const { return window_ && !window_->isUnloaded() ? window_.data() : nullptr; }
    // Lets the window go, as when the program that handed over has ended.
    void drop() { delete window_.data(); }

    std::vector<std::string> handOvers;
    bool startUpdater = false;

private:
    QPointer<UpdateWindow> window_;
};

// True when the batch ended (in place, rolled back or handed over) in time.
inline bool pressUpdateAndWait(UpdateWindow& window, int timeoutMs = 60000) {
    bool ended = false;
    const QMetaObject::Connection done = QObject::connect(&window, &UpdateWindow::batchEnded, [&] { ended = true; });
    emit window.updateButton->clicked();
    const bool inTime = spinUntil([&] { return ended; }, timeoutMs);
    QObject::disconnect(done);
    return inTime;
}

}  // namespace varnel::test
