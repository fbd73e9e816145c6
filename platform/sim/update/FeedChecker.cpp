#include "platform/sim/update/FeedChecker.h"

#include <mutex>
#include <system_error>
#include <thread>

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "platform/sim/update/FeedBody.h"
#include "platform/sim/update/SimSystemVersion.h"

namespace orvane::sim {

using Kind = FeedChecker::Outcome::Kind;

// Where a reading thread hands its verdict: to the checker while it lives, nowhere after.
struct FeedChecker::Inbox {
    std::mutex mutex;
    FeedChecker* owner = nullptr;
};

FeedChecker::FeedChecker(QUrl feed, QString currentVersion, std::filesystem::path simDir,
                         QObject* parent)
    : QObject(parent)
    , feed_(std::move(feed))
    , currentVersion_(std::move(currentVersion))
    , simDir_(std::move(simDir))
    , inbox_(std::make_shared<Inbox>()) {
    inbox_->owner = this;
}

FeedChecker::~FeedChecker() {
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->owner = nullptr;
    }
    // A transfer ended by the network's destruction must not come back into a checker half gone.
    for (QNetworkReply* reply : network_.findChildren<QNetworkReply*>()) {
        reply->disconnect(this);
    }
}

void FeedChecker::check(std::function<void(const Outcome&)> done) {
    if (!feed_.isValid() || (feed_.scheme() != "https" && feed_.scheme() != "http")) {
        done({Kind::failed, {}, "The update feed address is not a web address."});
        return;
    }
    QNetworkRequest request(feed_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Orvane/" + currentVersion_);
    // Naming the encodings keeps Qt from expanding the body itself: see FeedBody.h.
    request.setRawHeader("Accept-Encoding", acceptedFeedEncodings);
    QNetworkReply* reply = network_.get(request);

    // Why the transfer was ended early, once it was.
    auto cutShort = std::make_shared<QString>();
    const auto end = [reply, cutShort](const QString& why) {
        if (cutShort->isEmpty()) {
            *cutShort = why;
            reply->abort();
        }
    };
    connect(reply, &QNetworkReply::downloadProgress, reply, [end](qint64 received, qint64) {
        if (received > maximumFeedBytes) {
            end("The update feed is too large.");
        }
    });
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply,
            [end] { end("The update server did not answer in time."); });
    deadline->start(deadline_);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, cutShort, done = std::move(done)]() mutable {
                reply->deleteLater();
                if (!cutShort->isEmpty()) {
                    done({Kind::failed, {}, *cutShort});
                    return;
                }
                if (reply->error() != QNetworkReply::NoError) {
                    done({Kind::failed, {}, reply->errorString()});
                    return;
                }
                ExpandedBody body = expandFeedBody(
                    reply->readAll(), reply->rawHeader("Content-Encoding"), maximumFeedBytes);
                if (!body.error.isEmpty()) {
                    done({Kind::failed, {}, body.error});
                    return;
                }
                read(body.bytes, std::move(done));
            });
}

void FeedChecker::read(const QByteArray& feed, std::function<void(const Outcome&)> done) {
    const std::uint64_t check = nextCheck_++;
    reading_.emplace(check, std::move(done));
    const UpdateHost host{currentVersion_, simSystemVersion(simDir_)};
    try {
        // Not joined: the checker may go (the application quits) while a feed is still read.
        std::thread([inbox = inbox_, reader = reader_, feed, host, check] {
            const FeedVerdict verdict = reader(feed, host);
            const std::lock_guard lock(inbox->mutex);
            if (inbox->owner) {
                QMetaObject::invokeMethod(
                    inbox->owner,
                    [owner = inbox->owner, check, verdict] { owner->deliver(check, verdict); },
                    Qt::QueuedConnection);
            }
        }).detach();
    } catch (const std::system_error& error) {
        deliver(check, {std::nullopt, QString("Orvane could not read the update feed: %1.")
                                          .arg(QString::fromLocal8Bit(error.what()))});
    }
}

void FeedChecker::deliver(std::uint64_t check, const FeedVerdict& verdict) {
    const auto waiting = reading_.find(check);
    if (waiting == reading_.end()) {
        return;
    }
    const auto done = std::move(waiting->second);
    reading_.erase(waiting);
    if (!verdict.error.isEmpty()) {
        done({Kind::failed, {}, verdict.error});
    } else if (!verdict.update) {
        done({Kind::upToDate, {}, {}});
    } else {
        done({verdict.update->informational ? Kind::informational : Kind::updateAvailable,
              verdict.update->version,
              {}});
    }
}

} // namespace orvane::sim
