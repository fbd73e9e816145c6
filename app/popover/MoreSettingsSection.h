#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

#include "app/limit/ContentViewModel.h"

class QCheckBox;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace orvane {

class ClickableRow;

// The collapsible block above Quit: launch at login, password-free changes with the approval
// hint, keeping the limit after a restart, the update commands and settings, fun mode and the
// version line. Unfolded, its content takes the height it needs up to the room it is given, and
// scrolls beyond that: the popover around it never outgrows the screen.
class MoreSettingsSection final : public QWidget {
    Q_OBJECT
    // How far the content is unfolded, from 0 (folded) to 1; animated.
    Q_PROPERTY(double unfolded READ unfolded WRITE setUnfolded)
public:
    struct Host {
        std::function<void()> checkForUpdates;
        // Builds the update settings view afresh from the updater's current settings.
        std::function<QWidget*()> makeUpdaterSettingsView;
        std::string version; // "Version " + this
    };

    MoreSettingsSection(ContentViewModel& model, Host host, QWidget* parent = nullptr);

    void render();

    // The most height the unfolded content may take; beyond it, it scrolls.
    void setFoldRoom(int pixels);
    // The height the content takes now (0 while folded).
    int foldHeight() const;

    double unfolded() const { return unfolded_; }
    void setUnfolded(double fraction);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void animateDisclosure(bool expand);
    void updateFold();

    ContentViewModel& model_;
    QPropertyAnimation* disclosureAnimation_ = nullptr;
    Host host_;
    ClickableRow* disclosure_ = nullptr;
    QLabel* chevron_ = nullptr;
    QScrollArea* fold_ = nullptr;
    double unfolded_ = 0.0;
    bool unfolding_ = false; // where the disclosure is heading
    int foldRoom_ = QWIDGETSIZE_MAX;
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
