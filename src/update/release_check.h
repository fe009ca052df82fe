#pragma once
// Check for a program that has a release key: Update.upd, Update.sums and
// Update.sig are fetched from the update server, and the manifest reaches
// the program folder (where the update window's timer reads it) only when
// the signature over it and the sums holds and the release is one this copy
// may install (installRefusal). Otherwise nothing is offered:
// the user sees that the update could not be verified and the error log
// says why.

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace varnel {

class ReleaseCheck : public QObject {
    Q_OBJECT
public:
    explicit ReleaseCheck(QObject* parent = nullptr);
    ~ReleaseCheck() override;

    // Starts fetching from `base` (ending in "/"), dropping a check still running.
    void start(const QString& base);
    bool isRunning() const { return reply_ != nullptr; }

private:
    void fetchNext();
    void onReadyRead();
    void onFinished();
    void refuse(const std::string& why);
    void abandon();

    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    QString base_;
    std::vector<std::string> received_;  // Update.upd, Update.sums, Update.sig as they arrive
    bool tooLarge_ = false;
};

// Check for the update window `window`: through its own ReleaseCheck.
void startReleaseCheck(QObject* window, const std::string& base);

}  // namespace varnel
