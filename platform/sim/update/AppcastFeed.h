#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// The update feed, an RSS "appcast" whose items announce released versions, read as Sparkle
// reads it on the Mac.
namespace orvane::sim {

struct AppcastItem {
    QString version;        // what is compared: sparkle:version (enclosure, item, or file name)
    QString displayVersion; // what the user reads: the short version string, else the version
    QString channel;        // empty: the default channel
    QString os = "macos";   // the enclosure's sparkle:os
    QString minimumSystemVersion;
    QString maximumSystemVersion;
    QString minimumAutoupdateVersion; // a major upgrade for the versions below it
    QString minimumUpdateVersion;     // versions below it are not offered this release
    bool delta = false;               // the enclosure only patches some earlier version
    bool download = false;            // the enclosure names a file to install

    // sparkle:informationalUpdate: only a notice for the versions listed, for those below one
    // of the bounds, or for every version when it lists neither.
    struct Informational {
        QStringList versions;
        QStringList below;
    };
    std::optional<Informational> informational;
};

struct ParsedFeed {
    std::vector<AppcastItem> items;
    QString error; // set when the feed is not a readable appcast
};

ParsedFeed parseAppcast(const QByteArray& xml);

} // namespace orvane::sim
