#include "app/popover/MoreSettingsSection.h"

#include <algorithm>
#include <cmath>

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/popover/ClickableRow.h"
#include "app/popover/Controls.h"
#include "app/popover/PopoverTexts.h"
#include "app/popover/Typography.h"

namespace orvane {

namespace {

using typography::Style;

constexpr int disclosureMilliseconds = 250;

QCheckBox* checkBox(const QString& text, const QString& objectName) {
    auto* box = new QCheckBox(text);
    box->setObjectName(objectName);
    box->setFont(typography::font(Style::body));
    return box;
}

// The symbols "chevron.right" and "chevron.down", in the system font at 12, bold.
QString chevron(bool expanded) {
    return QString::fromUtf8(expanded ? "\u2304" : "\u203A");
}

} // namespace

MoreSettingsSection::MoreSettingsSection(ContentViewModel& model, Host host, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , host_(std::move(host)) {
    setObjectName("moreSettings");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    disclosure_ = new ClickableRow(ClickableRow::Target::wholeRow);
    disclosure_->setObjectName("moreSettingsRow");
    chevron_ = new QLabel;
    chevron_->setObjectName("moreSettingsChevron");
    QFont symbolFont = typography::font(Style::body, true);
    symbolFont.setPixelSize(12);
    chevron_->setFont(symbolFont);
    chevron_->setFixedWidth(12);
    chevron_->setAlignment(Qt::AlignCenter);
    disclosure_->layout()->addWidget(chevron_);
    disclosure_->layout()->addWidget(typography::label(popover_text::moreSettings, Style::body));
    disclosure_->layout()->addStretch(1);
    disclosure_->setAction([this] { model_.toggleMoreSettings(); });
    layout->addWidget(disclosure_);

    expanded_ = new QWidget;
    expanded_->setObjectName("moreSettingsContent");
    expandedLayout_ = new QVBoxLayout(expanded_);
    expandedLayout_->setContentsMargins(4, 0, 0, 0);
    expandedLayout_->setSpacing(8);
    fold_ = new QScrollArea;
    fold_->setObjectName("moreSettingsScroll");
    fold_->setFrameShape(QFrame::NoFrame);
    fold_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fold_->setWidgetResizable(true);
    fold_->setWidget(expanded_);
    fold_->viewport()->setAutoFillBackground(false);
    expanded_->setAutoFillBackground(false);
    fold_->setFixedHeight(0);
    fold_->hide();
    // Whatever changes the content's height (a hint appearing, the update settings) reaches the
    // fold through the content's own layout requests.
    expanded_->installEventFilter(this);
    layout->addWidget(fold_);

    launchAtLogin_ = checkBox(popover_text::launchAtLogin, "launchAtLogin");
    connect(launchAtLogin_, &QCheckBox::clicked, this,
            [this](bool enabled) { model_.setLaunchAtLogin(enabled); });
    expandedLayout_->addWidget(launchAtLogin_);

    passwordFree_ = checkBox(popover_text::passwordFree, "passwordFree");
    connect(passwordFree_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setPasswordFree(on); });
    expandedLayout_->addWidget(passwordFree_);

    approvalHint_ = typography::label(popover_text::approvalHint, Style::caption, false, true);
    approvalHint_->setObjectName("approvalHint");
    QPalette secondary = approvalHint_->palette();
    secondary.setColor(QPalette::WindowText, typography::secondaryLabelColor());
    approvalHint_->setPalette(secondary);
    expandedLayout_->addWidget(approvalHint_);
    approvalSettings_ =
        controls::plainButton(popover_text::openSystemSettings, "approvalOpenSystemSettings");
    connect(approvalSettings_, &QPushButton::clicked, this,
            [this] { model_.openSystemSettings(); });
    expandedLayout_->addWidget(approvalSettings_);

    keepLimit_ = checkBox(popover_text::keepLimitAfterRestart, "keepLimitAfterRestart");
    connect(keepLimit_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setKeepLimitAfterRestart(on); });
    expandedLayout_->addWidget(keepLimit_);
    keepCaption_ =
        typography::label(popover_text::keepNeedsPasswordFree, Style::caption, false, true);
    keepCaption_->setObjectName("keepLimitCaption");
    keepCaption_->setPalette(secondary);
    expandedLayout_->addWidget(keepCaption_);

    QPushButton* check = controls::plainButton(popover_text::checkForUpdates, "checkForUpdates");
    connect(check, &QPushButton::clicked, this, [this] {
        if (host_.checkForUpdates) {
            host_.checkForUpdates();
        }
    });
    expandedLayout_->addWidget(check);

    QPushButton* change =
        controls::plainButton(popover_text::changeUpdateSettings, "changeUpdateSettings");
    connect(change, &QPushButton::clicked, this, [this] { model_.toggleUpdateSettings(); });
    expandedLayout_->addWidget(change);
    updaterSettingsIndex_ = expandedLayout_->count();

