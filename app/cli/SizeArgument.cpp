#include "app/cli/SizeArgument.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>
#if defined(__APPLE__)
#include <xlocale.h>
#endif

#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

// Whether text is word in any mix of cases; word is in lower case.
bool sameWordIgnoringCase(std::string_view text, std::string_view word) {
    return std::equal(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

bool endsWithUnit(std::string_view text, std::string_view unit) {
    return text.size() >= unit.size() &&
           sameWordIgnoringCase(text.substr(text.size() - unit.size()), unit);
}

// The number before a unit: "24" of "24GB", and of "24 GB" as status prints sizes. One space at
// most, and only before a unit.
std::string_view beforeUnit(std::string_view argument) {
    std::string_view number = argument.substr(0, argument.size() - 2);
    if (!number.empty() && number.back() == ' ') {
        number.remove_suffix(1);
    }
    return number;
}

std::size_t skipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    return at;
}

// The grammar of a size: an optional minus, digits with at most one decimal point and at least
// one digit, then an optional exponent (e or E, an optional sign, digits). No leading plus, no
// spaces, no "nan" or "inf": a size is written in digits.
bool isDecimalNumber(std::string_view text) {
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t integerEnd = skipDigits(text, at);
    std::size_t mantissaDigits = integerEnd - at;
    at = integerEnd;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fractionEnd = skipDigits(text, at + 1);
        mantissaDigits += fractionEnd - at - 1;
        at = fractionEnd;
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        const std::size_t exponentEnd = skipDigits(text, at);
        if (exponentEnd == at) {
            return false;
        }
        at = exponentEnd;
    }
    return at == text.size();
}

bool hasNonZeroDigit(std::string_view text) {
    const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
    return mantissa.find_first_of("123456789") != std::string_view::npos;
}

// The C locale's conversion, whatever locale the process runs in: QCoreApplication sets the
// user's, whose decimal separator may be a comma.
locale_t cLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

std::optional<double> parseNumber(std::string_view text) {
    if (!isDecimalNumber(text) || cLocale() == static_cast<locale_t>(nullptr)) {
        return std::nullopt;
    }
    const std::string digits(text);
    char* end = nullptr;
    const double value = ::strtod_l(digits.c_str(), &end, cLocale());
    // A number too large for a double, or so small that it rounds to zero, is out of range; the
    // C library's errno for the smallest numbers differs between systems, so it is not asked.
    if (end != digits.c_str() + digits.size() || !std::isfinite(value) ||
        (value == 0.0 && hasNonZeroDigit(text))) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<double> parseSizeGigabytes(std::string_view argument) {
    if (sameWordIgnoringCase(argument, "default")) {
        return 0.0;
    }
    if (endsWithUnit(argument, "mb")) {
        const auto megabytes = parseNumber(beforeUnit(argument));
        if (!megabytes) {
            return std::nullopt;
        }
        return *megabytes / megabytesPerGigabyte;
    }
    if (endsWithUnit(argument, "gb")) {
        return parseNumber(beforeUnit(argument));
    }
    return parseNumber(argument);
}

bool looksNegative(std::string_view argument) {
    return argument.size() > 1 && argument[0] == '-' &&
           (std::isdigit(static_cast<unsigned char>(argument[1])) || argument[1] == '.');
}

} // namespace orvane::cli
