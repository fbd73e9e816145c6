#include "tests/macos/PropertyList.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace orvane::test {

namespace {

class Parser {
public:
    explicit Parser(std::string_view xml)
        : reader_(QByteArray(xml.data(), static_cast<qsizetype>(xml.size()))) {}

    PlistDocument parse() {
        if (!nextChild() || reader_.name() != QLatin1String("plist")) {
            return refused("the document has no plist element");
        }
        if (reader_.attributes().value(QLatin1String("version")) != QLatin1String("1.0")) {
            return refused("the plist element is not version 1.0");
        }
        if (!nextChild()) {
            return refused("the plist element holds no value");
        }
        std::optional<PlistValue> root = readValue();
        if (!root) {
            return refused("");
        }
        if (nextChild()) {
            return refused("the plist element holds more than one value");
        }
        if (nextChild()) {
            return refused("the document goes on after the plist element");
        }
        if (failed()) {
            return refused("");
        }
        return {std::move(root), {}};
    }

private:
    // Moves to the next child of the current element: true at its start, false at the current
    // element's end (or the document's). Only whitespace and comments may come in between.
    bool nextChild() {
        while (!reader_.atEnd()) {
            switch (reader_.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
                return false;
            case QXmlStreamReader::Characters:
                if (!reader_.isWhitespace()) {
                    fail("text between elements: " + reader_.text().toString().toStdString());
                    return false;
                }
                break;
            default:
                break;
            }
        }
        return false;
    }

    std::optional<PlistValue> readValue() {
        const QString name = reader_.name().toString();
        PlistValue value;
        if (name == QLatin1String("string")) {
            value.kind = PlistValue::Kind::string;
            value.text = readText();
        } else if (name == QLatin1String("integer")) {
            value.kind = PlistValue::Kind::integer;
            value.text = readText();
            if (!std::regex_match(value.text, std::regex("[+-]?[0-9]+"))) {
                return fail("not an integer: " + value.text);
            }
        } else if (name == QLatin1String("real")) {
            value.kind = PlistValue::Kind::real;
            value.text = readText();
            bool ok = false;
            QString::fromStdString(value.text).toDouble(&ok);
            if (!ok) {
                return fail("not a real number: " + value.text);
            }
        } else if (name == QLatin1String("true") || name == QLatin1String("false")) {
            value.kind = PlistValue::Kind::boolean;
            if (!readText().empty()) {
                return fail("a boolean element with content");
            }
            value.text = name.toStdString();
        } else if (name == QLatin1String("array")) {
            value.kind = PlistValue::Kind::array;
            while (nextChild()) {
                std::optional<PlistValue> item = readValue();
                if (!item) {
                    return std::nullopt;
                }
                value.items.push_back(std::move(*item));
            }
        } else if (name == QLatin1String("dict")) {
            value.kind = PlistValue::Kind::dict;
            while (nextChild()) {
                if (reader_.name() != QLatin1String("key")) {
                    return fail("a dictionary entry without its key");
                }
                std::string key = readText();
                if (std::find(value.keys.begin(), value.keys.end(), key) != value.keys.end()) {
                    return fail("the key " + key + " appears twice");
                }
                if (!nextChild()) {
                    return fail("the key " + key + " has no value");
                }
                std::optional<PlistValue> entry = readValue();
                if (!entry) {
                    return std::nullopt;
                }
                value.keys.push_back(std::move(key));
                value.values.push_back(std::move(*entry));
            }
        } else {
            return fail("an element that is not a property-list value: " + name.toStdString());
        }
        if (failed()) {
            return std::nullopt;
        }
        return value;
    }

    std::string readText() {
        return reader_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).toStdString();
    }

    std::nullopt_t fail(std::string message) {
        if (error_.empty()) {
            error_ = std::move(message);
        }
        return std::nullopt;
    }

    bool failed() const { return !error_.empty() || reader_.hasError(); }

    // The first problem found, with the XML reader's own account when it had one.
    PlistDocument refused(std::string message) {
        if (!message.empty()) {
            fail(std::move(message));
        }
        if (reader_.hasError()) {
            const std::string xml = reader_.errorString().toStdString();
            error_ = error_.empty() ? xml : error_ + " (" + xml + ")";
        }
        return {std::nullopt, error_.empty() ? std::string("not a property list") : error_};
    }

    QXmlStreamReader reader_;
    std::string error_;
};

} // namespace

const PlistValue* PlistValue::find(std::string_view key) const {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return &values[i];
        }
    }
    return nullptr;
}

PlistDocument parsePropertyList(std::string_view xml) {
    return Parser(xml).parse();
}

PlistDocument readPropertyList(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return {std::nullopt, "cannot open " + file.string()};
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    return parsePropertyList(contents.str());
}

std::string describe(const PlistValue& value) {
    switch (value.kind) {
    case PlistValue::Kind::string:
        return "string:" + value.text;
    case PlistValue::Kind::integer:
        return "integer:" + value.text;
    case PlistValue::Kind::real:
        return "real:" + value.text;
    case PlistValue::Kind::boolean:
        return value.text;
    case PlistValue::Kind::array: {
        std::string text = "[";
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            text += (i == 0 ? "" : ", ") + describe(value.items[i]);
        }
        return text + "]";
    }
    case PlistValue::Kind::dict: {
        std::string text = "{";
        bool first = true;
        for (const auto& [key, entry] : describeEntries(value)) {
            text += (first ? "" : ", ") + key + "=" + entry;
            first = false;
        }
        return text + "}";
    }
    }
    return {};
}

std::map<std::string, std::string> describeEntries(const PlistValue& dict) {
    std::map<std::string, std::string> entries;
    for (std::size_t i = 0; i < dict.keys.size(); ++i) {
        entries.emplace(dict.keys[i], describe(dict.values[i]));
    }
    return entries;
}

} // namespace orvane::test
