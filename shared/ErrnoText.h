#pragma once

#include <string>

namespace orvane {

// The system's description of an errno value, as strerror gives it in English (the Mac's C library
// knows no other language); safe on any thread.
std::string errnoText(int error);

} // namespace orvane
