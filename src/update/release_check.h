#pragma once
// Check for a program that has a release key: Update.upd, Update.sums and
// Update.sig are fetched from the update server, and the manifest reaches
// the program folder (where the update window reads it when told "verified")
// only when the signature over it and the sums holds and the release is one
// this copy may install (installRefusal). Otherwise nothing is offered:
// the user sees that the update could not be verified and the error log
// says why.

#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "update/release_signature.h"

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

signals:
    // The manifest of `release` is in the program folder as Update.upd.
    void verified(const VerifiedRelease& release);
    // The check ended with nothing to offer; the user or the error log was told why.
    void refused();

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

}  // namespace varnel
