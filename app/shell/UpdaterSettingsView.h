#pragma once

#include <QWidget>

#include "platform/ports/Updater.h"

class QCheckBox;

namespace orvane {

// The two automatic-update switches. They start from the updater's settings when the view is
// built and write back only what the user changes.
class UpdaterSettingsView final : public QWidget {
    Q_OBJECT
public:
    explicit UpdaterSettingsView(Updater& updater, QWidget* parent = nullptr);

    bool automaticallyChecksForUpdates() const { return automaticallyChecksForUpdates_; }
    bool automaticallyDownloadsUpdates() const { return automaticallyDownloadsUpdates_; }

private:
    Updater& updater_;
    bool automaticallyChecksForUpdates_;
    bool automaticallyDownloadsUpdates_;
    QCheckBox* checks_ = nullptr;
    QCheckBox* downloads_ = nullptr;
};

} // namespace orvane
