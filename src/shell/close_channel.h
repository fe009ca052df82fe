#pragma once
// How one program asks another to close: the main program keeps a local
// socket named after its window title in lower case ("varnel_zize") in the
// user's runtime folder; a close request is one line "close" sent to it.

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace varnel {

// Where the listener for a window title listens (platform::closeChannelName).
QString closeChannelPath(const QString& title);

// Listens for close requests and for the system asking the program to end
// (termination signals); calls onClose for each, on the user-interface thread.
class CloseListener : public QObject {
public:
    CloseListener(const QString& title, std::function<void()> onClose, QObject* parent = nullptr);
    ~CloseListener() override;
    bool isListening() const;

    // Answers other requests than "close" (one line each) with one line;
    // the main program reports its tray tooltip this way.
    void setQueryHandler(std::function<QString(const QString& request)> handler) { onQuery_ = std::move(handler); }

private:
    QLocalServer* server_;
    std::function<void()> onClose_;
    std::function<QString(const QString&)> onQuery_;
};

// Sends one request line to the program with that window title and returns
// its one-line answer; empty when it does not answer.
QString queryProgram(const QString& title, const QString& request, int timeoutMs = 3000);

// Sends a close request to the program with that window title; false when
// no such program listens.
bool requestClose(const QString& title);

}  // namespace varnel
