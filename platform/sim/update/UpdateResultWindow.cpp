#include "platform/sim/update/UpdateResultWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvane::sim {

std::pair<QString, QString> UpdateResultWindow::texts(const FeedChecker::Outcome& outcome,
                                                      const QString& currentVersion) {
    switch (outcome.kind) {
    case FeedChecker::Outcome::Kind::upToDate:
        return {"You're up to date!",
                QString("Orvane %1 is the newest version available.").arg(currentVersion)};
    case FeedChecker::Outcome::Kind::updateAvailable:
        return {"A new version of Orvane is available!",
                QString("Orvane %1 is available; you have %2. Update it with your package "
                        "manager or from the Orvane web site.")
                    .arg(outcome.version, currentVersion)};
    case FeedChecker::Outcome::Kind::informational:
        return {"A new version of Orvane is available!",
                QString("Version %1 is available: see the release notes").arg(outcome.version)};
    case FeedChecker::Outcome::Kind::failed:
        break;
    }
    return {"Update Error!", QString("Orvane couldn't check for updates: %1").arg(outcome.error)};
}

UpdateResultWindow::UpdateResultWindow(const FeedChecker::Outcome& outcome,
                                       const QString& currentVersion, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName("updateResult");
    setWindowTitle("Software Update");
    setMinimumWidth(360);
    const auto [heading, sentence] = texts(outcome, currentVersion);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(heading);
    title->setObjectName("updateHeading");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* text = new QLabel(sentence);
    text->setObjectName("updateText");
    text->setWordWrap(true);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(title);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
}

void UpdateResultWindow::present(const FeedChecker::Outcome& outcome,
                                 const QString& currentVersion) {
    static QPointer<UpdateResultWindow> window;
    delete window;
    window = new UpdateResultWindow(outcome, currentVersion);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace orvane::sim
