#include "app/popover/Typography.h"

#include <QApplication>

namespace orvane::typography {

QFont font(Style style, bool bold) {
    QFont result = QApplication::font();
    switch (style) {
    case Style::headline:
        result.setPixelSize(13);
        result.setBold(true);
        break;
    case Style::body:
        result.setPixelSize(13);
        break;
    case Style::caption:
        result.setPixelSize(10);
        break;
    case Style::title2:
        result.setPixelSize(17);
        break;
    }
    if (bold) {
        result.setBold(true);
    }
    return result;
}

QColor secondaryLabelColor() {
    return {128, 128, 133};
}
QColor errorColor() {
    return {255, 59, 48};
}

QLabel* label(const QString& text, Style style, bool bold, bool wrap) {
    auto* result = new QLabel(text);
    result->setFont(font(style, bold));
    result->setTextFormat(Qt::PlainText);
    result->setWordWrap(wrap);
    if (wrap) {
        result->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    }
    return result;
}

} // namespace orvane::typography
