#pragma once

#include <functional>

#include <QHBoxLayout>
#include <QWidget>

namespace orvane {

// A borderless row of pieces (text, spacer, symbol) that acts as one plain button. Either the
// whole rectangle takes clicks, or only the visible pieces do, as plain buttons with a spacer in
// their label behave on the Mac.
class ClickableRow final : public QWidget {
    Q_OBJECT
public:
    enum class Target { wholeRow, piecesOnly };

    explicit ClickableRow(Target target, QWidget* parent = nullptr);

    QHBoxLayout* layout() const { return layout_; }
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    // Performs the action as a click would, if enabled.
    void click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool hits(const QPoint& point) const;

    Target target_;
    QHBoxLayout* layout_;
    std::function<void()> action_;
    bool pressed_ = false;
};

} // namespace orvane
