#include "app/cli/CommandLine.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QCommandLineParser>
#include <QIODevice>

#include "app/cli/ApplicationCommand.h"
#include "app/cli/ChangeReport.h"
#include "app/cli/CliTexts.h"
#include "app/cli/Commands.h"
#include "app/cli/FitCommand.h"
#include "app/cli/FitTexts.h"
#include "app/cli/KeepCommands.h"
#include "app/cli/SizeArgument.h"
#include "app/cli/StatusReport.h"
#include "app/cli/Watch.h"
#include "app/fit/Verdict.h"
#include "app/limit/KeptLimit.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/VramReader.h"
#include "shared/RangeRule.h"

namespace orvane::cli {

namespace {

const QCommandLineOption verboseOption({"v", "verbose"}, "Tell what happens, and show the log.");
const QCommandLineOption helpOption({"h", "help"}, "Show this help.");
const QCommandLineOption versionOption("version", "Show Orvane's version.");
const QCommandLineOption jsonOption("json", "Report as one JSON object.");
const QCommandLineOption
    noPasswordOption("no-password",
                     "Never ask for the administrator password: fail unless password-free "
                     "changes are on.");

int exitCode(ExitStatus status) {
    return static_cast<int>(status);
}

// Every command, for the suggestion after a typing mistake.
const QStringList commandNames = {"status", "set",     "reset", "helper", "watch",
                                  "keep",   "restore", "fit",   "help"};

// Single-character edits from a to b: inserting, deleting or replacing one, or swapping two
// neighbours ("stauts" is one edit from "status").
qsizetype editDistance(const QString& a, const QString& b) {
    std::vector<std::vector<qsizetype>> d(a.size() + 1, std::vector<qsizetype>(b.size() + 1));
    for (qsizetype i = 0; i <= a.size(); ++i) {
        d[i][0] = i;
    }
    for (qsizetype j = 0; j <= b.size(); ++j) {
        d[0][j] = j;
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype replace = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + replace});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// The command a mistyped word most likely meant: at most two edits away, and fewer than half of
// the command's letters, so that "frobnicate" suggests nothing. The earlier command wins a tie.
std::optional<QString> nearestCommand(const QString& typed) {
    if (typed.size() > 32) {
        return std::nullopt; // nothing that long is a typing mistake, and it costs nothing so
    }
    const QString word = typed.toLower();
    std::optional<QString> nearest;
    qsizetype best = 3;
    for (const QString& command : commandNames) {
        const qsizetype distance = editDistance(word, command);
        if (distance < best && 2 * distance < command.size()) {
            best = distance;
            nearest = command;
        }
    }
    return nearest;
}

// Qt names the program by the path it was started with; scripts read "orvane <command>".
QString helpText(const QCommandLineParser& parser, const QString& usage) {
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf('\n');
    const QString firstLine = text.left(lineEnd);
    const qsizetype options = firstLine.indexOf(" [options]");
    if (firstLine.startsWith("Usage: ") && options > 0) {
        text.replace(0, options, "Usage: " + usage);
    }
    return text;
}

int usageError(QTextStream& err, const QString& message) {
    err << message << '\n';
    return exitCode(ExitStatus::usage);
}

// A parser for one command, with the options every command takes.
void prepare(QCommandLineParser& parser, const QString& description) {
    parser.setApplicationDescription(description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(helpOption);
    parser.addOption(verboseOption);
}

int report(const CommandResult& result, bool verbose, QTextStream& err) {
    if (!result.message.isEmpty()) {
        err << result.message << '\n';
    }
    if (verbose && !result.verboseMessage.isEmpty()) {
        err << result.verboseMessage << '\n';
    }
    return exitCode(result.status);
}

// How a command that changes something ends: its sentences on stderr as ever, and with --json one
// object on stdout whatever the outcome, so that a script always has one to read. The limit is
// read afresh (not at all without ports: a usage error touches none).
int reportChange(const CommandResult& result, CliContext* ports, bool json, bool verbose,
                 QTextStream& out, QTextStream& err) {
    if (json) {
        out << changeJson(result, ports ? readLimitMB(ports->kernel).megabytes : std::nullopt);
    }
    return report(result, verbose, err);
}

} // namespace

bool isCommandLine(const QStringList& arguments) {
    if (arguments.size() < 2) {
        return false;
    }
    // A word is a command, or a mistyped one that deserves its error. Options that are not the
    // command line's own belong to the application: Qt's (-platform offscreen) and those the
    // system or a debugger pass at launch (-NSDocumentRevisionsDebugMode YES).
    const QString& first = arguments.at(1);
    if (!first.startsWith('-')) {
        return true;
    }
    QString name = first.mid(first.startsWith("--") ? 2 : 1);
    if (const qsizetype value = name.indexOf('='); value >= 0) {
        name.truncate(value);
    }
    for (const QCommandLineOption* option :
         {&verboseOption, &helpOption, &versionOption, &jsonOption, &noPasswordOption}) {
        if (option->names().contains(name)) {
            return true;
        }
    }
    return false;
}

namespace {

// An option whose value follows it: "--interval -1" is the interval, however wrong.
bool takesValue(const QString& argument) {
    return argument == "--interval" || argument == "-interval";
}

// The command's own arguments for its parser. "-5" is a size (out of range), not an option, so
// such sizes go after a "--"; whatever follows them is still read as options.
QStringList commandArguments(const QString& program, const QStringList& positional) {
    QStringList options{program};
    QStringList sizes;
    QStringList rest;
    bool ended = false;
    for (const QString& argument : positional) {
        if (ended) {
            rest << argument;
        } else if (argument == "--") {
            ended = true;
        } else if (looksNegative(argument.toStdString()) && !takesValue(options.back())) {
            sizes << argument;
        } else {
            options << argument;
        }
    }
    return options << "--" << sizes << rest;
}

// The ports, or nothing when they must not be used; the reason is then on stderr.
CliContext* usablePorts(const std::function<CliContext&(const ContextNeeds&)>& context,
                        const ContextNeeds& needs, QTextStream& err) {
    CliContext& ports = context(needs);
    if (ports.refusal) {
        err << QString::fromStdString(*ports.refusal) << '\n';
        return nullptr;
    }
    return &ports;
}

// "orvane status": the figures as the popover shows them. Reading is no change, so nothing is
// stored; a limit that cannot be read is said on stderr, in the JSON, and in the exit status.
int showStatus(CliContext& ports, bool json, QTextStream& out, QTextStream& err) {
    StatusFacts facts;
    facts.physicalBytes = ports.memory.bytes();
    const LimitReading reading = readLimitMB(ports.kernel);
    if (reading.megabytes) {
        facts.limitMB = reading.megabytes;
        facts.limitGB = gigabytesOf(*reading.megabytes);
    } else {
        facts.limitError = ports.kernel.describeFailure(reading.error);
        Logger(ports.log, texts::vramCategory).error(texts::readFailedLog, {facts.limitError});
        facts.limitGB = storedVRAMGB(ports.defaults);
    }
    facts.funMode = ports.defaults.boolValue(texts::enableFunModeKey).value_or(false);
    facts.helper = ports.helperManager.state();
    facts.gpu = ports.gpuMemory.read();
    facts.keeping = keepsLimitAfterRestart(ports.defaults);
    facts.keptMB = keptLimitMB(ports.defaults);
    facts.workingSetBytes =
        fit::workingSetBytes(reading.megabytes, ports.gpuWorkingSet.recommendedBytes());
    out << (json ? statusJson(facts) : statusText(facts));
    if (!reading.megabytes) {
        err << QString(cli_text::limitNotRead).arg(QString::fromStdString(facts.limitError))
            << '\n';
        return exitCode(ExitStatus::failed);
    }
    return exitCode(ExitStatus::done);
}

int runCommand(const QStringList& arguments,
               const std::function<CliContext&(const ContextNeeds&)>& context, QTextStream& out,
               QTextStream& err) {
    QCommandLineParser global;
    prepare(global, QString(cli_text::description) + "\n\n" + cli_text::commands);
    global.addOption(versionOption);
    global.addPositionalArgument(
        "command", "status, set, reset, helper, keep, restore, watch, fit or help.", "<command>");
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!global.parse(arguments)) {
        return usageError(err, global.errorText());
    }
    if (global.isSet(versionOption)) {
        out << "Orvane " << ORVANE_VERSION << '\n';
        return exitCode(ExitStatus::done);
    }
    QStringList positional = global.positionalArguments();
    bool helpAsked = global.isSet(helpOption);
    // "orvane help [command]" is "orvane [command] --help".
    if (!positional.isEmpty() && positional.front() == "help") {
        if (positional.size() > 2) {
            return usageError(err, "'help' takes at most one command.");
        }
        positional.removeFirst();
        if (positional == QStringList{"help"}) {
            positional.clear();
        }
        helpAsked = true;
    }
    if (positional.isEmpty()) {
        // Without a command there is nothing to do but say what there is.
        if (helpAsked) {
            out << helpText(global, "orvane");
            return exitCode(ExitStatus::done);
        }
        err << helpText(global, "orvane");
        return exitCode(ExitStatus::usage);
    }

