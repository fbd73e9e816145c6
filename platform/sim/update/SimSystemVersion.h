#pragma once

#include <filesystem>

#include <QString>

namespace orvane::sim {

// The macOS version the stand-in machine runs: the file kern.osproductversion in the sim
// directory (the Mac's sysctl of that name, such as "15.2"), else the oldest macOS the
// application supports.
QString simSystemVersion(const std::filesystem::path& simDir);

} // namespace orvane::sim
