#include "app/popover/Controls.h"

#include <QLabel>

#include "app/popover/Typography.h"

namespace orvane::controls {

QPushButton* plainButton(const QString& text, const QString& objectName) {
    auto* button = new QPushButton(text);
    button->setObjectName(objectName);
    button->setFlat(true);
    button->setFont(typography::font(typography::Style::body));
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet("QPushButton { border: none; padding: 0; text-align: left; }"
                          "QPushButton:disabled { color: palette(mid); }");
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return button;
}

QPushButton* pushButton(const QString& text, const QString& objectName) {
    auto* button = new QPushButton(text);
    button->setObjectName(objectName);
    // The popover's buttons are small ones, so that two fit side by side in its width.
    button->setFont(typography::font(typography::Style::caption));
    button->setStyleSheet("QPushButton { padding: 3px 8px; }");
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return button;
}

QFrame* divider() {
    auto* line = new QFrame;
    line->setObjectName("divider");
    // The line is the frame's whole background, not a line drawn inside it: at a fractional scale
    // a line drawn half a pixel down falls outside the one device pixel the frame is given.
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    line->setStyleSheet("QFrame { background-color: rgba(128, 128, 128, 80); border: none; }");
    return line;
}

QLabel* checkmark(const QString& objectName) {
    auto* mark = typography::label(QString::fromUtf8("\u2713"), typography::Style::body, true);
    mark->setObjectName(objectName);
    mark->setAccessibleName("checkmark");
    return mark;
}

} // namespace orvane::controls
