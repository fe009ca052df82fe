#include "update/release_check.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

#include "core/log.h"
#include "core/program_folder.h"
#include "lang/text_table.h"
#include "skin/message_boxes.h"
#include "update/verified_release.h"

namespace varnel {

namespace {

const char* const kFiles[] = {"Update.upd", kSumsFile, kSignatureFile};
// Far above any real release; a server that sends more is not sending one.
constexpr qint64 kLimits[] = {16 << 20, 16 << 20, 4096};

}  // namespace

ReleaseCheck::ReleaseCheck(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this)) {
    network_->setCache(nullptr);
}

ReleaseCheck::~ReleaseCheck() { abandon(); }

void ReleaseCheck::start(const QString& base) {
    abandon();
    base_ = base;
    received_.clear();
    fetchNext();
}

void ReleaseCheck::fetchNext() {
    tooLarge_ = false;
    received_.emplace_back();
    QNetworkRequest request(QUrl(base_ + QLatin1String(kFiles[received_.size() - 1])));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Never from HTTPS down to plain HTTP.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &ReleaseCheck::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &ReleaseCheck::onFinished);
}

void ReleaseCheck::onReadyRead() {
    if (!reply_ || tooLarge_) return;
    std::string& bytes = received_.back();
    const QByteArray chunk = reply_->readAll();
    if (static_cast<qint64>(bytes.size()) + chunk.size() > kLimits[received_.size() - 1]) {
        tooLarge_ = true;
        reply_->abort();
        return;
    }
    bytes.append(chunk.constData(), static_cast<size_t>(chunk.size()));
}

void ReleaseCheck::onFinished() {
    QNetworkReply* reply = reply_;
    if (!reply) return;
    onReadyRead();
    reply_ = nullptr;
    reply->deleteLater();
    const std::string file = kFiles[received_.size() - 1];
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    std::string failure;
    if (tooLarge_) failure = file + ": larger than a release file can be";
    else if (status >= 400) failure = file + ": HTTP " + std::to_string(status);
    else if (reply->error() != QNetworkReply::NoError) failure = file + ": " + reply->errorString().toStdString();
    else if (received_.back().empty()) failure = file + ": empty";

    if (!failure.empty()) {
        // No manifest at all is the server out of reach, as without a key.
        if (received_.size() == 1 && !tooLarge_) {
            showAlert(Texts.CantConnect);
            emit refused();
        } else {
            refuse(failure);
        }
        return;
    }
    if (received_.size() < std::size(kFiles)) {
        fetchNext();
        return;
    }

    std::string why = "this program has no release key";
    std::optional<VerifiedRelease> release;
    if (releaseKey()) release = verifyRelease(received_[0], received_[1], received_[2], *releaseKey(), why);
    if (release) why = installRefusal(*release);
    if (!release || !why.empty()) {
        refuse(why);
        return;
    }
    QSaveFile manifest(QString::fromStdString(programPath("Update.upd").string()));
    const std::string& bytes = release->manifest;
    if (!manifest.open(QIODevice::WriteOnly) ||
        manifest.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !manifest.commit()) {
        logError(errorLine("verifyRelease", 75, "Path/File access error") + "\t" +
                 manifest.fileName().toStdString());
        emit refused();
        return;
    }
    emit verified(*release);
}

void ReleaseCheck::refuse(const std::string& why) {
    logError(errorLine("verifyRelease", 0, "Update could not be verified") + "\t" + why);
    showAlert(Texts.UpdateNotVerified);
    emit refused();
}

void ReleaseCheck::abandon() {
    if (!reply_) return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

}  // namespace varnel
