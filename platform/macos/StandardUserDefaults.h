#pragma once

#include "platform/ports/Defaults.h"

namespace orvane::macos {

// The application's standard user defaults: the domain of its bundle identifier,
// "com.halvern.Orvane", with the keys under their plain names and the values in their own types.
// orvane, whose own identifier differs, uses the application's domain all the same.
class StandardUserDefaults final : public Defaults {
public:
    std::optional<double> doubleValue(std::string_view key) override;
    std::optional<bool> boolValue(std::string_view key) override;
    std::optional<std::string> stringValue(std::string_view key) override;
    std::optional<std::int64_t> integerValue(std::string_view key) override;

    void setDouble(std::string_view key, double value) override;
    void setBool(std::string_view key, bool value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setInteger(std::string_view key, std::int64_t value) override;
    void remove(std::string_view key) override;
    std::optional<std::string> sync() override;
};

} // namespace orvane::macos
