#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// The update feed, an RSS "appcast" whose items announce released versions.
namespace orvane::sim {

struct FeedEntry {
    QString version; // what the user reads: the short version string, else the build version
};

struct ParsedFeed {
    std::optional<FeedEntry> newest; // none: the feed lists no release
    QString error;                   // set when the feed is not a readable appcast
};

ParsedFeed parseAppcast(const QByteArray& xml);

// Compares dotted version strings part by part, numerically where both parts are numbers
// ("2.10" is newer than "2.9"); a missing part counts as 0. Negative, 0 or positive.
int compareVersions(const QString& left, const QString& right);

} // namespace orvane::sim
