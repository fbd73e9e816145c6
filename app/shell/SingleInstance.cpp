#include "app/shell/SingleInstance.h"

#include <algorithm>
#include <cstdio>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>

namespace orvane {

namespace {

const QByteArray showRequest = "show\n";
const QByteArray shownReply = "shown\n";
constexpr int answerMilliseconds = 1000; // a silent client is dropped after this
constexpr int claimMilliseconds = 3000;  // a first start this slow to listen is taken as silent

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , path_(std::move(socketPath)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            answer(socket);
        }
    });
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    if (path_.isEmpty()) {
        return Claim::first;
    }
    lock_ = std::make_unique<QLockFile>(path_ + ".lock");
    // Held for the life of the process: only a holder that no longer runs makes it stale.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        // A socket left behind by one that ended without closing it is ours to replace.
        QLocalServer::removeServer(path_);
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        if (!server_.listen(path_)) {
            std::fprintf(stderr, "Orvane: a later start cannot reach this one: %s\n",
                         qPrintable(server_.errorString()));
        }
        return Claim::first;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        // A folder that refuses the lock: this start runs all the same, and says so.
        std::fprintf(stderr, "Orvane: cannot tell whether Orvane already runs: no lock at %s\n",
                     qPrintable(lock_->fileName()));
        return Claim::first;
    }
    // Another start holds the lock: it runs, or listens in a moment.
    const QDeadlineTimer deadline(claimMilliseconds);
    while (!deadline.hasExpired()) {
        if (askToShow(static_cast<int>(std::min<qint64>(500, deadline.remainingTime())))) {
            return Claim::shownByTheFirst;
        }
        QThread::msleep(100);
    }
    return Claim::firstSilent;
}

bool SingleInstance::askToShow(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < 16 &&
           socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        reply += socket.read(16 - reply.size());
    }
    return reply == shownReply;
}

void SingleInstance::answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Whatever connects gets a moment to ask, and one answer.
    QTimer::singleShot(answerMilliseconds, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->bytesAvailable() < showRequest.size()) {
            return;
        }
        const bool asked = socket->read(showRequest.size()) == showRequest;
        if (asked) {
            socket->write(shownReply);
            socket->flush();
        }
        socket->disconnectFromServer();
        if (asked) {
            emit showRequested();
        }
    });
}

} // namespace orvane
