#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QWidget>

#include "platform/ports/Bundle.h"

class QLabel;
class QPushButton;

namespace orvane {

// The window that asks the user to agree to the privacy policy and the terms of use before first
// use, and again whenever the required terms version changes.
class TermsWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int windowWidth = 500;
    static constexpr int windowHeight = 440;

    TermsWindow(Bundle& bundle, std::function<void()> onAgree, std::function<void()> onDecline,
                QWidget* parent = nullptr);

    int selectedTab() const { return selectedTab_; }
    void selectTab(int tab);
    const QString& privacyText() const { return privacyText_; }
    const QString& termsText() const { return termsText_; }

    // Reads both documents from the bundle; a missing one leaves both texts as they are.
    void loadDocuments();

    void agree();
    void decline();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showSelectedDocument();

    Bundle& bundle_;
    std::function<void()> onAgree_;
    std::function<void()> onDecline_;
    int selectedTab_ = 0;
    QString privacyText_;
    QString termsText_;
    QLabel* document_ = nullptr;
    QPushButton* privacyTab_ = nullptr;
    QPushButton* termsTab_ = nullptr;
    bool answered_ = false;
};

// The whole file as UTF-8 text, or none when it cannot be read or is not valid UTF-8.
std::optional<QString> readUtf8File(const std::filesystem::path& path);

} // namespace orvane
