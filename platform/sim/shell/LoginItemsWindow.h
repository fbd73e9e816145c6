#pragma once

#include <functional>

#include <QWidget>

class QCheckBox;
class QLabel;
class QTimer;

namespace orvane::sim {

// The stand-in for System Settings → Login Items: it lists OrvaneHelper once the application has
// registered it, with the switch that allows it to run.
class LoginItemsWindow final : public QWidget {
    Q_OBJECT
public:
    using StatusReader = std::function<long()>;
    using Approver = std::function<void(bool allowed)>;

    LoginItemsWindow(StatusReader status, Approver approve, QWidget* parent = nullptr);

    // Shows the one window of the process, creating it on first use.
    static LoginItemsWindow* open(StatusReader status, Approver approve);

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    StatusReader status_;
    Approver approve_;
    QWidget* row_ = nullptr;
    QLabel* empty_ = nullptr;
    QCheckBox* allow_ = nullptr;
    QTimer* poll_ = nullptr;
};

} // namespace orvane::sim
