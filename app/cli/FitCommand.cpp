#include "app/cli/FitCommand.h"

#include <cmath>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/cli/Commands.h"
#include "app/cli/FitTexts.h"
#include "app/cli/SizeArgument.h"
#include "app/fit/Estimate.h"
#include "app/fit/ModelLookup.h"
#include "app/fit/Verdict.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

constexpr std::uint64_t maxContext = std::uint64_t{1} << 24;
constexpr double maxSizeGB = 1 << 20; // a petabyte of weights is no model anyone runs

const QCommandLineOption contextOption("context", fit_text::contextHelp, "tokens");
const QCommandLineOption kvTypeOption("kv-type", fit_text::kvTypeHelp, "type", "f16");
const QCommandLineOption setOption("set", fit_text::setHelp);
const QCommandLineOption jsonOption("json", "Report as one JSON object.");
const QCommandLineOption noPasswordOption("no-password",
                                          "With --set: never ask for the administrator password.");

int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

int usage(QTextStream& err, const QString& message) {
    err << message << '\n';
    return exitCode(ExitStatus::usage);
}

// Gigabytes with one decimal, in integers so that no locale writes a comma: rounded to the
// nearest tenth, or up (a need is never understated) or down (nor what the GPU may use).
enum class Rounding { nearest, up, down };

QString tenths(std::uint64_t bytes, Rounding rounding) {
    const std::uint64_t part = bytes % bytesPerGigabyte * 10; // below 2^34: never overflows
    std::uint64_t count = bytes / bytesPerGigabyte * 10 + part / bytesPerGigabyte;
    const std::uint64_t rest = part % bytesPerGigabyte;
    if ((rounding == Rounding::up && rest > 0) ||
        (rounding == Rounding::nearest && rest >= bytesPerGigabyte / 2)) {
        ++count;
    }
    return QString::number(count / 10) + '.' + QString::number(count % 10);
}

// The same without a trailing ".0": "48", "43.2".
QString shortTenths(std::uint64_t bytes, Rounding rounding) {
    QString text = tenths(bytes, rounding);
    return text.endsWith(".0") ? text.chopped(2) : text;
}

qint64 megabytesUp(std::uint64_t bytes) {
    return static_cast<qint64>((bytes / bytesPerMegabyte) + (bytes % bytesPerMegabyte ? 1 : 0));
}

// A row of the table; the total is rounded as the verdict rounds the need, up.
QString row(const QString& label, std::uint64_t bytes, Rounding rounding = Rounding::nearest) {
    return "  " + label.leftJustified(17) + tenths(bytes, rounding).rightJustified(6) + " GB\n";
}

QString sourceName(fit::ModelSource source, bool json) {
    switch (source) {
    case fit::ModelSource::gguf:
        return json ? "gguf" : fit_text::sourceGguf;
    case fit::ModelSource::safetensors:
        return json ? "safetensors" : fit_text::sourceSafetensors;
    case fit::ModelSource::ollama:
        return json ? "ollama" : fit_text::sourceOllama;
    case fit::ModelSource::size:
        break;
    }
    return "size";
}

struct Facts {
    QString model;
    fit::ModelShape shape;
    std::uint64_t context = 0;
    bool contextGiven = false;
    fit::KvType kvType = fit::KvType::f16;
    fit::Estimate estimate;
    std::uint64_t workingSet = 0;
    fit::Judgement judgement;
};

QString contextLine(const Facts& facts) {
    if (facts.contextGiven) {
        return QString(fit_text::contextGiven).arg(facts.context);
    }
    if (facts.context < fit::defaultContextTokens) {
        return QString(fit_text::contextTrained).arg(facts.context).arg(fit::defaultContextTokens);
    }
    return QString(fit_text::contextDefault).arg(facts.context);
}

