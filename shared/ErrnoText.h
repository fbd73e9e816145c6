#pragma once

#include <string>

namespace orvane {

// The system's description of an errno value, as strerror gives it; safe on any thread.
std::string errnoText(int error);

} // namespace orvane
