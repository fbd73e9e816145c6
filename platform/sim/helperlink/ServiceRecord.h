#pragma once

#include <filesystem>

// The stand-in for the system's record of the helper daemon: helper.status holds the service
// status as a decimal, helper.approved exists once the user has allowed the daemon to run.
namespace orvane::sim {

inline constexpr long serviceNotRegistered = 0;
inline constexpr long serviceEnabled = 1;
inline constexpr long serviceRequiresApproval = 2;
inline constexpr long serviceNotFound = 3;

// The status as the system would report it now. A missing or unreadable file reads as not
// registered. An approval given while the status waited for it takes effect here, and is kept.
long readServiceStatus(const std::filesystem::path& directory);

// 0 on success, else the errno of the failure.
int writeServiceStatus(const std::filesystem::path& directory, long status);

bool isApproved(const std::filesystem::path& directory);

} // namespace orvane::sim
