#include "platform/sim/update/AppcastFeed.h"

#include <QXmlStreamReader>

#include "platform/sim/update/VersionOrder.h"

namespace orvane::sim {

namespace {

constexpr auto sparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";

// One <item>: the version may stand in elements of its own or on the enclosure.
FeedEntry readItem(QXmlStreamReader& xml) {
    QString shortVersion;
    QString buildVersion;
    while (xml.readNextStartElement()) {
        const bool sparkle = xml.namespaceUri() == QLatin1String(sparkleNamespace);
        if (sparkle && xml.name() == QLatin1String("shortVersionString")) {
            shortVersion = xml.readElementText().trimmed();
        } else if (sparkle && xml.name() == QLatin1String("version")) {
            buildVersion = xml.readElementText().trimmed();
        } else if (xml.name() == QLatin1String("enclosure")) {
            const auto attributes = xml.attributes();
            if (shortVersion.isEmpty()) {
                shortVersion =
                    attributes.value(sparkleNamespace, "shortVersionString").toString().trimmed();
            }
            if (buildVersion.isEmpty()) {
                buildVersion = attributes.value(sparkleNamespace, "version").toString().trimmed();
            }
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement();
        }
    }
    return {shortVersion.isEmpty() ? buildVersion : shortVersion};
}

} // namespace

ParsedFeed parseAppcast(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    ParsedFeed feed;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("rss")) {
        return {std::nullopt, "The update feed is not an appcast."};
    }
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
            const FeedEntry entry = readItem(xml);
            if (!entry.version.isEmpty() &&
                (!feed.newest || compareVersions(entry.version, feed.newest->version) > 0)) {
                feed.newest = entry;
            }
        }
    }
    if (xml.hasError()) {
        return {std::nullopt, "The update feed could not be read: " + xml.errorString()};
    }
    return feed;
}

} // namespace orvane::sim
