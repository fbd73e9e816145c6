#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

// The platform's text styles and colours, in logical pixels, as the popover uses them.
namespace orvane::typography {

enum class Style { headline, body, caption, title2 };

QFont font(Style style, bool bold = false);
QColor secondaryLabelColor();
QColor errorColor();

// A label in the given style; wrapping labels grow in height instead of being cut off.
QLabel* label(const QString& text, Style style, bool bold = false, bool wrap = false);

} // namespace orvane::typography
