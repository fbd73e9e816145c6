#include "app/cli/Commands.h"

#include <optional>

#include "app/cli/CliTexts.h"
#include "app/cli/StatusReport.h"
#include "app/limit/Figures.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/PasswordScript.h"
#include "app/limit/Sizes.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

constexpr double bytesPerGigabyte = 1073741824.0;
constexpr double minimumRequiredRAMGB = 8.0;
constexpr long userCancelled = -128;

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

QString outsideRange(std::int64_t wholeGB) {
    return QString::fromStdString(outsideRangeText(wholeGB));
}

// A change that went through counts only when the variable reads back as sent.
CommandResult confirm(CliContext& context, std::int64_t megabytes, const char* doneText) {
    const Logger vramLog(context.log, texts::vramCategory);
    if (!sameMegabytes(megabytes, readVRAMGB(context.kernel, context.defaults, vramLog))) {
        return {ExitStatus::refused, text(texts::limitDidNotChange), {}};
    }
    return {ExitStatus::done, {}, QString(doneText).arg(megabytes)};
}

CommandResult withPassword(CliContext& context, std::int64_t megabytes) {
    const AdminRunner::Outcome outcome = context.adminRunner.run(passwordScriptSource(megabytes));
    if (!outcome.compiled) {
        return {ExitStatus::failed, text(texts::couldNotChangeLimit), {}};
    }
    if (outcome.error) {
        if (outcome.error->number == userCancelled) {
            return {ExitStatus::cancelled, {}, cli_text::cancelled};
        }
        Logger(context.log, texts::vramCategory)
            .error(texts::scriptFailedLog, {outcome.error->description});
        const bool hasMessage = outcome.error->message && !outcome.error->message->empty();
        return {ExitStatus::failed,
                hasMessage ? QString::fromStdString(*outcome.error->message)
                           : text(texts::couldNotChangeLimit),
                {}};
    }
    return confirm(context, megabytes, cli_text::changedWithPassword);
}

std::optional<HelperManager::SetResult> throughHelper(CliContext& context, std::int64_t megabytes) {
    std::optional<HelperManager::SetResult> result;
    context.helperManager.setLimit(megabytes,
                                   [&result](HelperManager::SetResult r) { result = r; });
    context.waitUntil([&result] { return result.has_value(); });
    return result;
}

} // namespace

CommandResult changeLimit(CliContext& context, double gigabytes, bool allowPassword) {
    const double total = static_cast<double>(context.memory.bytes()) / bytesPerGigabyte;
    if (gigabytes != 0.0 && total < minimumRequiredRAMGB) {
        return {ExitStatus::refused, cli_text::tooLittleMemory, {}};
    }
    const std::optional<std::int64_t> megabytes = validatedMegabytes(gigabytes, total);
    if (!megabytes) {
        return {ExitStatus::refused, outsideRange(integerPart(gigabytes)), {}};
    }

    if (context.helperManager.state() == HelperManager::State::on) {
        const auto result = throughHelper(context, *megabytes);
        if (result == HelperManager::SetResult::success) {
            return confirm(context, *megabytes, cli_text::changedThroughHelper);
        }
        if (result == HelperManager::SetResult::rejected) {
            return {ExitStatus::refused, outsideRange(*megabytes / 1024), {}};
        }
        // Unavailable: like the popover, fall back to the password without a word.
    }
    if (!allowPassword) {
        return {ExitStatus::failed, cli_text::noPasswordRefused, {}};
    }
    return withPassword(context, *megabytes);
}

CommandResult helperCommand(CliContext& context, const QString& action, QString& output) {
    HelperManager& manager = context.helperManager;
    if (action == "status") {
        output = helperStateText(manager.state()) + '\n';
        return {};
    }
    if (action == "on") {
        // Turning the switch on answers the popover's offer too.
        context.defaults.setBool(texts::helperOfferShownKey, true);
        manager.registerHelper();
        switch (manager.state()) {
        case HelperManager::State::on:
            return {};
        case HelperManager::State::needsApproval:
            return {ExitStatus::done, cli_text::approvalNeeded, {}};
        case HelperManager::State::off:
            break;
        }
        return {ExitStatus::failed, cli_text::turnOnFailed, {}};
    }
    if (action == "off") {
        manager.unregister();
        if (manager.state() != HelperManager::State::off) {
            return {ExitStatus::failed, cli_text::turnOffFailed, {}};
        }
        return {};
    }
    return {ExitStatus::usage, cli_text::helperActions, {}};
}

} // namespace orvane::cli
