#include "platform/sim/update/FeedXmlReader.h"

namespace orvane::sim {

namespace {

constexpr auto sparkleNamespace = "http://www.andymatuschak.org/xml-namespaces/sparkle";

} // namespace

FeedXmlReader::FeedXmlReader(const QByteArray& bytes) : xml_(bytes) {}

QXmlStreamReader::TokenType FeedXmlReader::next() {
    const auto token = xml_.readNext();
    if (token == QXmlStreamReader::StartElement && ++depth_ > maximumDepth) {
        xml_.raiseError(QString("It nests elements more than %1 deep.").arg(maximumDepth));
        return QXmlStreamReader::Invalid;
    }
    if (token == QXmlStreamReader::EndElement) {
        --depth_;
    }
    return token;
}

bool FeedXmlReader::readNextStartElement() {
    for (;;) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
}

void FeedXmlReader::skipCurrentElement() {
    readToEnd(nullptr);
}

QString FeedXmlReader::readText() {
    QString text;
    return readToEnd(&text) ? text.trimmed() : QString();
}

bool FeedXmlReader::readToEnd(QString* text) {
    for (int open = 1; open > 0;) {
        switch (next()) {
        case QXmlStreamReader::StartElement:
            ++open;
            break;
        case QXmlStreamReader::EndElement:
            --open;
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (text) {
                *text += xml_.text();
            }
            break;
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return true;
}

QString FeedXmlReader::key() const {
    if (xml_.namespaceUri() == QLatin1String(sparkleNamespace)) {
        return "sparkle:" + xml_.name().toString();
    }
    return xml_.qualifiedName().toString();
}

} // namespace orvane::sim