QString verdictText(const Facts& facts) {
    const fit::Judgement& judgement = facts.judgement;
    const QString needs = shortTenths(facts.estimate.totalBytes(), Rounding::up);
    const QString may = shortTenths(facts.workingSet, Rounding::down);
    switch (judgement.verdict) {
    case fit::Verdict::fits:
        return QString(fit_text::fits).arg(needs, may);
    case fit::Verdict::fitsAfterChange:
        return QString(fit_text::fitsAfterChange)
            .arg(needs, may, QString::number(*judgement.suggestedGB),
                 QString::number(judgement.leftToSystemGB));
    case fit::Verdict::doesNotFit:
        break;
    }
    return QString(fit_text::doesNotFit)
        .arg(needs, shortTenths(judgement.shortByBytes, Rounding::up),
             shortTenths(judgement.mostBytes, Rounding::down));
}

QString reportText(const Facts& facts) {
    const fit::Estimate& estimate = facts.estimate;
    QString text;
    if (facts.shape.source == fit::ModelSource::size) {
        text += QString(fit_text::sizeModelLine)
                    .arg(shortTenths(estimate.weightBytes, Rounding::nearest)) +
                '\n';
        text += row(fit_text::weights, estimate.weightBytes);
    } else {
        text += QString(fit_text::modelLine)
                    .arg(facts.model, sourceName(facts.shape.source, false) + ": " +
                                          QString::fromStdString(facts.shape.description)) +
                '\n';
        text += contextLine(facts) + '\n';
        text += row(fit_text::weights, estimate.weightBytes);
        text += row(
            QString(fit_text::kvCache).arg(QString::fromUtf8(fit::kvTypeName(facts.kvType).data())),
            estimate.kvCacheBytes);
        text += row(fit_text::compute, estimate.computeBytes);
    }
    text += row(fit_text::overhead, estimate.overheadBytes);
    text += row(fit_text::total, estimate.totalBytes(), Rounding::up);
    return text + verdictText(facts) + '\n';
}

QString reportJson(const Facts& facts) {
    const fit::Estimate& estimate = facts.estimate;
    const bool size = facts.shape.source == fit::ModelSource::size;
    QJsonObject report;
    report["source"] = sourceName(facts.shape.source, true);
    report["weightsMB"] = megabytesUp(estimate.weightBytes);
    report["kvCacheMB"] = megabytesUp(estimate.kvCacheBytes);
    report["computeMB"] = megabytesUp(estimate.computeBytes);
    report["overheadMB"] = megabytesUp(estimate.overheadBytes);
    report["totalMB"] = megabytesUp(estimate.totalBytes());
    report["contextTokens"] =
        size ? QJsonValue(QJsonValue::Null) : QJsonValue(static_cast<qint64>(facts.context));
    report["kvType"] = QString::fromUtf8(fit::kvTypeName(facts.kvType).data());
    report["workingSetMB"] = static_cast<qint64>(facts.workingSet / bytesPerMegabyte);
    report["fits"] = facts.judgement.verdict == fit::Verdict::fits;
    report["suggestedLimitGB"] = facts.judgement.suggestedGB
                                     ? QJsonValue(static_cast<qint64>(*facts.judgement.suggestedGB))
                                     : QJsonValue(QJsonValue::Null);
    return QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Compact)) + '\n';
}

std::optional<std::uint64_t> parseContext(const QString& text) {
    bool ok = false;
    const qulonglong tokens = text.toULongLong(&ok);
    if (!ok || tokens == 0 || tokens > maxContext || text.trimmed() != text) {
        return std::nullopt;
    }
    return tokens;
}

// A size of weights: gigabytes or megabytes, more than nothing ("default" is no size of a model).
std::optional<std::uint64_t> parseWeights(const QString& text) {
    const std::optional<double> gigabytes = parseSizeGigabytes(text.toStdString());
    if (!gigabytes || text == "default" || !(*gigabytes > 0.0) || *gigabytes > maxSizeGB) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(
        std::llround(*gigabytes * static_cast<double>(bytesPerGigabyte)));
}

std::filesystem::path ollamaModels() {
    const QString configured = qEnvironmentVariable("OLLAMA_MODELS");
    const QString folder = configured.isEmpty() ? QDir::homePath() + "/.ollama/models" : configured;
    return std::filesystem::path(folder.toStdString());
}

} // namespace

