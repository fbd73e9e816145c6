#include "app/limit/VramReader.h"

#include <cmath>
#include <cstring>

#include "app/limit/LimitTexts.h"
#include "shared/RangeRule.h"

namespace orvane {

std::int64_t decodedLimitMB(const KernelLimit::RawValue& raw) {
    if (raw.length == 4) {
        std::int32_t narrow = 0;
        std::memcpy(&narrow, raw.bytes.data(), sizeof narrow);
        return narrow;
    }
    std::int64_t wide = 0;
    std::memcpy(&wide, raw.bytes.data(), sizeof wide);
    return wide;
}

LimitReading readLimitMB(KernelLimit& kernel) {
    KernelLimit::RawValue raw;
    raw.length = raw.bytes.size();
    if (const int error = kernel.read(raw); error != 0) {
        return {std::nullopt, error};
    }
    return {decodedLimitMB(raw), 0};
}

double storedVRAMGB(Defaults& defaults) {
    const auto stored = defaults.doubleValue(texts::lastKnownVRAMGBKey);
    // A hand-edited "nan" or "inf" would poison every figure; treat it as no value.
    return stored && std::isfinite(*stored) ? *stored : 0.0;
}

VramReading readVRAM(KernelLimit& kernel, Defaults& defaults, const Logger& vramLog) {
    const LimitReading reading = readLimitMB(kernel);
    if (!reading.megabytes) {
        vramLog.error(texts::readFailedLog, {kernel.describeFailure(reading.error)});
        return {storedVRAMGB(defaults), false};
    }
    const double gigabytes = gigabytesOf(*reading.megabytes);
    defaults.setDouble(texts::lastKnownVRAMGBKey, gigabytes);
    return {gigabytes, true};
}

double readVRAMGB(KernelLimit& kernel, Defaults& defaults, const Logger& vramLog) {
    return readVRAM(kernel, defaults, vramLog).gigabytes;
}

} // namespace orvane
