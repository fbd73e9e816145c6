#include "app/cli/KeepCommands.h"

#include <optional>

#include "app/cli/ApplicationCommand.h"
#include "app/cli/CliTexts.h"
#include "app/cli/StatusReport.h"
#include "app/limit/KeptLimit.h"
#include "app/limit/KeptLimitRestore.h"
#include "app/limit/LimitTexts.h"

namespace orvane::cli {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

} // namespace

CommandResult keepCommand(CliContext& context, const QString& action, QString& output) {
    if (action.isEmpty()) {
        const bool keeping = keepsLimitAfterRestart(context.defaults);
        if (keeping && keptLimitCorrupt(context.defaults)) {
            return {ExitStatus::failed, text(std::string(texts::corruptKeptLimit)), {}};
        }
        output = keepingText(keeping, keptLimitMB(context.defaults)) + '\n';
        // Restoring goes through the helper only: until it is on, keeping keeps nothing.
        if (keeping && context.helperManager.state() != HelperManager::State::on) {
            return {ExitStatus::done, cli_text::keptNotRestorable, {}};
        }
        return {};
    }
    const bool on = action == "on";
    CommandResult result;
    result.changed = setKeepLimitAfterRestart(context.defaults, context.kernel, on);
    if (!on) {
        return result;
    }
    // Restoring happens when Orvane starts, so it must start at login.
    if (!context.loginItem.isEnabled()) {
        if (const auto error = context.loginItem.setEnabled(true)) {
            result.status = ExitStatus::failed;
            result.message = QString(cli_text::launchAtLoginFailed).arg(text(*error));
            return result;
        }
        result.changed = true;
    }
    if (context.helperManager.state() != HelperManager::State::on) {
        result.message = cli_text::keepNeedsHelper;
    }
    return result;
}

CommandResult restoreCommand(CliContext& context, QString& output) {
    std::optional<RestoreOutcome> outcome;
    restoreKeptLimit(RestoreServices{context.helperManager, context.kernel, context.memory,
                                     context.defaults, context.log},
                     [&outcome](const RestoreOutcome& answer) { outcome = answer; });
    context.waitUntil([&outcome] { return outcome.has_value(); });

    using Kind = RestoreOutcome::Kind;
    // In orvane the helper's silence says only that it is not usable; the registration says why.
    if (outcome->kind == Kind::helperNotOn && context.application) {
        switch (context.application->registration().value_or(HelperManager::State::off)) {
        case HelperManager::State::off:
            break;
        case HelperManager::State::needsApproval:
            outcome->reason = texts::restoreHelperNeedsApproval;
            break;
        case HelperManager::State::on:
            outcome->reason = cli_text::helperSilent;
            break;
        }
    }
    switch (outcome->kind) {
    case Kind::restored:
        output = QString(cli_text::restored).arg(outcome->megabytes) + '\n';
        return {ExitStatus::done, {}, {}, true, Road::helper};
    case Kind::notKeeping:
        output = QString(cli_text::restoreNotKeeping) + '\n';
        return {};
    case Kind::nothingKept:
        output = QString(cli_text::restoreNothingKept) + '\n';
        return {};
    case Kind::alreadySet:
        output = QString(cli_text::restoreAlreadySet).arg(outcome->megabytes) + '\n';
        return {};
    case Kind::outsideRange:
    case Kind::didNotChange:
        return {ExitStatus::refused, QString(cli_text::notRestored).arg(text(outcome->reason)), {}};
    case Kind::keptCorrupt:
    case Kind::helperNotOn:
    case Kind::helperFailed:
    case Kind::limitNotRead:
        break;
    }
    return {ExitStatus::failed, QString(cli_text::notRestored).arg(text(outcome->reason)), {}};
}

} // namespace orvane::cli
