#include "helper/HelperService.h"

#include <cerrno>
#include <limits>

#include "shared/HelperIdentity.h"
#include "shared/RangeRule.h"

namespace orvane {

namespace {

constexpr std::int32_t replySuccess = 0;
constexpr std::int32_t replyRejected = EINVAL;

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

} // namespace

std::int32_t HelperService::setWiredLimit(std::int64_t megabytes) {
    const std::uint64_t physicalBytes = memory_.bytes();
    // 0 hands the limit back to the system and needs no range check.
    if (megabytes != 0) {
        const auto allowed =
            validatedMegabytes(gigabytesOf(megabytes), totalGigabytes(physicalBytes));
        if (!allowed || !fitsInt32(megabytes) || *allowed != megabytes) {
            log_.error("Rejected wired limit %ld MB", {megabytes});
            return replyRejected;
        }
    }
    const int error = kernel_.write(static_cast<std::int32_t>(megabytes));
    if (error != 0) {
        log_.error("Setting wired limit failed: %{public}s", {kernel_.describeFailure(error)});
        return error;
    }
    log_.info("Set wired limit to %ld MB", {megabytes});
    return replySuccess;
}

std::int64_t HelperService::protocolVersion() const {
    return helperProtocolVersion;
}

} // namespace orvane
