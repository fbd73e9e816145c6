#include "platform/sim/update/FeedChecker.h"

#include <memory>

#include <QNetworkReply>
#include <QNetworkRequest>

#include "platform/sim/update/AppcastFeed.h"
#include "platform/sim/update/SimSystemVersion.h"
#include "platform/sim/update/UpdateChoice.h"

namespace orvane::sim {

namespace {

constexpr int transferTimeoutMs = 30000;

} // namespace

FeedChecker::FeedChecker(QUrl feed, QString currentVersion, std::filesystem::path simDir,
                         QObject* parent)
    : QObject(parent)
    , feed_(std::move(feed))
    , currentVersion_(std::move(currentVersion))
    , simDir_(std::move(simDir)) {}

void FeedChecker::check(std::function<void(const Outcome&)> done) {
    using Kind = Outcome::Kind;
    if (!feed_.isValid() || (feed_.scheme() != "https" && feed_.scheme() != "http")) {
        done({Kind::failed, {}, "The update feed address is not a web address."});
        return;
    }
    QNetworkRequest request(feed_);
    request.setTransferTimeout(transferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Orvane/" + currentVersion_);
    QNetworkReply* reply = network_.get(request);

    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, tooLarge](qint64 received, qint64) {
                if (received > maximumFeedBytes) {
                    *tooLarge = true;
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply, tooLarge, done] {
        reply->deleteLater();
        if (*tooLarge) {
            done({Kind::failed, {}, "The update feed is too large."});
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            done({Kind::failed, {}, reply->errorString()});
            return;
        }
        const ParsedFeed feed = parseAppcast(reply->readAll());
        if (!feed.error.isEmpty()) {
            done({Kind::failed, {}, feed.error});
            return;
        }
        const auto update = chooseUpdate(feed.items, {currentVersion_, simSystemVersion(simDir_)});
        if (!update) {
            done({Kind::upToDate, {}, {}});
        } else {
            done({update->informational ? Kind::informational : Kind::updateAvailable,
                  update->version,
                  {}});
        }
    });
}

} // namespace orvane::sim
