#include "update/update_download.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>
#include <vector>

#include "core/log.h"
#include "core/runtime_error.h"

namespace varnel {

UpdateDownload::UpdateDownload(Hooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), network_(new QNetworkAccessManager(this)) {
    network_->setCache(nullptr);
}

UpdateDownload::~UpdateDownload() { abandon(); }

bool UpdateDownload::isRunning() const { return reply_ != nullptr; }

void UpdateDownload::BeginDownload(const QString& url, const QString& destination,
                                   std::unique_ptr<DownloadDigestCheck> check) {
    abandon();
    check_ = std::move(check);
    destination_ = destination;
    received_ = 0;
    writeFailed_ = false;
    try {
        const QUrl target(url);
        if (!target.isValid() || target.scheme().isEmpty()) raiseError(err::InvalidCall);
        file_ = std::make_unique<QSaveFile>(destination);
        if (!file_->open(QIODevice::WriteOnly)) raiseError(err::PathFileAccess);
        QNetworkRequest request(target);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        reply_ = network_->get(request);
        reply_->setReadBufferSize(1 << 20);
        connect(reply_, &QNetworkReply::downloadProgress, this, &UpdateDownload::onProgress);
        connect(reply_, &QNetworkReply::readyRead, this, &UpdateDownload::onReadyRead);
        connect(reply_, &QNetworkReply::finished, this, &UpdateDownload::onFinished);
    } catch (...) {
        file_.reset();
        if (hooks_.showAlert) hooks_.showAlert(hooks_.downloadCancelledText ? hooks_.downloadCancelledText() : QString());
        logCaught("BeginDownload");
        if (hooks_.cancelUpdate) hooks_.cancelUpdate();
        return;
    }
    if (hooks_.cancelRequested && hooks_.cancelRequested() && hooks_.cancelUpdate) hooks_.cancelUpdate();
}

void UpdateDownload::onProgress(qint64 received, qint64 total) {
    if (total < 0) total = received;  // no length announced: what arrived is all we know
    if (total == 0) return;
    if (hooks_.cancelRequested && hooks_.cancelRequested()) {
        abandon();
        if (hooks_.cancelUpdate) hooks_.cancelUpdate();
        return;
    }
    emit DownloadProgress(received, total, destination_);
}

void UpdateDownload::onReadyRead() {
    if (!reply_ || !file_) return;
    // One reusable buffer: large files stream through without growing memory.
    static thread_local std::vector<char> buffer(1 << 20);
    for (;;) {
        const qint64 n = reply_->read(buffer.data(), static_cast<qint64>(buffer.size()));
        if (n <= 0) break;
        received_ += n;
        if (check_) check_->add(buffer.data(), static_cast<size_t>(n));
        if (file_->write(buffer.data(), n) != n) writeFailed_ = true;
    }
}

void UpdateDownload::onFinished() {
    QNetworkReply* reply = reply_;
    if (!reply) return;
    onReadyRead();
    reply_ = nullptr;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Nothing received is taken for a failed read, unless the release vouches for an empty file.
    const bool nothingExpected = check_ && check_->expectsEmpty();
    const bool readFailed =
        reply->error() != QNetworkReply::NoError || status >= 400 || (received_ == 0 && !nothingExpected);
    if (!readFailed && check_ && !check_->passes()) {
        // Not the release's file: it never replaces anything.
        if (file_) file_->cancelWriting();
        file_.reset();
        const std::unique_ptr<DownloadDigestCheck> check = std::move(check_);
        emit DownloadError(destination_);
        check->refuse();
        return;
    }
    std::unique_ptr<QSaveFile> file = std::move(file_);
    bool stored = false;
    if (!readFailed && file && !writeFailed_) stored = file->commit();
    else if (file) file->cancelWriting();
    if (!readFailed && !stored)
        logError(errorLine("BeginDownload", err::PathFileAccess, "Path/File access error") + "\t" +
                 destination_.toStdString());
    if (!stored) {
        // Nothing usable arrived: the destination keeps what it held.
        emit DownloadError(destination_);
        if (hooks_.showAlert) hooks_.showAlert(hooks_.cantConnectText ? hooks_.cantConnectText() : QString());
        return;
    }
    emit DownloadComplete(received_, destination_);
}

void UpdateDownload::abandon() {
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (file_) {
        file_->cancelWriting();
        file_.reset();
    }
}

}  // namespace varnel
