#include "tests/macos/PropertyList.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

namespace orvane::test {
namespace {

using Entries = std::map<std::string, std::string>;

std::string text(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).toStdString();
}

Entries dictionary(QXmlStreamReader& xml);

// The value whose start the reader is on, rendered with its type; anything else fails the test.
std::string value(QXmlStreamReader& xml) {
    const std::string name = xml.name().toString().toStdString();
    std::string items;
    if (name == "string" || name == "integer") { // an integer's digits are compared whole
        return name + ":" + text(xml);
    }
    if (name == "true" || name == "false") { // content, which it must not have, shows
        return name + text(xml);
    }
    if (name == "array") {
        while (xml.readNextStartElement()) {
            items += (items.empty() ? "" : ", ") + value(xml);
        }
        return "[" + items + "]";
    }
    if (name == "dict") {
        for (const auto& [key, entry] : dictionary(xml)) {
            items += (items.empty() ? "" : ", ") + key + "=" + entry;
        }
        return "{" + items + "}";
    }
    xml.skipCurrentElement(); // no list here holds this, so it matches nothing expected
    return "not a property-list value: " + name;
}

Entries dictionary(QXmlStreamReader& xml) {
    Entries entries;
    while (xml.readNextStartElement()) {
        EXPECT_EQ(xml.name().toString(), "key") << "a dictionary entry without its key";
        const std::string key = text(xml);
        if (!xml.readNextStartElement()) {
            ADD_FAILURE() << "the key " << key << " has no value";
            break;
        }
        EXPECT_TRUE(entries.emplace(key, value(xml)).second) << "the key " << key << " twice";
    }
    return entries;
}

} // namespace

Entries propertyListEntries(const std::filesystem::path& file) {
    SCOPED_TRACE(file.string());
    QFile in(QString::fromStdString(file.string()));
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << "cannot open it";
    QXmlStreamReader xml(&in);
    const bool dict = xml.readNextStartElement() && xml.name() == QLatin1String("plist") &&
                      xml.attributes().value(QLatin1String("version")) == QLatin1String("1.0") &&
                      xml.readNextStartElement() && xml.name() == QLatin1String("dict");
    EXPECT_TRUE(dict) << "no dictionary in a plist element of version 1.0";
    Entries entries = dict ? dictionary(xml) : Entries();
    EXPECT_FALSE(xml.readNextStartElement()) << "the plist element holds more than one value";
    while (!xml.atEnd()) {
        xml.readNext();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

} // namespace orvane::test
