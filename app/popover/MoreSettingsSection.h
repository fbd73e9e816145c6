#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "app/limit/ContentViewModel.h"

class QCheckBox;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QVBoxLayout;

namespace orvane {

class ClickableRow;

// The collapsible block above Quit: launch at login, password-free changes with the approval
// hint, keeping the limit after a restart, the update commands and settings, fun mode and the
// version line.
class MoreSettingsSection final : public QWidget {
    Q_OBJECT
public:
    struct Host {
        std::function<void()> checkForUpdates;
        // Builds the update settings view afresh from the updater's current settings.
        std::function<QWidget*()> makeUpdaterSettingsView;
        std::string version; // "Version " + this
    };

    MoreSettingsSection(ContentViewModel& model, Host host, QWidget* parent = nullptr);

    void render();

private:
    void animateDisclosure(bool expand);

    ContentViewModel& model_;
    QPropertyAnimation* disclosureAnimation_ = nullptr;
    Host host_;
    ClickableRow* disclosure_ = nullptr;
    QLabel* chevron_ = nullptr;
    QWidget* expanded_ = nullptr;
    QVBoxLayout* expandedLayout_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QCheckBox* passwordFree_ = nullptr;
    QLabel* approvalHint_ = nullptr;
    QPushButton* approvalSettings_ = nullptr;
    QCheckBox* keepLimit_ = nullptr;
    QLabel* keepCaption_ = nullptr;
    QPointer<QWidget> updaterSettings_;
    int updaterSettingsIndex_ = 0;
    QCheckBox* funMode_ = nullptr;
};

} // namespace orvane
