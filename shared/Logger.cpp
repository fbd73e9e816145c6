#include "shared/Logger.h"

#include <array>

namespace orvane {

std::string LogArg::text() const {
    if (const auto* number = std::get_if<std::int64_t>(&value_)) {
        return std::to_string(*number);
    }
    return std::string(std::get<std::string_view>(value_));
}

std::string formatLogMessage(std::string_view format, std::initializer_list<LogArg> args) {
    static constexpr std::array<std::string_view, 6> placeholders = {
        "%{public}s", "%{public}@", "%lld", "%ld", "%s", "%@"};
    std::string message;
    message.reserve(format.size() + 32);
    const LogArg* next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] == '%') {
            if (format.substr(i, 2) == "%%") {
                message += '%';
                i += 2;
                continue;
            }
            bool replaced = false;
            for (std::string_view placeholder : placeholders) {
                if (format.substr(i, placeholder.size()) == placeholder) {
                    if (next != args.end()) {
                        message += next->text();
                        ++next;
                    }
                    i += placeholder.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced) {
                continue;
            }
        }
        message += format[i];
        ++i;
    }
    return message;
}

} // namespace orvane
