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

} // namespace orvane::sim
