#pragma once

#include <functional>

#include <QStringList>
#include <QWidget>

namespace orvane {

// The 260 × 25 bar under "RAM Allocation:": gray "System Managed" while the system chooses the
// limit, else a blue segment for the memory left to the system and a green one for the GPU. Its
// tooltip is asked for at the moment it is about to show.
class MemoryBar final : public QWidget {
    Q_OBJECT
public:
    static constexpr double barWidth = 260.0;
    static constexpr double barHeight = 25.0;
    static constexpr double cornerRadius = 5.0;
    // Below this width the reserved segment stacks its letters.
    static constexpr double narrowWidth = 35.0;

    explicit MemoryBar(QWidget* parent = nullptr);

    void setFigures(double reservedWidth, double vramWidth, bool isSystemManaged);

    // Gives the tooltip's text each time one is about to show; an empty text shows none.
    void setToolTipSource(std::function<QString()> source) { toolTipSource_ = std::move(source); }

    double reservedWidth() const { return reservedWidth_; }
    double vramWidth() const { return vramWidth_; }
    bool isSystemManaged() const { return systemManaged_; }

    // The reserved segment's label: "RAM", or its letters one above the other when narrow.
    static QStringList reservedLabel(double width);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    double reservedWidth_ = 0.0;
    double vramWidth_ = 0.0;
    bool systemManaged_ = true;
    std::function<QString()> toolTipSource_;
};

} // namespace orvane
