#include "app/shell/UpdaterSettingsView.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "app/popover/Typography.h"

namespace orvane {

UpdaterSettingsView::UpdaterSettingsView(Updater& updater, QWidget* parent)
    : QWidget(parent)
    , updater_(updater)
    , automaticallyChecksForUpdates_(updater.automaticallyChecksForUpdates())
    , automaticallyDownloadsUpdates_(updater.automaticallyDownloadsUpdates()) {
    setObjectName("updaterSettings");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 0);
    layout->setSpacing(8);

    checks_ = new QCheckBox("Automatically check for updates");
    checks_->setObjectName("automaticallyChecks");
    checks_->setChecked(automaticallyChecksForUpdates_);
    downloads_ = new QCheckBox("Automatically download updates");
    downloads_->setObjectName("automaticallyDownloads");
    // In the popover's body style, as the switches around them.
    for (QCheckBox* box : {checks_, downloads_}) {
        box->setFont(typography::font(typography::Style::body));
    }
    downloads_->setChecked(automaticallyDownloadsUpdates_);
    downloads_->setEnabled(automaticallyChecksForUpdates_);
    layout->addWidget(checks_);
    layout->addWidget(downloads_);

    // Only the user's own changes reach the updater: clicked, not toggled.
    connect(checks_, &QCheckBox::clicked, this, [this](bool enabled) {
        automaticallyChecksForUpdates_ = enabled;
        downloads_->setEnabled(enabled);
        updater_.setAutomaticallyChecksForUpdates(enabled);
    });
    connect(downloads_, &QCheckBox::clicked, this, [this](bool enabled) {
        automaticallyDownloadsUpdates_ = enabled;
        updater_.setAutomaticallyDownloadsUpdates(enabled);
    });
}

} // namespace orvane
