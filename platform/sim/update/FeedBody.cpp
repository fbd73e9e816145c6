#include "platform/sim/update/FeedBody.h"

#include <zlib.h>

namespace orvane::sim {

namespace {

enum class Inflated { done, tooLarge, damaged };

// windowBits 15 + 32 reads zlib and gzip alike; -15 reads a bare deflate stream.
Inflated inflateInto(const QByteArray& body, int windowBits, qsizetype limit, QByteArray& out,
                     QString& detail) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        detail = "zlib could not start";
        return Inflated::damaged;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
    stream.avail_in = static_cast<uInt>(body.size());
    out.clear();
    char chunk[16384];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
        if (out.size() > limit) {
            inflateEnd(&stream);
            return Inflated::tooLarge;
        }
    }
    // Without a message of zlib's, the input ended before the stream did.
    detail = stream.msg ? QString::fromLatin1(stream.msg) : QString("it ends too early");
    inflateEnd(&stream);
    return status == Z_STREAM_END ? Inflated::done : Inflated::damaged;
}

} // namespace

ExpandedBody expandFeedBody(const QByteArray& body, const QByteArray& contentEncoding,
                            qsizetype limit) {
    const QByteArray encoding = contentEncoding.trimmed().toLower();
    if (encoding.isEmpty() || encoding == "identity") {
        return {body, {}};
    }
    if (encoding != "gzip" && encoding != "x-gzip" && encoding != "deflate") {
        return {{},
                QString("The update server sent the feed encoded as \"%1\", which Orvane does not "
                        "read.")
                    .arg(QString::fromLatin1(contentEncoding.trimmed().left(40)))};
    }
    QByteArray out;
    QString detail;
    Inflated result = inflateInto(body, 15 + 32, limit, out, detail);
    if (result == Inflated::damaged && encoding == "deflate") {
        result = inflateInto(body, -15, limit, out, detail); // as some servers send it
    }
    switch (result) {
    case Inflated::done:
        return {out, {}};
    case Inflated::tooLarge:
        return {{}, "The update feed is too large once expanded."};
    case Inflated::damaged:
        break;
    }
    return {{}, QString("The update feed's compressed body is damaged: %1.").arg(detail)};
}

} // namespace orvane::sim
