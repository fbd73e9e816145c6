#include "platform/sim/update/SimSystemVersion.h"

#include <QRegularExpression>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

QString simSystemVersion(const std::filesystem::path& simDir) {
    if (const auto text = readText(simDir / osVersionFileName)) {
        const QString version = QString::fromStdString(*text).trimmed();
        static const QRegularExpression form(R"(^[0-9]{1,4}(\.[0-9]{1,4}){0,2}$)");
        if (form.match(version).hasMatch()) {
            return version;
        }
    }
    return QStringLiteral(ORVANE_OLDEST_MACOS);
}

} // namespace orvane::sim
