#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/update/UpdateChoice.h"

namespace orvane::sim {

// One look at the update feed: is there a version newer than ours that Sparkle would offer this
// machine? The machine's system version comes from the sim directory. The feed is fetched on this
// thread and read on a thread of its own, so that no feed, however large or odd, holds up the
// thread that asked.
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

    // What reads the fetched feed, on a thread of its own.
    using Reader = std::function<FeedVerdict(const QByteArray& feed, const UpdateHost& host)>;

    // Anything larger is not an appcast of ours.
    static constexpr qint64 maximumFeedBytes = 1 << 20;
    // Connecting, the headers and the whole body: a server that sends a byte now and then never
    // ends a transfer's own timeout.
    static constexpr std::chrono::milliseconds defaultDeadline{30000};

    FeedChecker(QUrl feed, QString currentVersion, std::filesystem::path simDir = simDirectory(),
                QObject* parent = nullptr);
    // A feed still being read is left to finish; its result goes nowhere.
    ~FeedChecker() override;

    // Fetches and reads the feed; done runs once, on this thread.
    void check(std::function<void(const Outcome&)> done);

    void setDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }
    void setReader(Reader reader) { reader_ = std::move(reader); }

    const QUrl& feed() const { return feed_; }

private:
    struct Inbox;

    void read(const QByteArray& feed, std::function<void(const Outcome&)> done);
    void deliver(std::uint64_t check, const FeedVerdict& verdict);

    QNetworkAccessManager network_;
    QUrl feed_;
    QString currentVersion_;
    std::filesystem::path simDir_;
    std::chrono::milliseconds deadline_ = defaultDeadline;
    Reader reader_ = readFeed;
    std::shared_ptr<Inbox> inbox_;
    std::uint64_t nextCheck_ = 0;
    std::map<std::uint64_t, std::function<void(const Outcome&)>> reading_;
};

} // namespace orvane::sim
