#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// The memory model's units, held once for the application, the command line and the daemon.
inline constexpr std::uint64_t bytesPerMegabyte = 1ULL << 20;
inline constexpr std::uint64_t bytesPerGigabyte = 1ULL << 30;
inline constexpr double megabytesPerGigabyte = 1024.0;

// The least total memory for which Orvane offers to change the limit at all.
inline constexpr double minimumRequiredRAMGB = 8.0;

// The machine's total memory in gigabytes, not rounded: 17179869184 bytes are 16.0.
double totalGigabytes(std::uint64_t physicalBytes);

// A machine below minimumRequiredRAMGB gets no allocation controls, no custom limit from the
// command line and no kept limit restored; the system default stays allowed everywhere.
bool tooSmallForControls(double totalGigabytes);

// A limit in whole megabytes as gigabytes (exact: a power of two apart).
double gigabytesOf(std::int64_t megabytes);

// The bounds of the range rule below, both inclusive: half the total memory, and the total less
// 2 GB. The custom allocation's slider spans exactly these.
double lowestAllowedGigabytes(double totalGigabytes);
double highestAllowedGigabytes(double totalGigabytes);

// The one rule, applied by the application before a change and by the daemon on every request,
// that turns a requested size in gigabytes into the megabytes of iogpu.wired_limit_mb.
// 0 means the system default and is always allowed; any other request must lie between the two
// bounds above. Gives no value when the request is refused.
std::optional<std::int64_t> validatedMegabytes(double gigabytes, double totalGigabytes);

} // namespace orvane
