#include "platform/sim/shell/LoginItemsWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace orvane::sim {

namespace {

constexpr long statusEnabled = 1;
constexpr long statusRequiresApproval = 2;

} // namespace

LoginItemsWindow::LoginItemsWindow(StatusReader status, Approver approve, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , status_(std::move(status))
    , approve_(std::move(approve)) {
    setObjectName("loginItemsWindow");
    setWindowTitle("System Settings \u2014 Login Items");
    setMinimumWidth(420);

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("Allow in the Background");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* explanation = new QLabel("Applications add background items to perform tasks when "
                                   "they are not open.");
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    row_ = new QWidget;
    auto* rowLayout = new QHBoxLayout(row_);
    rowLayout->setContentsMargins(0, 8, 0, 8);
    auto* name = new QLabel("OrvaneHelper");
    name->setObjectName("loginItemName");
    allow_ = new QCheckBox("Allow");
    allow_->setObjectName("loginItemAllow");
    rowLayout->addWidget(name);
    rowLayout->addStretch(1);
    rowLayout->addWidget(allow_);
    layout->addWidget(row_);

    empty_ = new QLabel("No background items.");
    empty_->setObjectName("loginItemsEmpty");
    layout->addWidget(empty_);
    layout->addStretch(1);

    connect(allow_, &QCheckBox::clicked, this, [this](bool allowed) {
        approve_(allowed);
        refresh();
    });
    // The registration can change behind the window's back (the application unregisters).
    poll_ = new QTimer(this);
    poll_->setInterval(1000);
    connect(poll_, &QTimer::timeout, this, &LoginItemsWindow::refresh);
    refresh();
}

LoginItemsWindow* LoginItemsWindow::open(StatusReader status, Approver approve) {
    static QPointer<LoginItemsWindow> window;
    if (!window) {
        window = new LoginItemsWindow(std::move(status), std::move(approve));
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->refresh();
    // "Open System Settings" brings back a minimised window too.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void LoginItemsWindow::refresh() {
    const long status = status_();
    const bool listed = status == statusEnabled || status == statusRequiresApproval;
    row_->setVisible(listed);
    empty_->setVisible(!listed);
    const QSignalBlocker quiet(allow_);
    allow_->setChecked(status == statusEnabled);
}

void LoginItemsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    poll_->start();
}

void LoginItemsWindow::hideEvent(QHideEvent* event) {
    poll_->stop();
    QWidget::hideEvent(event);
}

} // namespace orvane::sim
