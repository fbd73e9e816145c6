#include "app/limit/KeptLimitRestore.h"

#include "app/limit/KeptLimit.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane {

namespace {

using Kind = RestoreOutcome::Kind;

// The same rule a change from the popover passes: a machine too small for the allocation controls
// has no custom limit to restore either.
bool passesRangeRule(std::int64_t megabytes, double totalGB) {
    if (megabytes <= 0 || tooSmallForControls(totalGB)) {
        return false;
    }
    return validatedMegabytes(gigabytesOf(megabytes), totalGB) == megabytes;
}

RestoreOutcome fault(Kind kind, std::int64_t megabytes, std::string reason) {
    return {kind, megabytes, std::move(reason)};
}

// The helper's answer, read back as every change is.
RestoreOutcome confirmed(RestoreServices& services, HelperManager::SetResult result,
                         const std::string& reason, std::int64_t megabytes) {
    switch (result) {
    case HelperManager::SetResult::rejected:
        return fault(Kind::outsideRange, megabytes,
                     formatLogMessage(texts::restoreKeptOutsideRange, {megabytes}));
    case HelperManager::SetResult::unavailable:
        return fault(Kind::helperFailed, megabytes, reason);
    case HelperManager::SetResult::success:
        break;
    }
    const LimitReading reading = readLimitMB(services.kernel);
    if (!reading.megabytes) {
        return fault(Kind::limitNotRead, megabytes,
                     formatLogMessage(texts::restoreNotReadBack,
                                      {services.kernel.describeFailure(reading.error)}));
    }
    if (*reading.megabytes != megabytes) {
        return fault(Kind::didNotChange, megabytes, std::string(texts::limitDidNotChange));
    }
    // The status icon follows this value.
    services.defaults.setDouble(texts::lastKnownVRAMGBKey, gigabytesOf(megabytes));
    recordConfirmedLimit(services.defaults, megabytes);
    return {Kind::restored, megabytes, {}};
}

// Everything that can be decided without the helper; a kind of restored means "send it".
RestoreOutcome decide(RestoreServices& services) {
    if (!keepsLimitAfterRestart(services.defaults)) {
        return {Kind::notKeeping, 0, {}};
    }
    const std::optional<std::int64_t> kept = keptLimitMB(services.defaults);
    if (!kept && keptLimitCorrupt(services.defaults)) {
        return fault(Kind::keptCorrupt, 0, std::string(texts::corruptKeptLimit));
    }
    if (!kept || *kept == 0) {
        return {Kind::nothingKept, 0, {}};
    }
    if (!passesRangeRule(*kept, totalGigabytes(services.memory.bytes()))) {
        return fault(Kind::outsideRange, *kept,
                     formatLogMessage(texts::restoreKeptOutsideRange, {*kept}));
    }
    const LimitReading reading = readLimitMB(services.kernel);
    if (!reading.megabytes) {
        return fault(Kind::limitNotRead, *kept,
                     formatLogMessage(texts::restoreLimitNotRead,
                                      {services.kernel.describeFailure(reading.error)}));
    }
    if (*reading.megabytes != 0) {
        return {Kind::alreadySet, *reading.megabytes, {}};
    }
    switch (services.helperManager.state()) {
    case HelperManager::State::off:
        return fault(Kind::helperNotOn, *kept, std::string(texts::restoreHelperOff));
    case HelperManager::State::needsApproval:
        return fault(Kind::helperNotOn, *kept, std::string(texts::restoreHelperNeedsApproval));
    case HelperManager::State::on:
        break;
    }
    return {Kind::restored, *kept, {}};
}

void report(RestoreServices& services, const RestoreOutcome& outcome) {
    const Logger vramLog(services.log, texts::vramCategory);
    if (outcome.kind == Kind::restored) {
        vramLog.info(texts::restoredLog, {outcome.megabytes});
    } else if (!nothingToRestore(outcome.kind)) {
        vramLog.error(texts::restoreFailedLog, {outcome.reason});
    }
}

} // namespace

bool nothingToRestore(RestoreOutcome::Kind kind) {
    return kind == Kind::notKeeping || kind == Kind::nothingKept || kind == Kind::alreadySet;
}

void restoreKeptLimit(RestoreServices services, std::function<void(const RestoreOutcome&)> done) {
    const RestoreOutcome decision = decide(services);
    if (decision.kind != Kind::restored) {
        report(services, decision);
        if (done) {
            done(decision);
        }
        return;
    }
    const std::int64_t megabytes = decision.megabytes;
    services.helperManager.setLimitWithReason(
        megabytes, [services, megabytes, done = std::move(done)](
                       HelperManager::SetResult result, const std::string& reason) mutable {
            const RestoreOutcome outcome = confirmed(services, result, reason, megabytes);
            report(services, outcome);
            if (done) {
                done(outcome);
            }
        });
}

} // namespace orvane
