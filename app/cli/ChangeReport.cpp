#include "app/cli/ChangeReport.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::cli {

namespace {

QString roadName(Road road) {
    switch (road) {
    case Road::helper:
        return "helper";
    case Road::password:
        return "password";
    case Road::none:
        break;
    }
    return "none";
}

} // namespace

QString changeJson(const CommandResult& result, std::optional<std::int64_t> limitMB) {
    QJsonObject report;
    report["changed"] = result.changed;
    report["limitMB"] =
        limitMB ? QJsonValue(static_cast<qint64>(*limitMB)) : QJsonValue(QJsonValue::Null);
    report["road"] = roadName(result.road);
    if (result.status != ExitStatus::done) {
        // A cancelled password prompt says nothing unless asked (-v); the object always says why.
        report["error"] = result.message.isEmpty() ? result.verboseMessage : result.message;
    }
    return QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact)) + '\n';
}

} // namespace orvane::cli
