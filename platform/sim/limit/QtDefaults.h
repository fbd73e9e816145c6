#pragma once

#include <filesystem>
#include <memory>

#include <QSettings>

#include "platform/ports/Defaults.h"

namespace orvane::sim {

// The application's user defaults in a QSettings INI file. INI keeps no types, so a value written
// as a double or a boolean comes back as text in the next process; it is converted on read, and
// text that does not read as the asked type counts as no value.
class QtDefaults final : public Defaults {
public:
    // The file QSettings itself would use for organization "com.halvern.Orvane" and application
    // "Orvane": $XDG_CONFIG_HOME/com.halvern.Orvane/Orvane.conf.
    QtDefaults();
    explicit QtDefaults(const std::filesystem::path& file);
    ~QtDefaults() override;

    std::optional<double> doubleValue(std::string_view key) override;
    std::optional<bool> boolValue(std::string_view key) override;
    std::optional<std::string> stringValue(std::string_view key) override;

    void setDouble(std::string_view key, double value) override;
    void setBool(std::string_view key, bool value) override;
    void setString(std::string_view key, std::string_view value) override;

    static std::filesystem::path standardFile();

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace orvane::sim
