#pragma once
// The downloader of the update window: reads one URL, always from the
// network, and writes what arrived to a file. The bytes go to a temporary
// file beside the destination, which replaces the destination only when the
// read completed; a failed read (no answer, an HTTP error, nothing received
// where a signed release does not list an empty file) never touches the
// destination.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "update/verified_release.h"

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

namespace varnel {

class UpdateDownload : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> cancelRequested;          // the window's cancel flag
        std::function<void()> cancelUpdate;             // roll the batch back
        std::function<void(const QString&)> showAlert;  // alert box with a language text
        std::function<QString()> cantConnectText;
        std::function<QString()> downloadCancelledText;
    };

    explicit UpdateDownload(Hooks hooks, QObject* parent = nullptr);
    ~UpdateDownload() override;

    // With a digest check, what arrived replaces the destination only when it
    // passes; otherwise the read counts as failed and the check refuses it.
    void BeginDownload(const QString& url, const QString& destination,
                       std::unique_ptr<DownloadDigestCheck> check = nullptr);
    bool isRunning() const;
    // Stops a running read without a signal; the destination keeps what it held.
    void abandon();

signals:
    void DownloadProgress(qint64 bytesRead, qint64 totalBytes, const QString& destination);
    void DownloadError(const QString& destination);
    void DownloadComplete(qint64 totalBytes, const QString& destination);

private:
    void onProgress(qint64 received, qint64 total);
    void onReadyRead();
    void onFinished();

    Hooks hooks_;
    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<DownloadDigestCheck> check_;
    QString destination_;
    qint64 received_ = 0;
    bool writeFailed_ = false;
};

}  // namespace varnel
