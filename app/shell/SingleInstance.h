#pragma once

#include <memory>

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;
class QLockFile;

namespace orvane {

// One Orvane at a time. The first start holds a lock and answers on a local socket beside it; a
// later start asks it to show itself and ends instead of putting a second icon in the menu bar.
// The socket lies in a folder of the user's own (never a shared one such as /tmp).
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        first,           // this start runs; a later one will ask it to show itself
        shownByTheFirst, // another one runs, and showed its popover
        firstSilent,     // another one holds the lock, but did not answer in time
    };

    // socketPath empty: nowhere to meet, so every start runs on its own.
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Decides, waiting a few seconds at most (for one that is still starting).
    Claim claim();

signals:
    // A later start asked this one to show itself.
    void showRequested();

private:
    bool askToShow(int milliseconds);
    void answer(QLocalSocket* socket);

    QString path_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace orvane
