#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QString>

#include "app/helperlink/HelperManager.h"
#include "platform/ports/GpuMemoryStats.h"

namespace orvane::cli {

// What "orvane status" reports: the popover's figures and presets, and the helper's state.
struct StatusFacts {
    std::uint64_t physicalBytes = 0;
    double limitGB = 0.0;                // as read, or the stored fallback
    std::optional<std::int64_t> limitMB; // exactly as read, when the read worked
    std::string limitError;              // why the read failed, when it did
    bool funMode = false;
    HelperManager::State helper = HelperManager::State::off;
    GpuMemoryStats::Reading gpu;        // the GPU's memory in use and allocated, each maybe unknown
    bool keeping = false;               // "keepLimitAfterRestart"
    std::optional<std::int64_t> keptMB; // "keptLimitMB"
    std::optional<std::uint64_t> workingSetBytes; // what the GPU may use now, when known
};

QString helperStateText(HelperManager::State state);

// Whether the limit is kept for after a restart, and which: "on, 12288 MB kept", "on, nothing
// kept" or "off".
QString keepingText(bool keeping, std::optional<std::int64_t> keptMB);

// The popover's texts, one per line, and the GPU's memory in use and working set when known.
QString statusText(const StatusFacts& facts);

// The same as one JSON object, sizes in MB and GB.
QString statusJson(const StatusFacts& facts);

} // namespace orvane::cli
