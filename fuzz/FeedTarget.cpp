#include <algorithm>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzTargets.h"
#include "platform/sim/update/UpdateChoice.h"
#include "platform/sim/update/VersionOrder.h"

namespace orvane::fuzz {

namespace {

int sign(int order) {
    return (order > 0) - (order < 0);
}

// Antisymmetric on every pair, transitive on every triple.
void checkOrder(const std::vector<QString>& versions) {
    for (const QString& a : versions) {
        for (const QString& b : versions) {
            check(sign(sim::compareVersions(a, b)) == -sign(sim::compareVersions(b, a)),
                  "the version order answers both ways alike");
            if (sim::compareVersions(a, b) > 0) {
                continue;
            }
            for (const QString& c : versions) {
                check(sim::compareVersions(b, c) > 0 || sim::compareVersions(a, c) <= 0,
                      "the version order is transitive");
            }
        }
    }
}

} // namespace

int feedOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const sim::UpdateHost host{"2.3.0", "15.2"};
    const sim::ParsedFeed feed = sim::parseAppcast(bytes);
    const sim::FeedVerdict verdict = sim::readFeed(bytes, host);
    check(verdict.error == feed.error, "reading a feed is parsing it and choosing from it");

    std::vector<QString> versions{host.appVersion, host.systemVersion};
    if (!feed.error.isEmpty()) {
        check(feed.items.empty() && !verdict.update, "a refused feed offers nothing");
    }
    for (const sim::AppcastItem& item : feed.items) {
        check(!item.version.isEmpty() && item.version.size() <= sim::longestVersion,
              "every item read has a version of a sane length");
        if (versions.size() < 12) {
            versions.push_back(item.version);
        }
    }
    if (verdict.update) {
        check(std::any_of(feed.items.begin(), feed.items.end(),
                          [&](const sim::AppcastItem& item) {
                              return item.displayVersion == verdict.update->version &&
                                     sim::compareVersions(item.version, host.appVersion) > 0;
                          }),
              "what is offered is an item newer than the running version");
    }
    // The input's first lines, as versions of any form.
    const QList<QByteArray> lines = bytes.left(4096).split('\n');
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 6); ++i) {
        versions.push_back(QString::fromUtf8(lines[i]));
    }
    checkOrder(versions);
    return 0;
}

} // namespace orvane::fuzz
