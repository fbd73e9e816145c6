#pragma once

#include <filesystem>
#include <functional>

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

// One look at the update feed: is there a version newer than ours that Sparkle would offer this
// machine? The machine's system version comes from the sim directory.
class FeedChecker final : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        // informational: a newer version with nothing to install, only release notes to read.
        enum class Kind { upToDate, updateAvailable, informational, failed };
        Kind kind = Kind::failed;
        QString version; // the newer version, when there is one
        QString error;   // what went wrong, when the check failed
    };

    // Anything larger is not an appcast of ours.
    static constexpr qint64 maximumFeedBytes = 1 << 20;

    FeedChecker(QUrl feed, QString currentVersion, std::filesystem::path simDir = simDirectory(),
                QObject* parent = nullptr);

    // Fetches and reads the feed; done runs once, on this thread.
    void check(std::function<void(const Outcome&)> done);

    const QUrl& feed() const { return feed_; }

private:
    QNetworkAccessManager network_;
    QUrl feed_;
    QString currentVersion_;
    std::filesystem::path simDir_;
};

} // namespace orvane::sim
