#include "platform/sim/limit/QtDefaults.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/StandInFile.h"
#include "platform/sim/UserFolders.h"
#include "platform/sim/limit/ConfigHome.h"
#include "shared/ErrnoText.h"

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

// QSettings says only that a write failed. Why, found the way it writes: the file opened for
// reading and writing, then a new file beside it as large as the settings.
std::string writeFailure(const std::filesystem::path& file) {
    const StandInFile existing = openStandInFile(file, O_RDWR);
    if (!existing.fd && existing.error != ENOENT) {
        return errnoText(existing.error);
    }
    struct stat info {};
    const off_t size = existing.fd && ::fstat(existing.fd.get(), &info) == 0 ? info.st_size : 0;
    // Appended rather than "." + name: GCC 12 at -O3 misreads that as an overlapping copy.
    std::string probeName = ".";
    probeName += file.filename().string();
    probeName += ".XXXXXX";
    std::string probe = (file.parent_path() / probeName).string();
    const UniqueFd written(::mkostemp(probe.data(), O_CLOEXEC));
    if (!written) {
        return errnoText(errno);
    }
    int error = 0;
    const char zeros[4096] = {};
    for (off_t left = std::min<off_t>(size, 1 << 16) + 1; left > 0 && error == 0;) {
        const ssize_t n = ::write(written.get(), zeros, std::min<off_t>(left, sizeof zeros));
        if (n > 0) {
            left -= n;
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (error == 0 && ::fsync(written.get()) != 0) {
        error = errno;
    }
    ::unlink(probe.c_str());
    return error != 0 ? errnoText(error) : "it could not be written";
}

// A QSettings on the same file holding every value the given one holds, saved or not.
std::unique_ptr<QSettings> copyOf(const QSettings& settings) {
    auto copy = std::make_unique<QSettings>(settings.fileName(), QSettings::IniFormat);
    for (const QString& key : copy->allKeys()) {
        if (!settings.contains(key)) {
            copy->remove(key);
        }
    }
    for (const QString& key : settings.allKeys()) {
        copy->setValue(key, settings.value(key));
    }
    return copy;
}

} // namespace

QtDefaults::QtDefaults() : QtDefaults(standardFile()) {}

QtDefaults::QtDefaults(const std::filesystem::path& file) {
    // QSettings opens the file itself, blocking on a FIFO and following a link: it gets the file
    // only once the file and its folder are known to be ours.
    if (const auto problem = locationProblem(file)) {
        refusal_ = *problem + " Settings are kept only until Orvane quits.";
        standInLog().error("%{public}s", {*refusal_});
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
    if (settings_->status() != QSettings::NoError) {
        // QSettings keeps its first error for good: only a fresh one tells whether this write
        // failed too.
        settings_ = copyOf(*settings_);
        settings_->sync();
    }
    if (settings_->status() == QSettings::NoError) {
        unsaved_.reset();
        return;
    }
    // A read-only file, a full disk, a file-size limit: the value still holds for this run.
    const std::string file = settings_->fileName().toStdString();
    unsaved_ = "Orvane could not save its settings to " + file + ": " + writeFailure(file) + ".";
    if (!writeFailureLogged_) {
        writeFailureLogged_ = true;
        standInLog().error("%{public}s", {*unsaved_});
    }
}

std::optional<std::string> QtDefaults::sync() {
    if (!settings_) {
        return refusal_;
    }
    if (unsaved_) {
        save(); // the cause may have passed
    }
    return unsaved_;
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
