#pragma once

#include <functional>

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

namespace orvane::sim {

// One look at the update feed: is there a version newer than ours?
class FeedChecker final : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        enum class Kind { upToDate, updateAvailable, failed };
        Kind kind = Kind::failed;
        QString version; // the newer version, when there is one
        QString error;   // what went wrong, when the check failed
    };

    // Anything larger is not an appcast of ours.
    static constexpr qint64 maximumFeedBytes = 1 << 20;

    FeedChecker(QUrl feed, QString currentVersion, QObject* parent = nullptr);

    // Fetches and reads the feed; done runs once, on this thread.
    void check(std::function<void(const Outcome&)> done);

    const QUrl& feed() const { return feed_; }

private:
    QNetworkAccessManager network_;
    QUrl feed_;
    QString currentVersion_;
};

} // namespace orvane::sim
