#include "shell/Updater.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "shell/Appcast.h"
#include "shell/ProductInfo.h"

namespace shell {
namespace {

bool isSecureFeed(const QUrl& url) {
    if (url.scheme() == u"https") return true;
    if (url.scheme() != u"http") return false;
    const QString host = url.host();
    return host == u"localhost" || QHostAddress(host).isLoopback();
}

UpdateCheckResult failure(const QString& message) {
    UpdateCheckResult result;
    result.error = message;
    return result;
}

}  // namespace

Updater::Options Updater::optionsFrom(const ResourceBundle& bundle) {
    Options options;
    const QVariant feed = bundle.info.value(QStringLiteral("UpdateFeedURL"));
    if (feed.typeId() == QMetaType::QString) options.feedURL = QUrl(feed.toString(), QUrl::StrictMode);
    options.currentVersion = ProductInfo::version(bundle);
    return options;
}

Updater::Updater(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {}

Updater::~Updater() {
    if (reply_) reply_->abort();
}

bool Updater::canCheckForUpdates() const { return options_.feedURL.isValid() && !reply_; }

void Updater::checkForUpdates() {
    if (!canCheckForUpdates()) return;
    if (!isSecureFeed(options_.feedURL)) {
        emit checkFinished(failure(tr("The update feed address must use https: %1").arg(options_.feedURL.toDisplayString())));
        return;
    }
    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(options_.feedURL);
    request.setTransferTimeout(options_.timeoutMilliseconds);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    tooLarge_ = false;
    reply_ = network_->get(request);
    QNetworkReply* reply = reply_;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > options_.maxFeedBytes) {
            tooLarge_ = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
    emit canCheckForUpdatesChanged(false);
}

void Updater::finish(QNetworkReply* reply) {
    reply->deleteLater();
    reply_.clear();
    emit canCheckForUpdatesChanged(canCheckForUpdates());
    if (tooLarge_) {
        emit checkFinished(failure(tr("The update feed is larger than %1 bytes.").arg(options_.maxFeedBytes)));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        emit checkFinished(failure(reply->errorString()));
        return;
    }
    const auto parsed = Appcast::newestRelease(reply->readAll());
    if (const auto* error = std::get_if<Appcast::FeedError>(&parsed)) {
        emit checkFinished(failure(error->message));
        return;
    }
    const auto& release = std::get<Appcast::Release>(parsed);
    const auto current = Appcast::Version::parse(options_.currentVersion);
    if (!current) {
        emit checkFinished(failure(tr("The running version is unknown (\"%1\").").arg(options_.currentVersion)));
        return;
    }
    UpdateCheckResult result;
    result.latestVersion = release.version;
    result.releaseNotes = release.releaseNotes;
    result.outcome = *Appcast::Version::parse(release.version) <= *current
                         ? UpdateCheckResult::Outcome::upToDate
                         : UpdateCheckResult::Outcome::updateAvailable;
    emit checkFinished(result);
}

}  // namespace shell