QString gigabytesDown(std::uint64_t bytes) {
    return shortTenths(bytes, Rounding::down);
}

void addFitOptions(QCommandLineParser& parser) {
    parser.addOptions({contextOption, kvTypeOption, setOption, jsonOption, noPasswordOption});
}

int fitCommand(const QCommandLineParser& parser, const QString& model,
               const std::function<CliContext*(bool mainQueue)>& ports, QTextStream& out,
               QTextStream& err) {
    Facts facts;
    facts.model = model;
    if (parser.isSet(contextOption)) {
        const auto context = parseContext(parser.value(contextOption));
        if (!context) {
            return usage(err, QString(fit_text::badContext).arg(parser.value(contextOption)));
        }
        facts.context = *context;
        facts.contextGiven = true;
    }
    const auto kvType = fit::kvTypeNamed(parser.value(kvTypeOption).toStdString());
    if (!kvType) {
        return usage(err, QString(fit_text::badKvType).arg(parser.value(kvTypeOption)));
    }
    facts.kvType = *kvType;
    const bool set = parser.isSet(setOption);

    CliContext* context = ports(set);
    if (!context) {
        return exitCode(ExitStatus::failed);
    }
    const std::filesystem::path ollama = ollamaModels();
    fit::ModelLookup lookup = fit::lookUpModel(model.toStdString(), ollama, context->modelFiles);
    if (!lookup.found) {
        const std::optional<std::uint64_t> weights = parseWeights(model);
        if (!weights) {
            return usage(
                err,
                QString(fit_text::noSuchModel).arg(model, QString::fromStdString(ollama.string())));
        }
        if (facts.contextGiven || parser.isSet(kvTypeOption)) {
            return usage(err, fit_text::sizeTakesNoContext);
        }
        lookup.shape.value = fit::sizeShape(*weights);
    }
    if (!lookup.shape.value) {
        err << QString::fromStdString(lookup.shape.problem.sentence) << '\n';
        return exitCode(lookup.shape.problem.readFailure ? ExitStatus::failed : ExitStatus::usage);
    }
    facts.shape = std::move(*lookup.shape.value);
    if (!facts.contextGiven) {
        facts.context = fit::defaultContext(facts.shape);
    }
    facts.estimate = fit::estimate(facts.shape, facts.context, facts.kvType);

    // The limit in force, or what the system recommends while it manages the limit itself.
    const LimitReading limit = readLimitMB(context->kernel);
    const std::optional<std::uint64_t> workingSet =
        fit::workingSetBytes(limit.megabytes, context->gpuWorkingSet.recommendedBytes());
    if (!workingSet) {
        err << fit_text::workingSetUnknown << '\n';
        return exitCode(ExitStatus::failed);
    }
    facts.workingSet = *workingSet;
    facts.judgement = fit::judge(facts.estimate.totalBytes(), *workingSet, context->memory.bytes());
    out << (parser.isSet(jsonOption) ? reportJson(facts) : reportText(facts));

    switch (facts.judgement.verdict) {
    case fit::Verdict::fits:
        return exitCode(ExitStatus::done);
    case fit::Verdict::doesNotFit:
        return exitCode(ExitStatus::tooLarge);
    case fit::Verdict::fitsAfterChange:
        break;
    }
    if (!set) {
        return exitCode(ExitStatus::refused);
    }
    const std::int64_t gigabytes = *facts.judgement.suggestedGB;
    // The limit kept after a restart follows the change, and counts only once stored, as for set.
    const CommandResult result = confirmSaved(
        *context, changeLimit(*context, static_cast<double>(gigabytes), QString::number(gigabytes),
                              !parser.isSet(noPasswordOption)));
    if (result.status == ExitStatus::done) {
        // Beside JSON the sentence goes to stderr, so that stdout stays one JSON object.
        (parser.isSet(jsonOption) ? err : out) << QString(fit_text::setDone).arg(gigabytes) << '\n';
    } else if (!result.message.isEmpty()) {
        err << result.message << '\n';
    }
    return exitCode(result.status);
}

} // namespace orvane::cli
