#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace orvane::test {

// Answers every request on 127.0.0.1 with one fixed response, so that code that fetches a web
// address can be tested without a network; or answers it slowly, as a hostile server would.
class LocalHttpServer final : public QObject {
public:
    LocalHttpServer(int status, QByteArray body) : status_(status), body_(std::move(body)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    // The request itself does not matter; answer once its head is complete.
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) {
                        return;
                    }
                    ++requests_;
                    request_.clear();
                    socket->write("HTTP/1.1 " + QByteArray::number(status_) +
                                  " Whatever\r\nContent-Type: application/rss+xml\r\n" + headers_ +
                                  "Connection: close\r\nContent-Length: " +
                                  QByteArray::number(body_.size()) + "\r\n\r\n");
                    if (trickleMs_ == 0) {
                        socket->write(body_);
                        socket->disconnectFromHost();
                        return;
                    }
                    auto* timer = new QTimer(socket);
                    connect(timer, &QTimer::timeout, socket,
                            [socket, body = body_, sent = 0]() mutable {
                                socket->write(body.mid(sent++, 1));
                            });
                    timer->start(trickleMs_);
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QUrl url(const QString& path = "/updates/appcast.xml") const {
        return QUrl(QString("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    int requests() const { return requests_; }
    void answer(QByteArray body) { body_ = std::move(body); }
    // More header lines, each ending in "\r\n".
    void addHeaders(const QByteArray& lines) { headers_ += lines; }
    // Sends the body one byte per interval, never quite done.
    void trickle(int intervalMs) { trickleMs_ = intervalMs; }

private:
    QTcpServer server_;
    int status_;
    QByteArray body_;
    QByteArray request_;
    QByteArray headers_;
    int trickleMs_ = 0;
    int requests_ = 0;
};

// An address on which nothing listens: a port that was free a moment ago.
inline QUrl unreachableUrl() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QString("http://127.0.0.1:%1/updates/appcast.xml").arg(port));
}

} // namespace orvane::test
