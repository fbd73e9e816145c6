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

// Moves to the next child of the current element: false at that element's end. Only whitespace,
// comments and the document type may come in between.
bool nextChild(QXmlStreamReader& xml) {
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::Characters:
            if (!xml.isWhitespace()) {
                throw Refused("text between elements");
            }
            break;
        default:
            break;
        }
    }
    return false;
}

std::string text(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).toStdString();
}

Entries dictionary(QXmlStreamReader& xml);

std::string value(QXmlStreamReader& xml) {
    const std::string name = xml.name().toString().toStdString();
    if (name == "string") {
        return "string:" + text(xml);
    }
    if (name == "integer") {
        const std::string number = text(xml);
        if (!std::regex_match(number, std::regex("[+-]?[0-9]+"))) {
            throw Refused("not an integer: " + number);
        }
        return "integer:" + number;
    }
    if (name == "true" || name == "false") {
        if (!text(xml).empty()) {
            throw Refused("a boolean with content");
        }
        return name;
    }
    std::string items;
    if (name == "array") {
        while (nextChild(xml)) {
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
    while (nextChild(xml)) {
        if (xml.name() != QLatin1String("key")) {
            throw Refused("a dictionary entry without its key");
        }
        const std::string key = text(xml);
        if (!nextChild(xml)) {
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
        if (!nextChild(xml) || xml.name() != QLatin1String("plist") ||
            xml.attributes().value(QLatin1String("version")) != QLatin1String("1.0")) {
            throw Refused("no plist element of version 1.0");
        }
        if (!nextChild(xml) || xml.name() != QLatin1String("dict")) {
            throw Refused("the plist element holds no dictionary");
        }
        Entries entries = dictionary(xml);
        if (nextChild(xml)) {
            throw Refused("the plist element holds more than one value");
        }
        nextChild(xml); // to the end of the document
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
