#pragma once

#include <memory>

#include "app/limit/ContentViewModel.h"

namespace orvane {

// The model of one popover opening, on the platform's ports and the process-wide helper manager,
// reporting to AppDelegate::shared.
std::unique_ptr<ContentViewModel> makeApplicationModel();

// Sets the limit kept for after a restart again, once, at launch (see restoreKeptLimit): through
// the process-wide helper manager only, never asking for a password. A success shows on the
// status icon and in an open popover; a fault is one log line and nothing else.
void restoreKeptLimitAtLaunch();

} // namespace orvane
