#include "app/cli/Commands.h"

#include <optional>

#include <QStringList>

#include "app/cli/ApplicationCommand.h"
#include "app/cli/CliTexts.h"
#include "app/cli/StatusReport.h"
#include "app/helperlink/BundlePlace.h"
#include "app/limit/KeptLimit.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/PasswordScript.h"
#include "app/limit/Sizes.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

constexpr long userCancelled = -128;

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// The size as it was typed (a bare number is gigabytes), and the range the rule allows, in
// hundredths ("11.77 to 21.53", not "11.7693786621 to 21.5387573242").
QString outsideRange(const QString& typedSize, double totalGB) {
    const bool bare = !typedSize.isEmpty() && typedSize.back().isDigit();
    const ShownRange range = shownRange(totalGB);
    return QString(cli_text::outsideRange)
        .arg(bare ? typedSize + " GB" : typedSize)
        .arg(QString::number(range.lowestGB, 'g', 12))
        .arg(QString::number(range.highestGB, 'g', 12));
}

// A change that went through counts only when the variable itself reads back as sent; the value
// kept for the popover's fallback is no confirmation. Whether anything changed is known only from
// what the variable read before; a road that said it wrote, unconfirmed, may have changed it.
CommandResult confirm(CliContext& context, std::int64_t megabytes,
                      std::optional<std::int64_t> before, Road road, const char* doneText) {
    const LimitReading reading = readLimitMB(context.kernel);
    if (!reading.megabytes) {
        const std::string reason = context.kernel.describeFailure(reading.error);
        Logger(context.log, texts::vramCategory).error(texts::readFailedLog, {reason});
        return {
            ExitStatus::failed, QString(cli_text::notReadBack).arg(text(reason)), {}, true, road};
    }
    if (*reading.megabytes != megabytes) {
        return {ExitStatus::refused,
                text(texts::limitDidNotChange),
                {},
                before != reading.megabytes,
                road};
    }
    context.defaults.setDouble(texts::lastKnownVRAMGBKey, gigabytesOf(megabytes));
    recordConfirmedLimit(context.defaults, megabytes);
    return {ExitStatus::done, {}, QString(doneText).arg(megabytes), true, road};
}

CommandResult withPassword(CliContext& context, std::int64_t megabytes,
                           std::optional<std::int64_t> before) {
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
    return confirm(context, megabytes, before, Road::password, cli_text::changedWithPassword);
}

struct HelperAnswer {
    HelperManager::SetResult result = HelperManager::SetResult::unavailable;
    std::string reason;
};

HelperAnswer throughHelper(CliContext& context, std::int64_t megabytes) {
    std::optional<HelperAnswer> answer;
    context.helperManager.setLimitWithReason(
        megabytes, [&answer](HelperManager::SetResult result, const std::string& reason) {
            answer = HelperAnswer{result, reason};
        });
    context.waitUntil([&answer] { return answer.has_value(); });
    return *answer;
}

// Why the password may not be asked for, with what would have made the change password-free.
QString noPasswordReason(HelperManager::State state, const std::string& helperReason) {
    switch (state) {
    case HelperManager::State::off:
        return cli_text::noPasswordHelperOff;
    case HelperManager::State::needsApproval:
        return cli_text::noPasswordNeedsApproval;
    case HelperManager::State::on:
        break;
    }
    return QString(cli_text::noPasswordHelperFailed).arg(text(helperReason));
}

} // namespace

CommandResult changeLimit(CliContext& context, double gigabytes, const QString& typedSize,
                          bool allowPassword) {
    const double total = totalGigabytes(context.memory.bytes());
    if (gigabytes != 0.0 && tooSmallForControls(total)) {
        return {ExitStatus::refused, cli_text::tooLittleMemory, {}};
    }
    const std::optional<std::int64_t> megabytes = validatedMegabytes(gigabytes, total);
    if (!megabytes) {
        return {ExitStatus::refused, outsideRange(typedSize, total), {}};
    }

    // Setting what is in force is no change: no road, no password. What the user chose is still
    // recorded as every confirmed limit is, since the variable has just been read as it.
    const std::optional<std::int64_t> before = readLimitMB(context.kernel).megabytes;
    if (before && *before == *megabytes) {
        const bool recorded = recordConfirmedLimit(context.defaults, *megabytes);
        return {ExitStatus::done, {}, QString(cli_text::alreadyInForce).arg(*megabytes), recorded};
    }

    // orvane cannot read the registration: the helper's own answer decides whether it carries the
    // change, and only when it did not, and no password may be asked, is the registration read
    // to say why.
    HelperManager::State state =
        context.application ? HelperManager::State::on : context.helperManager.state();
    std::string helperReason;
    if (state == HelperManager::State::on) {
        const HelperAnswer answer = throughHelper(context, *megabytes);
        if (answer.result == HelperManager::SetResult::success) {
            return confirm(context, *megabytes, before, Road::helper,
                           cli_text::changedThroughHelper);
        }
        if (answer.result == HelperManager::SetResult::rejected) {
            return {ExitStatus::refused, outsideRange(typedSize, total), {}};
        }
        // Unavailable: like the popover, fall back to the password without a word.
        helperReason = answer.reason;
    }
    if (!allowPassword) {
        if (context.application) {
            state = context.application->registration().value_or(HelperManager::State::on);
        }
        return {ExitStatus::failed, noPasswordReason(state, helperReason), {}};
    }
    return withPassword(context, *megabytes, before);
}

namespace {

// As in the popover: the helper is registered only from an installed Orvane, whose path stays.
std::optional<CommandResult> refuseRegistrationHere(CliContext& context) {
    if (mayRegisterHelperFrom(context.bundlePath)) {
        return std::nullopt;
    }
    Logger(context.log, "helper").error(texts::notInstalledLog, {context.bundlePath.string()});
    return CommandResult{ExitStatus::failed, text(texts::moveToApplicationsFirst), {}};
}

} // namespace

// A setting that was not stored is no success: after a restart the old value would be back.
CommandResult confirmSaved(CliContext& context, CommandResult result) {
    const std::optional<std::string> problem = context.defaults.sync();
    if (!problem) {
        return result;
    }
    QStringList lines;
    for (const QString& line : {result.message, result.verboseMessage, text(*problem)}) {
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    result.message = lines.join('\n');
    result.verboseMessage.clear();
    if (result.status == ExitStatus::done) {
        result.status = ExitStatus::failed;
    }
    return result;
}

CommandResult helperCommand(CliContext& context, const QString& action, QString& output) {
    HelperManager& manager = context.helperManager;
    if (action == "status") {
        output = helperStateText(manager.state()) + '\n';
        return {};
    }
    if (action == "on") {
        if (auto refused = refuseRegistrationHere(context)) {
            return *refused;
        }
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