    const QString command = positional.front();
    QCommandLineParser parser;
    if (command == "status") {
        prepare(parser, "Show the memory figures, the presets and the password-free state.");
        parser.addOption(jsonOption);
    } else if (command == "set") {
        prepare(parser, "Set the GPU memory limit.");
        parser.addOptions({noPasswordOption, jsonOption});
        parser.addPositionalArgument("size", cli_text::sizeHelp, "<size>");
    } else if (command == "reset") {
        prepare(parser, "Give the GPU memory limit back to the system (the same as set default).");
        parser.addOptions({noPasswordOption, jsonOption});
    } else if (command == "helper") {
        prepare(parser, "Turn password-free changes on or off, or show whether they are on.");
        parser.addPositionalArgument("action", "status, on or off.", "<action>");
    } else if (command == "watch") {
        prepare(parser, cli_text::watchDescription);
        parser.addOption(watchIntervalOption());
    } else if (command == "keep") {
        prepare(parser, cli_text::keepHelp);
        parser.addOption(jsonOption);
        parser.addPositionalArgument("action", "on or off; nothing to show the setting.",
                                     "[on|off]");
    } else if (command == "restore") {
        prepare(parser, cli_text::restoreHelp);
        parser.addOption(jsonOption);
    } else if (command == "fit") {
        prepare(parser, fit_text::description);
        addFitOptions(parser);
        parser.addPositionalArgument("model", fit_text::modelHelp, "<model>");
    } else {
        const std::optional<QString> meant = nearestCommand(command);
        return usageError(err, meant ? QString(cli_text::unknownCommandNear).arg(command, *meant)
                                     : QString(cli_text::unknownCommand).arg(command));
    }
    const bool parsed =
        parser.parse(commandArguments(arguments.front() + ' ' + command, positional.mid(1)));
    // status and fit give reports of their own; the commands that change something give one
    // object, also for a mistake in their arguments.
    const bool changes =
        command == "set" || command == "reset" || command == "keep" || command == "restore";
    const bool json = changes && parser.isSet(jsonOption);
    const auto usage = [&](const QString& message) {
        return json ? reportChange({ExitStatus::usage, message, {}}, nullptr, true, false, out, err)
                    : usageError(err, message);
    };
    if (!parsed) {
        return usage(parser.errorText());
    }
    if (parser.isSet(helpOption) || helpAsked) {
        out << helpText(parser, "orvane " + command);
        return exitCode(ExitStatus::done);
    }
    const bool verbose = parser.isSet(verboseOption) || global.isSet(verboseOption);
    const QStringList values = parser.positionalArguments();
    const qsizetype expected =
        (command == "set" || command == "helper" || command == "fit") ? 1 : 0;
    if (command == "keep") {
        if (values.size() > 1 ||
            (values.size() == 1 && values.front() != "on" && values.front() != "off")) {
            return usage(cli_text::keepActions);
        }
        if (json && values.isEmpty()) {
            return usage(cli_text::jsonNeedsKeepAction);
        }
    } else if (values.size() != expected) {
        return usage(expected == 0 ? QString("'%1' takes no arguments.").arg(command)
                                   : QString("'%1' takes exactly one argument.").arg(command));
    }

