#include "platform/sim/update/UpdateChoice.h"

#include <algorithm>

#include "platform/sim/update/VersionOrder.h"

namespace orvane::sim {

namespace {

bool atLeast(const QString& version, const QString& floor) {
    return floor.isEmpty() || compareVersions(version, floor) >= 0;
}

bool atMost(const QString& version, const QString& ceiling) {
    return ceiling.isEmpty() || compareVersions(version, ceiling) <= 0;
}

// The application subscribes to no channel, and a delta only serves as part of a full release.
bool offeredTo(const AppcastItem& item, const UpdateHost& host) {
    return item.os == "macos" && !item.delta && item.channel.isEmpty() &&
           atLeast(host.appVersion, item.minimumUpdateVersion) &&
           atLeast(host.systemVersion, item.minimumSystemVersion) &&
           atMost(host.systemVersion, item.maximumSystemVersion);
}

bool onlyANotice(const AppcastItem& item, const QString& appVersion) {
    if (!item.download) {
        return true;
    }
    if (!item.informational) {
        return false;
    }
    const auto& notice = *item.informational;
    if (notice.versions.isEmpty() && notice.below.isEmpty()) {
        return true;
    }
    return notice.versions.contains(appVersion) ||
           std::any_of(notice.below.begin(), notice.below.end(), [&](const QString& bound) {
               return compareVersions(appVersion, bound) < 0;
           });
}

// The newest of the items that pass; of equal versions, the first.
template <typename Pass>
const AppcastItem* newest(const std::vector<const AppcastItem*>& items, Pass pass) {
    const AppcastItem* best = nullptr;
    for (const AppcastItem* item : items) {
        if (pass(*item) && (!best || compareVersions(item->version, best->version) > 0)) {
            best = item;
        }
    }
    return best;
}

} // namespace

std::optional<FeedEntry> chooseUpdate(const std::vector<AppcastItem>& items,
                                      const UpdateHost& host) {
    std::vector<const AppcastItem*> offered;
    for (const AppcastItem& item : items) {
        if (offeredTo(item, host)) {
            offered.push_back(&item);
        }
    }
    auto isNewer = [&](const AppcastItem* item) {
        return item && compareVersions(item->version, host.appVersion) > 0;
    };
    // A newer minor release comes before a major upgrade.
    const AppcastItem* best = newest(offered, [&](const AppcastItem& item) {
        return atLeast(host.appVersion, item.minimumAutoupdateVersion);
    });
    if (!isNewer(best)) {
        best = newest(offered, [](const AppcastItem&) { return true; });
    }
    if (!isNewer(best)) {
        return std::nullopt;
    }
    return FeedEntry{best->displayVersion, onlyANotice(*best, host.appVersion)};
}

FeedVerdict readFeed(const QByteArray& bytes, const UpdateHost& host) {
    const ParsedFeed feed = parseAppcast(bytes);
    if (!feed.error.isEmpty()) {
        return {std::nullopt, feed.error};
    }
    return {chooseUpdate(feed.items, host), {}};
}

} // namespace orvane::sim
