#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The application's standard user defaults (NSUserDefaults; QSettings on Linux).
class Defaults {
public:
    virtual ~Defaults() = default;

    // The stored value when the key holds one of that type (or, where values are stored as text,
    // text that reads as one); nothing when it is absent or of another type.
    virtual std::optional<double> doubleValue(std::string_view key) = 0;
    virtual std::optional<bool> boolValue(std::string_view key) = 0;
    virtual std::optional<std::string> stringValue(std::string_view key) = 0;
    // A whole number; a stored number with a fraction is no value.
    virtual std::optional<std::int64_t> integerValue(std::string_view key) = 0;

    virtual void setDouble(std::string_view key, double value) = 0;
    virtual void setBool(std::string_view key, bool value) = 0;
    virtual void setString(std::string_view key, std::string_view value) = 0;
    virtual void setInteger(std::string_view key, std::int64_t value) = 0;

    // Removes the key, so that it holds no value at all.
    virtual void remove(std::string_view key) = 0;

    // Whether everything set so far is in storage, where the next process finds it: false when it
    // could not be saved there (a read-only or full file; values kept in memory only).
    virtual bool confirmSaved() { return true; }
};

} // namespace orvane