    if (command == "helper" && !QStringList{"status", "on", "off"}.contains(values.front())) {
        return usageError(err, cli_text::helperActions);
    }
    double gigabytes = 0.0;
    if (command == "set") {
        const auto size = parseSizeGigabytes(values.front().toStdString());
        if (!size) {
            return usage(QString(cli_text::notASize).arg(values.front()));
        }
        gigabytes = *size;
    }
    if (command == "fit") {
        return fitCommand(
            parser, values.front(),
            [&](bool mainQueue) {
                return usablePorts(context, {.verbose = verbose, .mainQueue = mainQueue}, err);
            },
            out, err);
    }
    // Reading the figures waits for nothing: it needs no main queue, and starts faster without.
    const bool reads = command == "status" || command == "watch";
    CliContext* ports = &context({.verbose = verbose, .mainQueue = !reads});
    if (ports->refusal) {
        const QString refusal = QString::fromStdString(*ports->refusal);
        return reportChange({ExitStatus::failed, refusal, {}}, nullptr, json, verbose, out, err);
    }
    // Turning the helper or the login item on or off, and reading the helper's registration, are
    // for the application's executable alone: orvane has it run the very same command, and passes
    // on what it says, its object included.
    if (ports->application &&
        (command == "helper" || (command == "keep" && values.value(0) == "on"))) {
        err.flush(); // what we said comes before what it says
        const ApplicationCommand::Ending ending = ports->application->run(arguments.mid(1));
        if (ending.problem) {
            return reportChange({ExitStatus::failed, *ending.problem, {}}, ports, json, verbose,
                                out, err);
        }
        out << ending.output;
        return ending.status;
    }
    if (command == "status") {
        return showStatus(*ports, parser.isSet(jsonOption), out, err);
    }
    if (command == "watch") {
        return watchCommand(
            parser, [ports]() -> CliContext& { return *ports; }, out, err);
    }
    if (command == "helper") {
        QString output;
        const CommandResult result = helperCommand(*ports, values.front(), output);
        out << output;
        return report(confirmSaved(*ports, result), verbose, err);
    }
    QString output;
    CommandResult result;
    if (command == "keep") {
        result = keepCommand(*ports, values.value(0), output);
    } else if (command == "restore") {
        result = restoreCommand(*ports, output);
    } else {
        const QString typedSize = command == "set" ? values.front() : QString("default");
        result = changeLimit(*ports, gigabytes, typedSize, !parser.isSet(noPasswordOption));
    }
    // Beside the object, what the command says goes to stderr, so that stdout stays one object.
    (json ? err : out) << output;
    return reportChange(confirmSaved(*ports, result), ports, json, verbose, out, err);
}

} // namespace

int runCommandLine(const QStringList& arguments,
                   const std::function<CliContext&(const ContextNeeds&)>& context, QTextStream& out,
                   QTextStream& err) {
    const int status = runCommand(arguments, context, out, err);
    // What a script reads is the command's result: output that never arrived is a failure.
    out.flush();
    if (out.status() != QTextStream::Ok) {
        const QString reason = out.device() ? out.device()->errorString() : QString();
        err << QString(cli_text::outputFailed).arg(reason) << '\n';
        err.flush();
        return exitCode(ExitStatus::failed);
    }
    return status;
}

} // namespace orvane::cli
