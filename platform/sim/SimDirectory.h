#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The folder that stands in for the Mac's kernel variables and service registry on Linux:
// $ORVANE_SIM_DIR, else $XDG_STATE_HOME/orvane-sim, else ~/.local/state/orvane-sim; an empty path
// when the user has no home folder.
namespace orvane::sim {

inline constexpr const char* limitFileName = "iogpu.wired_limit_mb";
inline constexpr const char* memsizeFileName = "hw.memsize";
inline constexpr const char* osVersionFileName = "kern.osproductversion";
inline constexpr const char* gpuInUseFileName = "gpu.in_use_system_memory";
inline constexpr const char* gpuAllocatedFileName = "gpu.alloc_system_memory";
inline constexpr const char* gpuWorkingSetFileName = "gpu.recommended_working_set";
inline constexpr const char* statusFileName = "helper.status";
inline constexpr const char* approvedFileName = "helper.approved";
inline constexpr const char* socketFileName = "com.halvern.Orvane.helper.sock";
inline constexpr const char* lockFileName = "helper.lock";
inline constexpr const char* helperLogFileName = "helper.log";
inline constexpr const char* bundlePathFileName = "bundle.path";

std::filesystem::path simDirectory();

// Creates the folder on first use, with the limit variable at 0. A folder that exists is left as
// it is, so a removed limit file stays removed (the variable is absent on that "machine").
// 0 on success, else the errno of the failure.
int ensureSimDirectory();

// Small-file helpers shared by the stand-ins. readText gives the errno in *error on failure.
std::optional<std::string> readText(const std::filesystem::path& path, int* error = nullptr);

// Replaces the file atomically (a temporary file, then rename). 0 or the errno of the failure.
int replaceText(const std::filesystem::path& path, const std::string& text);

// A whole decimal integer, optionally followed by one newline; nothing else.
std::optional<long long> parseInteger(const std::string& text);

} // namespace orvane::sim
