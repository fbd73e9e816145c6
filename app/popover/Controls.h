#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>

// Small building blocks shared by the popover's sections.
namespace orvane::controls {

// A text-only button without a bezel, as plain buttons look on the Mac.
QPushButton* plainButton(const QString& text, const QString& objectName);

// A bezelled push button, the toolkit's default style.
QPushButton* pushButton(const QString& text, const QString& objectName);

// A thin horizontal separator line.
QFrame* divider();

// The "checkmark" symbol, shown or hidden by its owner.
QLabel* checkmark(const QString& objectName);

} // namespace orvane::controls
