#include "platform/sim/update/AppcastFeed.h"

#include <algorithm>
#include <utility>

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include "platform/sim/update/FeedXmlReader.h"
#include "platform/sim/update/VersionOrder.h"

namespace orvane::sim {

namespace {

constexpr auto sparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";

// A web page for the release: absolute on the web, or relative to the feed (which is).
bool usableLink(const QString& link) {
    const QUrl url(link, QUrl::StrictMode);
    return !link.isEmpty() && url.isValid() &&
           (url.isRelative() || url.scheme() == "https" || url.scheme() == "http");
}

// Old feeds name the version only in the file: "Orvane_2.4.0.zip".
QString versionFromFileName(const QString& url) {
    const qsizetype underscore = url.lastIndexOf('_');
    if (underscore < 0) {
        return {};
    }
    QString last = url.mid(underscore + 1);
    const qsizetype dot = last.lastIndexOf('.');
    if (dot > last.lastIndexOf('/') + 1) {
        last.truncate(dot);
    }
    return last;
}

// Every version the item names, to be compared or shown, within the length of a sane one.
bool versionsFit(const AppcastItem& item) {
    QStringList versions{item.version,
                         item.displayVersion,
                         item.minimumSystemVersion,
                         item.maximumSystemVersion,
                         item.minimumAutoupdateVersion,
                         item.minimumUpdateVersion};
    if (item.informational) {
        versions << item.informational->versions << item.informational->below;
    }
    return std::all_of(versions.begin(), versions.end(),
                       [](const QString& version) { return version.size() <= longestVersion; });
}

AppcastItem::Informational readInformational(FeedXmlReader& xml) {
    AppcastItem::Informational notice;
    while (xml.readNextStartElement()) {
        const QString key = xml.key();
        if (key == "sparkle:version") {
            notice.versions << xml.readText();
        } else if (key == "sparkle:belowVersion") {
            notice.below << xml.readText();
        } else {
            xml.skipCurrentElement();
        }
    }
    return notice;
}

// One <item>, and what makes it unusable (Sparkle then refuses the whole feed). Like Sparkle,
// the first of each element counts.
std::pair<AppcastItem, QString> readItem(FeedXmlReader& xml) {
    AppcastItem item;
    QString version, shortVersion, link, channel, url, enclosureVersion, enclosureShortVersion;
    std::optional<QString> installationType;
    const std::pair<const char*, QString*> texts[] = {
        {"sparkle:version", &version},
        {"sparkle:shortVersionString", &shortVersion},
        {"link", &link},
        {"sparkle:channel", &channel},
        {"sparkle:minimumSystemVersion", &item.minimumSystemVersion},
        {"sparkle:maximumSystemVersion", &item.maximumSystemVersion},
        {"sparkle:minimumAutoupdateVersion", &item.minimumAutoupdateVersion},
        {"sparkle:minimumUpdateVersion", &item.minimumUpdateVersion},
    };
    auto fieldFor = [&texts](const QString& key) -> QString* {
        for (const auto& [name, field] : texts) {
            if (key == QLatin1String(name)) {
                return field;
            }
        }
        return nullptr;
    };
    QSet<QString> seen;
    while (xml.readNextStartElement()) {
        const QString key = xml.key();
        if (seen.contains(key)) {
            xml.skipCurrentElement();
            continue;
        }
        seen.insert(key);
        if (key == "enclosure") {
            const auto attributes = xml.attributes();
            url = attributes.value("url").toString().trimmed();
            enclosureVersion = attributes.value(sparkleNamespace, "version").toString().trimmed();
            enclosureShortVersion =
                attributes.value(sparkleNamespace, "shortVersionString").toString().trimmed();
            if (attributes.hasAttribute(sparkleNamespace, "os")) {
                item.os = attributes.value(sparkleNamespace, "os").toString();
            }
            if (attributes.hasAttribute(sparkleNamespace, "installationType")) {
                installationType =
                    attributes.value(sparkleNamespace, "installationType").toString();
            }
            item.delta = attributes.hasAttribute(sparkleNamespace, "deltaFrom");
            xml.skipCurrentElement();
        } else if (key == "sparkle:informationalUpdate") {
            item.informational = readInformational(xml);
        } else if (QString* field = fieldFor(key)) {
            *field = xml.readText();
        } else {
            xml.skipCurrentElement();
        }
    }

    // A channel with an empty or unusable name is the default channel.
    static const QRegularExpression channelName(R"(^[\p{L}\p{M}\p{N}._-]+$)");
    item.channel = channelName.match(channel).hasMatch() ? channel : QString();
    item.download = !url.isEmpty();
    for (const QString& candidate : {enclosureVersion, version, versionFromFileName(url)}) {
        if (item.version.isEmpty()) {
            item.version = candidate;
        }
    }
    for (const QString& candidate : {enclosureShortVersion, shortVersion, item.version}) {
        if (item.displayVersion.isEmpty()) {
            item.displayVersion = candidate;
        }
    }

    if (item.version.isEmpty()) {
        return {item, "The update feed lists a release without a version."};
    }
    if (!versionsFit(item)) {
        return {item, QString("The update feed lists a version longer than %1 characters.")
                          .arg(longestVersion)};
    }
    if (!item.download && !usableLink(link)) {
        return {item, QString("The update feed lists version %1 with neither a download nor a "
                              "web page.")
                          .arg(item.displayVersion)};
    }
    if (installationType && *installationType != "application" && *installationType != "package" &&
        *installationType != "interactive-package") {
        return {item, QString("The update feed lists version %1 with an unknown installation "
                              "type.")
                          .arg(item.displayVersion)};
    }
    return {item, {}};
}

} // namespace

ParsedFeed parseAppcast(const QByteArray& bytes) {
    FeedXmlReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss")) {
        return {{}, "The update feed is not an appcast."};
    }
    ParsedFeed feed;
    QString problem;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("item")) {
                xml.skipCurrentElement();
                continue;
            }
            auto [item, itemProblem] = readItem(xml);
            if (problem.isEmpty()) {
                problem = itemProblem;
            }
            feed.items.push_back(std::move(item));
        }
    }
    if (xml.hasError()) {
        return {{}, "The update feed could not be read: " + xml.errorString()};
    }
    if (!problem.isEmpty()) {
        return {{}, problem};
    }
    return feed;
}

} // namespace orvane::sim
