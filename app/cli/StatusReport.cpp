#include "app/cli/StatusReport.h"

#include <algorithm>
#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "app/cli/CliTexts.h"
#include "app/cli/FitCommand.h"
#include "app/limit/Figures.h"
#include "app/limit/GpuMemoryFigures.h"
#include "app/limit/Presets.h"
#include "app/limit/Sizes.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

double totalGB(const StatusFacts& facts) {
    return totalGigabytes(facts.physicalBytes);
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

qint64 megabytes(double gigabytes) {
    // integerPart clamps what no integer can hold instead of letting it wrap.
    return integerPart(std::round(gigabytes * 1024.0));
}

QJsonValue megabytesOrNull(std::optional<std::uint64_t> bytes) {
    const std::optional<std::int64_t> whole = wholeMegabytes(bytes);
    return whole ? QJsonValue(static_cast<qint64>(*whole)) : QJsonValue(QJsonValue::Null);
}

void addGpuLine(QStringList& lines, const StatusFacts& facts) {
    if (const auto line = gpuInUseText(facts.gpu.inUseBytes)) {
        lines << text(*line);
    }
    if (facts.workingSetBytes) {
        lines << QString(cli_text::workingSet).arg(gigabytesDown(*facts.workingSetBytes));
    }
}

} // namespace

QString helperStateText(HelperManager::State state) {
    switch (state) {
    case HelperManager::State::on:
        return cli_text::helperOn;
    case HelperManager::State::needsApproval:
        return cli_text::helperNeedsApproval;
    case HelperManager::State::off:
        break;
    }
    return cli_text::helperOff;
}

QString keepingText(bool keeping, std::optional<std::int64_t> keptMB) {
    if (!keeping) {
        return cli_text::keepingOff;
    }
    return keptMB ? QString(cli_text::keepingLimit).arg(*keptMB)
                  : QString(cli_text::keepingNothing);
}

QString statusText(const StatusFacts& facts) {
    const double total = totalGB(facts);
    QStringList lines;
    if (tooSmallForControls(total)) {
        lines << text(minimumMemoryText(minimumRequiredRAMGB));
        addGpuLine(lines, facts);
    } else {
        lines << text(totalFigureText(total)) << text(reservedFigureText(total, facts.limitGB))
              << text(allocatedFigureText(facts.limitGB));
        addGpuLine(lines, facts);
        lines << QString() << "Presets:";
        const std::vector<double> options = vramOptions(total);
        for (std::size_t i = 0; i < options.size(); ++i) {
            const QString mark = options[i] == facts.limitGB ? QString::fromUtf8("\u2713 ") : "  ";
            lines << "  " + mark + text(optionLabel(options[i], i, total, facts.funMode));
        }
        lines << QString();
    }
    lines << "Password-free changes: " + helperStateText(facts.helper);
    lines << "Keep limit after restart: " + keepingText(facts.keeping, facts.keptMB);
    return lines.join('\n') + '\n';
}

QString statusJson(const StatusFacts& facts) {
    const double total = totalGB(facts);
    QJsonObject report;
    report["totalMB"] = static_cast<qint64>(facts.physicalBytes / bytesPerMegabyte);
    report["totalGB"] = total;
    report["limitMB"] = facts.limitMB ? *facts.limitMB : megabytes(facts.limitGB);
    report["limitGB"] = facts.limitGB;
    if (!facts.limitError.empty()) {
        report["limitError"] = text(facts.limitError);
    }
    report["systemManaged"] = facts.limitGB == 0.0;
    report["helper"] = helperStateText(facts.helper);
    report["gpuInUseMB"] = megabytesOrNull(facts.gpu.inUseBytes);
    report["gpuAllocatedMB"] = megabytesOrNull(facts.gpu.allocatedBytes);
    report["workingSetMB"] = megabytesOrNull(facts.workingSetBytes);
    report["keepLimitAfterRestart"] = facts.keeping;
    report["keptLimitMB"] = facts.keptMB ? QJsonValue(static_cast<qint64>(*facts.keptMB))
                                         : QJsonValue(QJsonValue::Null);
    if (tooSmallForControls(total)) {
        report["warning"] = text(minimumMemoryText(minimumRequiredRAMGB));
        report["presets"] = QJsonArray();
    } else {
        // While the system manages the limit, nothing is reserved by it: "System Managed".
        report["reservedGB"] =
            facts.limitGB == 0.0
                ? QJsonValue(QJsonValue::Null)
                : QJsonValue(static_cast<qint64>(reservedSystemRAMGB(total, facts.limitGB)));
        report["allocatedGB"] = static_cast<qint64>(integerPart(std::max(0.0, facts.limitGB)));
        report["figures"] =
            QJsonArray{text(totalFigureText(total)), text(reservedFigureText(total, facts.limitGB)),
                       text(allocatedFigureText(facts.limitGB))};
        QJsonArray presets;
        const std::vector<double> options = vramOptions(total);
        for (std::size_t i = 0; i < options.size(); ++i) {
            presets.append(QJsonObject{
                {"label", text(optionLabel(options[i], i, total, facts.funMode))},
                {"gb", options[i]},
                {"mb", megabytes(options[i])},
                {"current", options[i] == facts.limitGB},
            });
        }
        report["presets"] = presets;
        const ShownRange range = shownRange(total);
        report["customRange"] = QJsonObject{{"minMB", static_cast<qint64>(range.lowestMB)},
                                            {"maxMB", static_cast<qint64>(range.highestMB)},
                                            {"minGB", range.lowestGB},
                                            {"maxGB", range.highestGB}};
    }
    return QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact)) + '\n';
}

} // namespace orvane::cli
