#pragma once

#include <QByteArray>
#include <QString>

namespace orvane::sim {

// What Accept-Encoding offers: the encodings expandFeedBody reads.
inline constexpr const char* acceptedFeedEncodings = "gzip, deflate";

struct ExpandedBody {
    QByteArray bytes;
    QString error; // why the body is refused, as a sentence
};

// The feed's body as the server sent it, in the Content-Encoding it names (none, gzip or
// deflate), expanded to at most limit bytes. Expanded here rather than by Qt, which refuses a
// body that expands too far without saying why, and counts the expanded bytes toward no limit.
ExpandedBody expandFeedBody(const QByteArray& body, const QByteArray& contentEncoding,
                            qsizetype limit);

} // namespace orvane::sim