    funMode_ = checkBox(popover_text::enableFunMode, "enableFunMode");
    connect(funMode_, &QCheckBox::clicked, this,
            [this](bool enabled) { model_.setEnableFunMode(enabled); });
    expandedLayout_->addWidget(funMode_);

    auto* version = typography::label(QString(popover_text::versionPrefix) +
                                          QString::fromStdString(host_.version),
                                      Style::caption);
    version->setObjectName("versionLine");
    version->setPalette(secondary);
    expandedLayout_->addWidget(version);

    // Switches and plain buttons are rows of one height, so that the rows stand evenly spaced.
    const int rowHeight = std::max(launchAtLogin_->sizeHint().height(), check->sizeHint().height());
    for (QWidget* row : std::initializer_list<QWidget*>{approvalSettings_, check, change}) {
        row->setFixedHeight(rowHeight);
    }
    for (QCheckBox* row : {launchAtLogin_, passwordFree_, keepLimit_, funMode_}) {
        row->setFixedHeight(rowHeight);
    }

    render();
}

void MoreSettingsSection::animateDisclosure(bool expand) {
    // The content unfolds and folds over a moment, as the platform's default animation does.
    unfolding_ = expand;
    if (disclosureAnimation_) {
        disclosureAnimation_->stop();
    }
    if (!isVisible()) {
        setUnfolded(expand ? 1.0 : 0.0);
        return;
    }
    if (!disclosureAnimation_) {
        disclosureAnimation_ = new QPropertyAnimation(this, "unfolded", this);
        disclosureAnimation_->setDuration(disclosureMilliseconds);
        disclosureAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
    }
    disclosureAnimation_->setStartValue(unfolded_);
    disclosureAnimation_->setEndValue(expand ? 1.0 : 0.0);
    disclosureAnimation_->start();
}

void MoreSettingsSection::setUnfolded(double fraction) {
    unfolded_ = std::clamp(fraction, 0.0, 1.0);
    updateFold();
}

void MoreSettingsSection::setFoldRoom(int pixels) {
    foldRoom_ = std::max(0, pixels);
    updateFold();
}

int MoreSettingsSection::foldHeight() const {
    return fold_->isVisibleTo(this) ? fold_->maximumHeight() : 0;
}

void MoreSettingsSection::updateFold() {
    // The content's own height at the width it is shown in (wrapped hints grow with less).
    const QScrollBar* bar = fold_->verticalScrollBar();
    const int width = std::max(1, this->width() - (bar->isVisibleTo(fold_) ? bar->width() : 0));
    const int natural = expanded_->hasHeightForWidth() ? expanded_->heightForWidth(width)
                                                       : expanded_->sizeHint().height();
    const int wanted = static_cast<int>(std::lround(natural * unfolded_));
    const int height = std::min(wanted, foldRoom_);
    if (fold_->maximumHeight() != height || fold_->minimumHeight() != height) {
        fold_->setFixedHeight(height);
    }
    fold_->setVisible(unfolding_ || unfolded_ > 0.0);
}

bool MoreSettingsSection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == expanded_ && event->type() == QEvent::LayoutRequest) {
        updateFold();
    }
    return QWidget::eventFilter(watched, event);
}

void MoreSettingsSection::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateFold();
}

void MoreSettingsSection::render() {
    const bool expanded = model_.showMoreSettings();
    chevron_->setText(chevron(expanded));
    chevron_->setAccessibleName(expanded ? "chevron.down" : "chevron.right");
    if (expanded != unfolding_) {
        animateDisclosure(expanded);
    }

    launchAtLogin_->setChecked(model_.launchAtLogin());
    passwordFree_->setChecked(model_.helperState() != HelperManager::State::off);
    const bool awaitingApproval = model_.helperState() == HelperManager::State::needsApproval;
    approvalHint_->setVisible(awaitingApproval);
    approvalSettings_->setVisible(awaitingApproval);
    keepLimit_->setChecked(model_.keepLimitAfterRestart());
    // The kept limit is restored through the helper only; it can be turned on beforehand.
    keepCaption_->setVisible(model_.helperState() != HelperManager::State::on);
    funMode_->setChecked(model_.enableFunMode());

    // The update settings are built anew each time they are shown, and gone when hidden.
    const bool showUpdates = expanded && model_.showingUpdateSettings();
    if (showUpdates && !updaterSettings_ && host_.makeUpdaterSettingsView) {
        updaterSettings_ = host_.makeUpdaterSettingsView();
        expandedLayout_->insertWidget(updaterSettingsIndex_, updaterSettings_);
        updaterSettings_->show(); // a layout would only show it on the next turn of the loop
    } else if (!showUpdates && updaterSettings_) {
        delete updaterSettings_;
    }
}

} // namespace orvane
