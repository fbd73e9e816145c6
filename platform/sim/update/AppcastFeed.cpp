#include "platform/sim/update/AppcastFeed.h"

#include <algorithm>

#include <QStringList>
#include <QXmlStreamReader>

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

int compareVersions(const QString& left, const QString& right) {
    const QStringList a = left.split('.');
    const QStringList b = right.split('.');
    const qsizetype parts = std::max(a.size(), b.size());
    for (qsizetype i = 0; i < parts; ++i) {
        const QString x = i < a.size() ? a[i] : QStringLiteral("0");
        const QString y = i < b.size() ? b[i] : QStringLiteral("0");
        bool xNumber = false;
        bool yNumber = false;
        const qulonglong xValue = x.toULongLong(&xNumber);
        const qulonglong yValue = y.toULongLong(&yNumber);
        if (xNumber && yNumber) {
            if (xValue != yValue) {
                return xValue < yValue ? -1 : 1;
            }
        } else if (const int order = x.compare(y); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    return 0;
}

} // namespace orvane::sim
