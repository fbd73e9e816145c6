#include "platform/sim/limit/SimAdminRunner.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/sim/SimKernelLimit.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

constexpr long userCancelled = -128;
constexpr long commandFailed = 1; // do shell script reports the command's exit status
constexpr long dialogFailed = -1; // the password dialog gave no answer
constexpr std::string_view sysctlCommand = "/usr/sbin/sysctl -w iogpu.wired_limit_mb=";

struct Script {
    std::string_view command;
    std::string_view prompt;
};

// Consumes `word` from the front of text.
bool take(std::string_view& text, std::string_view word) {
    if (!text.starts_with(word)) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

// Consumes a quoted string without escapes or line breaks, giving what lies between the quotes.
std::optional<std::string_view> takeQuoted(std::string_view& text) {
    if (!take(text, "\"")) {
        return std::nullopt;
    }
    const auto end = text.find_first_of("\"\\\r\n");
    if (end == std::string_view::npos || text[end] != '"') {
        return std::nullopt;
    }
    const std::string_view inside = text.substr(0, end);
    text.remove_prefix(end + 1);
    return inside;
}

std::optional<Script> parse(std::string_view text) {
    Script script;
    if (!take(text, "do shell script ")) {
        return std::nullopt;
    }
    const auto command = takeQuoted(text);
    if (!command || !take(text, " with prompt ")) {
        return std::nullopt;
    }
    const auto prompt = takeQuoted(text);
    if (!prompt || !take(text, " with administrator privileges") || !text.empty()) {
        return std::nullopt;
    }
    return Script{*command, *prompt};
}

AdminRunner::Outcome failure(long number, const std::string& message) {
    AdminRunner::ScriptError error;
    error.number = number;
    error.message = message;
    // Shaped like the error dictionary's own description on a Mac.
    error.description = "{NSAppleScriptErrorMessage = \"" + message +
                        "\"; NSAppleScriptErrorNumber = " + std::to_string(number) + ";}";
    return {true, std::move(error)};
}

std::optional<std::int32_t> parseMegabytes(std::string_view text, int& error) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec == std::errc::invalid_argument || end != text.data() + text.size()) {
        error = EINVAL;
        return std::nullopt;
    }
    // The variable is a 32-bit integer in the kernel.
    if (ec == std::errc::result_out_of_range || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        error = ERANGE;
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

SimAdminRunner::SimAdminRunner(std::filesystem::path simDirectory, PasswordPrompt askPassword)
    : directory_(std::move(simDirectory))
    , askPassword_(std::move(askPassword)) {}

AdminRunner::Outcome SimAdminRunner::run(const std::string& source) {
    const auto script = parse(source);
    if (!script) {
        return {false, std::nullopt};
    }
    // As on a Mac, the password comes first and the command runs only after it.
    const PasswordAnswer answer =
        askPassword_ ? askPassword_(std::string(script->prompt)) : PasswordAnswer(false);
    if (answer.failure) {
        return failure(dialogFailed, *answer.failure);
    }
    if (!answer.ok) {
        return failure(userCancelled, "User canceled.");
    }
    std::string_view command = script->command;
    if (!take(command, sysctlCommand)) {
        return failure(commandFailed,
                       "The stand-in runs only /usr/sbin/sysctl -w iogpu.wired_limit_mb=<number>.");
    }
    int error = 0;
    const auto megabytes = parseMegabytes(command, error);
    if (!megabytes) {
        return failure(commandFailed, "sysctl: iogpu.wired_limit_mb: " + errnoText(error));
    }
    error = SimKernelLimit(directory_).write(*megabytes);
    if (error == ENOENT) {
        return failure(commandFailed, "sysctl: unknown oid 'iogpu.wired_limit_mb'");
    }
    if (error != 0) {
        return failure(commandFailed, "sysctl: iogpu.wired_limit_mb: " + errnoText(error));
    }
    return {};
}

} // namespace orvane::sim
