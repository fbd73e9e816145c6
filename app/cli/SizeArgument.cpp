#include "app/cli/SizeArgument.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace orvane::cli {

namespace {

constexpr double megabytesPerGigabyte = 1024.0;

bool endsWithUnit(std::string_view text, std::string_view unit) {
    if (text.size() < unit.size()) {
        return false;
    }
    const std::string_view tail = text.substr(text.size() - unit.size());
    return std::equal(tail.begin(), tail.end(), unit.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

std::optional<double> parseNumber(std::string_view text) {
    // from_chars also reads "nan" and "inf"; a size must be written in digits.
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                   c == 'e' || c == 'E' || c == '+';
        })) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<double> parseSizeGigabytes(std::string_view argument) {
    if (argument == "default") {
        return 0.0;
    }
    if (endsWithUnit(argument, "mb")) {
        const auto megabytes = parseNumber(argument.substr(0, argument.size() - 2));
        if (!megabytes) {
            return std::nullopt;
        }
        return *megabytes / megabytesPerGigabyte;
    }
    if (endsWithUnit(argument, "gb")) {
        return parseNumber(argument.substr(0, argument.size() - 2));
    }
    return parseNumber(argument);
}

bool looksNegative(std::string_view argument) {
    return argument.size() > 1 && argument[0] == '-' &&
           (std::isdigit(static_cast<unsigned char>(argument[1])) || argument[1] == '.');
}

} // namespace orvane::cli
