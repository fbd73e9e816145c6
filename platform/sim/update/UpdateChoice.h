#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "platform/sim/update/AppcastFeed.h"

namespace orvane::sim {

// The machine asking: the application's own version and the system's.
struct UpdateHost {
    QString appVersion;
    QString systemVersion;
};

struct FeedEntry {
    QString version;            // what the user reads
    bool informational = false; // nothing to install: the user is pointed to the release notes
};

// The release Sparkle would offer this machine from the feed's items, if one is newer than
// the running version.
std::optional<FeedEntry> chooseUpdate(const std::vector<AppcastItem>& items,
                                      const UpdateHost& host);

// What a feed holds for this machine, read from its bytes: the release to offer, if any, or why
// the feed cannot be used. Takes time on a large feed; safe on any thread.
struct FeedVerdict {
    std::optional<FeedEntry> update;
    QString error;
};
FeedVerdict readFeed(const QByteArray& bytes, const UpdateHost& host);

} // namespace orvane::sim
