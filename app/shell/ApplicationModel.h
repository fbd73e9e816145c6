#pragma once

#include <memory>

#include "app/limit/ContentViewModel.h"

namespace orvane {

// The model of one popover opening, on the platform's ports and the process-wide helper manager,
// reporting to AppDelegate::shared.
std::unique_ptr<ContentViewModel> makeApplicationModel();

} // namespace orvane
