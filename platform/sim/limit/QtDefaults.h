#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <QSettings>

#include "platform/ports/Defaults.h"

namespace orvane::sim {

// The application's user defaults in a QSettings INI file. INI keeps no types, so a value written
// as a double or a boolean comes back as text in the next process; it is converted on read, and
// text that does not read as the asked type counts as no value. A file or folder that is not the
// user's own (see locationProblem) is never handed to QSettings: the values then live in memory.
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
    std::optional<std::int64_t> integerValue(std::string_view key) override;

    void setDouble(std::string_view key, double value) override;
    void setBool(std::string_view key, bool value) override;
    void setString(std::string_view key, std::string_view value) override;
    void setInteger(std::string_view key, std::int64_t value) override;
    void remove(std::string_view key) override;
    bool confirmSaved() override;

    // Empty when the user has no home folder.
    static std::filesystem::path standardFile();

    // Why the file must not be used, as a sentence: no home folder, a folder of another user, or
    // a file that is a link, a FIFO or anything but a regular file of ours. Nothing when it is
    // fine, or absent in a folder of ours.
    static std::optional<std::string> locationProblem(const std::filesystem::path& file);

private:
    QVariant value(std::string_view key) const;
    void store(std::string_view key, const QVariant& value);
    void save(); // writes to disk at once, and says once when that fails

    std::unique_ptr<QSettings> settings_; // none when the file was refused
    QVariantMap kept_;                    // the values, then
    bool writeFailureLogged_ = false;
};

} // namespace orvane::sim
