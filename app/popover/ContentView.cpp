#include "app/popover/ContentView.h"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/popover/ClickableRow.h"
#include "app/popover/Controls.h"
#include "app/popover/MemoryBar.h"
#include "app/popover/PopoverTexts.h"
#include "app/popover/Typography.h"

namespace orvane {

namespace {

using typography::Style;

constexpr int padding = 12;
constexpr double sliderStep = 1.0;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

void setErrorColor(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, typography::errorColor());
    label->setPalette(palette);
}

void setSecondaryColor(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, typography::secondaryLabelColor());
    label->setPalette(palette);
}

} // namespace

ContentView::ContentView(std::unique_ptr<ContentViewModel> model, ContentViewHost host,
                         QWidget* parent)
    : QWidget(parent)
    , model_(std::move(model))
    , host_(std::move(host)) {
    setObjectName("contentView");
    setFixedWidth(width);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(padding, padding, padding, padding);
    root->setSpacing(10);
    // The width is fixed; the height follows the content, wrapped texts included.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);
    buildMainContent(root);
    model_->setObserver([this] { render(); });
    render();
}

ContentView::~ContentView() {
    model_->setObserver({});
}

void ContentView::buildMainContent(QVBoxLayout* root) {
    auto* title = typography::label(popover_text::title, Style::headline, true);
    title->setObjectName("title");
    root->addWidget(title);

    if (!model_->hasEnoughMemory()) {
        auto* warning =
            typography::label(text(model_->minimumMemoryText()), Style::body, true, true);
        warning->setObjectName("minimumMemoryWarning");
        warning->setAlignment(Qt::AlignCenter);
        warning->setContentsMargins(padding, padding, padding, padding);
        root->addWidget(warning);
        return;
    }

    root->addWidget(controls::divider());
    auto* caption = typography::label(popover_text::ramAllocation, Style::body, true);
    caption->setObjectName("ramAllocationCaption");
    root->addWidget(caption);

    bar_ = new MemoryBar;
    bar_->setToolTipSource([this] {
        const std::optional<std::string> tip = model_->readGpuMemoryToolTip();
        return tip ? text(*tip) : QString();
    });
    root->addWidget(bar_, 0, Qt::AlignHCenter);
    root->addWidget(controls::divider());

    totalFigure_ = typography::label({}, Style::body);
    totalFigure_->setObjectName("totalFigure");
    reservedFigure_ = typography::label({}, Style::body);
    reservedFigure_->setObjectName("reservedFigure");
    allocatedFigure_ = typography::label({}, Style::body);
    allocatedFigure_->setObjectName("allocatedFigure");
    root->addWidget(totalFigure_);
    root->addWidget(reservedFigure_);
    root->addWidget(allocatedFigure_);
    root->addWidget(controls::divider());

    buildPresetRows(root);
    root->addWidget(controls::divider());
    buildCustomBlock(root);
    root->addWidget(controls::divider());

    moreSettings_ = new MoreSettingsSection(*model_, host_.moreSettings);
    root->addWidget(moreSettings_);
    root->addWidget(controls::divider());

    QPushButton* quit = controls::plainButton(popover_text::quit, "quit");
    connect(quit, &QPushButton::clicked, this, [this] {
        if (host_.quit) {
            host_.quit();
        }
    });
    root->addWidget(quit);
}

void ContentView::buildPresetRows(QVBoxLayout* root) {
    const std::vector<double> options = model_->vramOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        const double gigabytes = options[i];
        auto* row = new ClickableRow(ClickableRow::Target::piecesOnly);
        row->setObjectName(QString("presetRow%1").arg(i));
        auto* label = typography::label({}, Style::body);
        auto* mark = controls::checkmark(QString("presetCheckmark%1").arg(i));
        row->layout()->addWidget(label);
        row->layout()->addStretch(1);
        row->layout()->addWidget(mark);
        row->setAction([this, gigabytes] { model_->selectPreset(gigabytes); });
        root->addWidget(row);
        presets_.push_back({gigabytes, row, label, mark});
    }
}

void ContentView::buildCustomBlock(QVBoxLayout* root) {
    auto* block = new QVBoxLayout;
    block->setSpacing(10);
    root->addLayout(block);

    auto* header = new QHBoxLayout;
    auto* headerText = typography::label(popover_text::customHeader, Style::body);
    headerText->setObjectName("customHeader");
    customCheckmark_ = controls::checkmark("customCheckmark");
    header->addWidget(headerText);
    header->addStretch(1);
    header->addWidget(customCheckmark_);
    block->addLayout(header);

    // The slider moves in whole steps from the lower end of the range.
    slider_ = new QSlider(Qt::Horizontal);
    slider_->setObjectName("customSlider");
    const double lowest = model_->customRangeMinimum();
    const double span = model_->customRangeMaximum() - lowest;
    slider_->setRange(0, span > 0 ? static_cast<int>(std::floor(span / sliderStep)) : 0);
    slider_->setSingleStep(1);
    slider_->setPageStep(1);
    connect(slider_, &QSlider::valueChanged, this,
            [this, lowest](int step) { model_->setCustomAllocation(lowest + step * sliderStep); });
    block->addWidget(slider_);

    customAmount_ = typography::label({}, Style::body);
    customAmount_->setObjectName("customAmount");
    block->addWidget(customAmount_);

    setCustom_ = new ClickableRow(ClickableRow::Target::piecesOnly);
    setCustom_->setObjectName("setCustomAllocation");
    setCustom_->layout()->addWidget(typography::label(popover_text::setCustom, Style::body));
    setCustom_->layout()->addStretch(1);
    setCustom_->setAction([this] { model_->applyCustomAllocation(); });
    block->addWidget(setCustom_);

    busyLabel_ = typography::label({}, Style::caption, false, true);
    busyLabel_->setObjectName("statusBusy");
    setSecondaryColor(busyLabel_);
    offer_ = buildOffer();
    approval_ = buildApproval();
    errorLabel_ = typography::label({}, Style::caption, false, true);
    errorLabel_->setObjectName("statusError");
    setErrorColor(errorLabel_);
    for (QWidget* status : {static_cast<QWidget*>(busyLabel_), offer_, approval_,
                            static_cast<QWidget*>(errorLabel_)}) {
        block->addWidget(status);
    }
}

