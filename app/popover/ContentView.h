#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "app/limit/ContentViewModel.h"
#include "app/popover/MoreSettingsSection.h"

class QLabel;
class QPushButton;
class QSlider;
class QVBoxLayout;

namespace orvane {

class ClickableRow;
class MemoryBar;

// What the popover asks of the application around it.
struct ContentViewHost {
    std::function<void()> quit;
    MoreSettingsSection::Host moreSettings;
};

// The popover's root view: title, memory bar, figures, presets, custom allocation, status area,
// More Settings and Quit. It owns the model of this opening, renders it after every change and
// forwards every control to it.
class ContentView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 290;

    ContentView(std::unique_ptr<ContentViewModel> model, ContentViewHost host,
                QWidget* parent = nullptr);
    ~ContentView() override;

    ContentViewModel& model() { return *model_; }

    // Re-reads the model into the widgets.
    void render();

    // Never taller than its maximum height (the room on the screen, which the popover's window
    // sets): the title, the controls and Quit keep their place, and More Settings scrolls.
    static constexpr int leastMoreSettingsHeight = 80;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void fitHeight();

    void buildMainContent(QVBoxLayout* root);
    void buildPresetRows(QVBoxLayout* root);
    void buildCustomBlock(QVBoxLayout* root);
    QWidget* buildOffer();
    QWidget* buildApproval();

    std::unique_ptr<ContentViewModel> model_;
    ContentViewHost host_;

    MemoryBar* bar_ = nullptr;
    QLabel* totalFigure_ = nullptr;
    QLabel* reservedFigure_ = nullptr;
    QLabel* allocatedFigure_ = nullptr;
    struct PresetRow {
        double gigabytes;
        ClickableRow* row;
        QLabel* label;
        QLabel* checkmark;
    };
    std::vector<PresetRow> presets_;
    QLabel* customCheckmark_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* customAmount_ = nullptr;
    ClickableRow* setCustom_ = nullptr;
    QLabel* busyLabel_ = nullptr;
    QWidget* offer_ = nullptr;
    QWidget* approval_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    MoreSettingsSection* moreSettings_ = nullptr;
    std::int64_t offeredMB_ = 0;
    std::int64_t waitingMB_ = 0;
};

} // namespace orvane
