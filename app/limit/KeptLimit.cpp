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

void recordConfirmedLimit(Defaults& defaults, std::int64_t megabytes) {
    if (megabytes == 0) {
        defaults.remove(texts::keptLimitMBKey);
    } else if (keepsLimitAfterRestart(defaults)) {
        defaults.setInteger(texts::keptLimitMBKey, megabytes);
    }
}

void setKeepLimitAfterRestart(Defaults& defaults, KernelLimit& kernel, bool on) {
    defaults.setBool(texts::keepLimitAfterRestartKey, on);
    if (!on) {
        defaults.remove(texts::keptLimitMBKey);
        return;
    }
    // Turned on when it already was (a start-up script's "orvane keep on") before the limit was
    // restored, the variable reads 0 while the kept limit is still the one wanted.
    if (const LimitReading reading = readLimitMB(kernel);
        reading.megabytes && *reading.megabytes > 0) {
        defaults.setInteger(texts::keptLimitMBKey, *reading.megabytes);
    }
}

} // namespace orvane