QWidget* ContentView::buildOffer() {
    auto* box = new QWidget;
    box->setObjectName("statusOffer");
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(typography::label(popover_text::offerTitle, Style::caption, true));
    auto* explanation = typography::label(popover_text::offerText, Style::caption, false, true);
    setSecondaryColor(explanation);
    layout->addWidget(explanation);
    auto* buttons = new QHBoxLayout;
    QPushButton* turnOn = controls::pushButton(popover_text::turnOn, "turnOn");
    QPushButton* notNow = controls::pushButton(popover_text::notNow, "notNow");
    connect(turnOn, &QPushButton::clicked, this, [this] { model_->turnOnHelper(offeredMB_); });
    connect(notNow, &QPushButton::clicked, this,
            [this] { model_->declineHelperOffer(offeredMB_); });
    buttons->addWidget(turnOn);
    buttons->addWidget(notNow);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

QWidget* ContentView::buildApproval() {
    auto* box = new QWidget;
    box->setObjectName("statusApproval");
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* explanation = typography::label(popover_text::approvalText, Style::caption, false, true);
    setSecondaryColor(explanation);
    layout->addWidget(explanation);
    auto* buttons = new QHBoxLayout;
    QPushButton* open =
        controls::pushButton(popover_text::openSystemSettings, "openSystemSettings");
    QPushButton* password =
        controls::pushButton(popover_text::usePasswordInstead, "usePasswordInstead");
    connect(open, &QPushButton::clicked, this, [this] { model_->openSystemSettings(); });
    connect(password, &QPushButton::clicked, this,
            [this] { model_->usePasswordInstead(waitingMB_); });
    buttons->addWidget(open);
    buttons->addWidget(password);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

void ContentView::render() {
    if (!bar_) {
        return; // the small-machine layout has nothing that changes
    }
    const BarWidths widths = model_->barWidths();
    bar_->setFigures(widths.reservedWidth, widths.vramWidth, model_->isSystemManaged());
    totalFigure_->setText(text(model_->totalFigureText()));
    reservedFigure_->setText(text(model_->reservedFigureText()));
    allocatedFigure_->setText(text(model_->allocatedFigureText()));

    const bool locked = model_->controlsLocked();
    const std::optional<double> selected = model_->selectedVRAMGB();
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        const PresetRow& preset = presets_[i];
        preset.label->setText(text(model_->optionLabel(preset.gigabytes, i)));
        preset.checkmark->setVisible(selected && *selected == preset.gigabytes);
        preset.row->setEnabled(!locked);
    }

    const double custom = model_->customAllocation();
    customCheckmark_->setVisible(selected && *selected == custom);
    const int step =
        static_cast<int>(std::lround((custom - model_->customRangeMinimum()) / sliderStep));
    if (slider_->value() != step && !slider_->isSliderDown()) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(step);
    }
    slider_->setEnabled(!locked);
    customAmount_->setText(text(model_->customAmountText()));
    setCustom_->setEnabled(!locked);

    const ContentViewModel::StatusArea area = model_->statusArea();
    busyLabel_->setVisible(area == ContentViewModel::StatusArea::busy);
    busyLabel_->setText(text(model_->busyMessage().value_or("")));
    offer_->setVisible(area == ContentViewModel::StatusArea::offer);
    offeredMB_ = model_->helperOfferMB().value_or(0);
    approval_->setVisible(area == ContentViewModel::StatusArea::approval);
    waitingMB_ = model_->waitingForApprovalMB().value_or(0);
    errorLabel_->setVisible(area == ContentViewModel::StatusArea::error);
    errorLabel_->setText(text(model_->vramError().value_or("")));
    moreSettings_->render();
}

bool ContentView::event(QEvent* event) {
    // Before the layout takes its new sizes: the room left for More Settings first.
    if (event->type() == QEvent::LayoutRequest) {
        fitHeight();
    }
    return QWidget::event(event);
}

void ContentView::fitHeight() {
    if (!moreSettings_) {
        return;
    }
    const int budget = maximumHeight();
    if (budget >= QWIDGETSIZE_MAX) {
        moreSettings_->setFoldRoom(QWIDGETSIZE_MAX);
        return;
    }
    const int whole = hasHeightForWidth() ? heightForWidth(width) : sizeHint().height();
    const int others = whole - moreSettings_->foldHeight();
    moreSettings_->setFoldRoom(std::max(leastMoreSettingsHeight, budget - others));
}

void ContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    model_->onPopoverAppear();
    model_->startApprovalTimer();
    render();
}

void ContentView::hideEvent(QHideEvent* event) {
    model_->stopApprovalTimer();
    QWidget::hideEvent(event);
}

} // namespace orvane
