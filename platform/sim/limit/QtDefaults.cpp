#include "platform/sim/limit/QtDefaults.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/StandInFile.h"
#include "platform/sim/UserFolders.h"
#include "platform/sim/limit/ConfigHome.h"

namespace orvane::sim {

namespace {

QString qtKey(std::string_view key) {
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

QtDefaults::QtDefaults() : QtDefaults(standardFile()) {}

QtDefaults::QtDefaults(const std::filesystem::path& file) {
    // QSettings opens the file itself, blocking on a FIFO and following a link: it gets the file
    // only once the file and its folder are known to be ours.
    if (const auto problem = locationProblem(file)) {
        standInLog().error("%{public}s Settings are kept only until Orvane quits.", {*problem});
        return;
    }
    settings_ =
        std::make_unique<QSettings>(QString::fromStdString(file.string()), QSettings::IniFormat);
}

QtDefaults::~QtDefaults() = default;

std::filesystem::path QtDefaults::standardFile() {
    const std::filesystem::path home = configHome();
    return home.empty() ? std::filesystem::path() : home / "com.halvern.Orvane" / "Orvane.conf";
}

std::optional<std::string> QtDefaults::locationProblem(const std::filesystem::path& file) {
    if (file.empty()) {
        return noHomeProblem();
    }
    if (auto problem = foreignFolderProblem(file.parent_path())) {
        return problem;
    }
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        return std::nullopt; // QSettings creates it, as ours
    }
    if (const char* kind = unusualKind(file)) {
        return "Orvane does not use the settings file " + file.string() + ": it is " + kind +
               ", not a regular file.";
    }
    if (info.st_uid != ::geteuid()) {
        return "Orvane does not use the settings file " + file.string() +
               ": it belongs to another user (uid " + std::to_string(info.st_uid) + ").";
    }
    return std::nullopt;
}

QVariant QtDefaults::value(std::string_view key) const {
    return settings_ ? settings_->value(qtKey(key)) : kept_.value(qtKey(key));
}

// Each write goes to disk at once: the application may be ended at any moment from the menu bar,
// and there is no event loop turn to rely on for a later sync.
void QtDefaults::store(std::string_view key, const QVariant& value) {
    if (!settings_) {
        kept_.insert(qtKey(key), value);
        return;
    }
    settings_->setValue(qtKey(key), value);
    save();
}

void QtDefaults::remove(std::string_view key) {
    if (!settings_) {
        kept_.remove(qtKey(key));
        return;
    }
    settings_->remove(qtKey(key));
    save();
}

void QtDefaults::save() {
    settings_->sync();
    // A full disk or a file-size limit: said once, and the value still holds for this run.
    if (settings_->status() != QSettings::NoError && !writeFailureLogged_) {
        writeFailureLogged_ = true;
        standInLog().error("Saving the settings to %{public}s failed",
                           {settings_->fileName().toStdString()});
    }
}

bool QtDefaults::confirmSaved() {
    if (!settings_) {
        return false;
    }
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::optional<double> QtDefaults::doubleValue(std::string_view key) {
    const QVariant stored = value(key);
    if (isNumber(stored)) {
        return stored.toDouble();
    }
    if (stored.typeId() == QMetaType::QString) {
        bool ok = false;
        const double number = stored.toString().toDouble(&ok);
        if (ok) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<bool> QtDefaults::boolValue(std::string_view key) {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    // Only what QSettings itself writes for a boolean; QVariant would call any other text true.
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> QtDefaults::integerValue(std::string_view key) {
    const QVariant stored = value(key);
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return stored.toLongLong();
    case QMetaType::QString: {
        bool ok = false;
        const qlonglong number = stored.toString().toLongLong(&ok);
        if (ok) {
            return number;
        }
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> QtDefaults::stringValue(std::string_view key) {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QString) {
        return stored.toString().toStdString();
    }
    return std::nullopt;
}

void QtDefaults::setDouble(std::string_view key, double value) {
    store(key, value);
}

void QtDefaults::setBool(std::string_view key, bool value) {
    store(key, value);
}

void QtDefaults::setString(std::string_view key, std::string_view value) {
    store(key, qtKey(value));
}

void QtDefaults::setInteger(std::string_view key, std::int64_t value) {
    store(key, static_cast<qlonglong>(value));
}

} // namespace orvane::sim
