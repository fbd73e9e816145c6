#include "tests/macos/PropertyList.h"

#include <gtest/gtest.h>
#include <regex>
#include <stdexcept>

#include <QFile>
#include <QXmlStreamReader>

namespace orvane::test {
namespace {

using Entries = std::map<std::string, std::string>;

struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string text(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).toStdString();
}

Entries dictionary(QXmlStreamReader& xml);

// The value whose start the reader is on, rendered with its type.
std::string value(QXmlStreamReader& xml) {
    const std::string name = xml.name().toString().toStdString();
    std::string items;
    if (name == "string") {
        return "string:" + text(xml);
    }
    if (name == "integer") {
        items = text(xml);
        if (!std::regex_match(items, std::regex("[+-]?[0-9]+"))) {
            throw Refused("not an integer: " + items);
        }
        return "integer:" + items;
    }
    if (name == "true" || name == "false") {
        if (!text(xml).empty()) {
            throw Refused("a boolean with content");
        }
        return name;
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
    throw Refused("not a property-list value: " + name);
}

Entries dictionary(QXmlStreamReader& xml) {
    Entries entries;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("key")) {
            throw Refused("a dictionary entry without its key");
        }
        const std::string key = text(xml);
        if (!xml.readNextStartElement()) {
            throw Refused("the key " + key + " has no value");
        }
        if (!entries.emplace(key, value(xml)).second) {
            throw Refused("the key " + key + " appears twice");
        }
    }
    return entries;
}

} // namespace

Entries propertyListEntries(const std::filesystem::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << file;
        return {};
    }
    QXmlStreamReader xml(&in);
    try {
        if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist") ||
            xml.attributes().value(QLatin1String("version")) != QLatin1String("1.0") ||
            !xml.readNextStartElement() || xml.name() != QLatin1String("dict")) {
            throw Refused("no dictionary in a plist element of version 1.0");
        }
        Entries entries = dictionary(xml);
        if (xml.readNextStartElement()) {
            throw Refused("the plist element holds more than one value");
        }
        while (!xml.atEnd()) {
            xml.readNext();
        }
        if (xml.hasError()) {
            throw Refused("");
        }
        return entries;
    } catch (const Refused& refused) {
        ADD_FAILURE() << file << ": " << refused.what() << " " << xml.errorString().toStdString();
        return {};
    }
}

} // namespace orvane::test
