#include "app/shell/TermsWindow.h"

#include <algorithm>

#include <QButtonGroup>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStringDecoder>
#include <QTimer>
#include <QVBoxLayout>

#include "app/popover/Typography.h"
#include "app/shell/ShellTexts.h"

namespace orvane {

namespace {

using typography::Style;

constexpr int padding = 16;
constexpr int scrollHeight = 300;

} // namespace

std::optional<QString> readUtf8File(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

TermsWindow::TermsWindow(Bundle& bundle, std::function<void()> onAgree,
                         std::function<void()> onDecline, QWidget* parent)
    // Titled and closable: no minimise or maximise button.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , bundle_(bundle)
    , onAgree_(std::move(onAgree))
    , onDecline_(std::move(onDecline)) {
    setObjectName("termsWindow");
    setWindowTitle(shell_text::termsTitle);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(padding, padding, padding, padding);
    stack->setSpacing(0);

    auto* welcome = typography::label(shell_text::welcome, Style::title2, true);
    stack->addWidget(welcome);
    stack->addSpacing(10);
    stack->addWidget(typography::label(shell_text::reviewPrompt, Style::body));
    stack->addSpacing(10);

    // The segmented picker "Documents".
    auto* picker = new QHBoxLayout;
    picker->setSpacing(0);
    auto* group = new QButtonGroup(this);
    privacyTab_ = new QPushButton(shell_text::privacyPolicy);
    privacyTab_->setObjectName("privacyTab");
    termsTab_ = new QPushButton(shell_text::termsOfUse);
    termsTab_->setObjectName("termsTab");
    for (QPushButton* segment : {privacyTab_, termsTab_}) {
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setAccessibleDescription(shell_text::documentsLabel);
        group->addButton(segment);
        picker->addWidget(segment);
    }
    privacyTab_->setChecked(true);
    connect(privacyTab_, &QPushButton::clicked, this, [this] { selectTab(0); });
    connect(termsTab_, &QPushButton::clicked, this, [this] { selectTab(1); });
    stack->addLayout(picker);
    stack->addSpacing(10);

    document_ = typography::label({}, Style::body, false, true);
    document_->setObjectName("documentText");
    document_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    document_->setContentsMargins(padding, padding, padding, padding);
    document_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("documentScroll");
    scroll->setWidget(document_);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->setFixedHeight(scrollHeight);
    scroll->setStyleSheet("QScrollArea { border: 1px solid gray; }");
    stack->addWidget(scroll);
    stack->addSpacing(10);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* decline = new QPushButton(shell_text::doNotAgree);
    decline->setObjectName("doNotAgree");
    decline->setAutoDefault(false);
    auto* agreeButton = new QPushButton(shell_text::agree);
    agreeButton->setObjectName("agree");
    agreeButton->setDefault(true);
    buttons->addWidget(decline);
    buttons->addWidget(agreeButton);
    stack->addLayout(buttons);
    stack->addStretch(1);

    // Titled and closable only: neither resizable nor maximisable, 500 × 440 unless the content
    // needs more height.
    setFixedSize(windowWidth, std::max(windowHeight, stack->minimumSize().height()));

    connect(decline, &QPushButton::clicked, this, &TermsWindow::decline);
    connect(agreeButton, &QPushButton::clicked, this, &TermsWindow::agree);
    // Return agrees, as the default button of the window.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, &TermsWindow::agree);
    }
}

void TermsWindow::selectTab(int tab) {
    selectedTab_ = tab == 0 ? 0 : 1;
    (selectedTab_ == 0 ? privacyTab_ : termsTab_)->setChecked(true);
    showSelectedDocument();
}

void TermsWindow::showSelectedDocument() {
    document_->setText(selectedTab_ == 0 ? privacyText_ : termsText_);
}

void TermsWindow::loadDocuments() {
    const auto privacyPath = bundle_.pathForResource("privacy_policy", "txt");
    if (!privacyPath) {
        return;
    }
    const auto termsPath = bundle_.pathForResource("terms_of_use", "txt");
    if (!termsPath) {
        return;
    }
    privacyText_ = readUtf8File(*privacyPath).value_or(shell_text::privacyUnreadable);
    termsText_ = readUtf8File(*termsPath).value_or(shell_text::termsUnreadable);
    showSelectedDocument();
}

void TermsWindow::agree() {
    if (answered_) {
        return;
    }
    answered_ = true;
    if (onAgree_) {
        onAgree_();
    }
}

void TermsWindow::decline() {
    if (answered_) {
        return;
    }
    answered_ = true;
    if (onDecline_) {
        onDecline_();
    }
}

void TermsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    loadDocuments();
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TermsWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The window has no minimise button, but a window manager can minimise it all the same; with
    // no Dock icon and no status item nothing could bring it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            show();
            raise();
            activateWindow();
        });
    }
}

} // namespace orvane
