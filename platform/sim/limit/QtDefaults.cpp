#include "platform/sim/limit/QtDefaults.h"

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

QtDefaults::QtDefaults(const std::filesystem::path& file)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(file.string()),
                                            QSettings::IniFormat)) {}

QtDefaults::~QtDefaults() = default;

std::filesystem::path QtDefaults::standardFile() {
    return configHome() / "com.halvern.Orvane" / "Orvane.conf";
}

std::optional<double> QtDefaults::doubleValue(std::string_view key) {
    const QVariant value = settings_->value(qtKey(key));
    if (isNumber(value)) {
        return value.toDouble();
    }
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double number = value.toString().toDouble(&ok);
        if (ok) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<bool> QtDefaults::boolValue(std::string_view key) {
    const QVariant value = settings_->value(qtKey(key));
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    // Only what QSettings itself writes for a boolean; QVariant would call any other text true.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<std::string> QtDefaults::stringValue(std::string_view key) {
    const QVariant value = settings_->value(qtKey(key));
    if (value.typeId() == QMetaType::QString) {
        return value.toString().toStdString();
    }
    return std::nullopt;
}

// Each write goes to disk at once: the application may be ended at any moment from the menu bar,
// and there is no event loop turn to rely on for a later sync.
void QtDefaults::setDouble(std::string_view key, double value) {
    settings_->setValue(qtKey(key), value);
    settings_->sync();
}

void QtDefaults::setBool(std::string_view key, bool value) {
    settings_->setValue(qtKey(key), value);
    settings_->sync();
}

void QtDefaults::setString(std::string_view key, std::string_view value) {
    settings_->setValue(qtKey(key), qtKey(value));
    settings_->sync();
}

} // namespace orvane::sim
