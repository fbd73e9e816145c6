#include "app/limit/KeptLimit.h"

#include "app/limit/LimitTexts.h"
#include "app/limit/VramReader.h"

namespace orvane {

bool keepsLimitAfterRestart(Defaults& defaults) {
    return defaults.boolValue(texts::keepLimitAfterRestartKey).value_or(false);
}

std::optional<std::int64_t> keptLimitMB(Defaults& defaults) {
    return defaults.integerValue(texts::keptLimitMBKey);
}

bool keptLimitCorrupt(Defaults& defaults) {
    const auto key = texts::keptLimitMBKey;
    return !defaults.integerValue(key) &&
           (defaults.stringValue(key) || defaults.doubleValue(key) || defaults.boolValue(key));
}

namespace {

// Writes only what differs: a command that finds everything as wanted stores nothing, and so
// cannot fail for storage it did not need.
bool forgetKeptLimit(Defaults& defaults) {
    if (!keptLimitMB(defaults) && !keptLimitCorrupt(defaults)) {
        return false;
    }
    defaults.remove(texts::keptLimitMBKey);
    return true;
}

bool keep(Defaults& defaults, std::int64_t megabytes) {
    if (keptLimitMB(defaults) == megabytes) {
        return false;
    }
    defaults.setInteger(texts::keptLimitMBKey, megabytes);
    return true;
}

} // namespace

bool recordConfirmedLimit(Defaults& defaults, std::int64_t megabytes) {
    if (megabytes == 0) {
        return forgetKeptLimit(defaults);
    }
    return keepsLimitAfterRestart(defaults) && keep(defaults, megabytes);
}

bool setKeepLimitAfterRestart(Defaults& defaults, KernelLimit& kernel, bool on) {
    const bool changed = keepsLimitAfterRestart(defaults) != on;
    if (changed) {
        defaults.setBool(texts::keepLimitAfterRestartKey, on);
    }
    if (!on) {
        return forgetKeptLimit(defaults) || changed;
    }
    // Turned on when it already was (a start-up script's "orvane keep on") before the limit was
    // restored, the variable reads 0 while the kept limit is still the one wanted.
    if (const LimitReading reading = readLimitMB(kernel);
        reading.megabytes && *reading.megabytes > 0) {
        return keep(defaults, *reading.megabytes) || changed;
    }
    return changed;
}

} // namespace orvane
