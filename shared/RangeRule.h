#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// The one rule, applied by the application before a change and by the daemon on every request,
// that turns a requested size in gigabytes into the megabytes of iogpu.wired_limit_mb.
// 0 means the system default and is always allowed; any other request must lie between half the
// total memory and the total less 2 GB, both inclusive. Gives no value when the request is refused.
std::optional<std::int64_t> validatedMegabytes(double gigabytes, double totalGigabytes);

} // namespace orvane
