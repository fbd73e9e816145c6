#pragma once

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

namespace orvane::sim {

// An XML reader for the update feed, which comes from the network: it refuses a document nested
// deeper than a small fixed depth, and reads an element's text in a loop, where Qt's
// readElementText recurses once per nested element (and so ends the process on a feed of a few
// thousand nested elements).
class FeedXmlReader {
public:
    static constexpr int maximumDepth = 32;

    explicit FeedXmlReader(const QByteArray& bytes);

    // As QXmlStreamReader's: the next element inside the current one, false at its end.
    bool readNextStartElement();
    void skipCurrentElement();
    // The text of the current element and everything in it, trimmed; leaves it at its end.
    QString readText();

    // Sparkle's fields by their name in its namespace ("sparkle:version"), others as written.
    QString key() const;
    QStringView name() const { return xml_.name(); }
    QXmlStreamAttributes attributes() const { return xml_.attributes(); }

    bool hasError() const { return xml_.hasError(); }
    QString errorString() const { return xml_.errorString(); }

private:
    QXmlStreamReader::TokenType next();
    // Reads to the end of the current element, keeping its text if asked; false when the document
    // ended or broke first.
    bool readToEnd(QString* text);

    QXmlStreamReader xml_;
    int depth_ = 0;
};

} // namespace orvane::sim
