#include "app/cli/CommandLine.h"

#include <QCommandLineParser>

#include "app/cli/CliTexts.h"
#include "app/cli/Commands.h"
#include "app/cli/SizeArgument.h"
#include "app/cli/StatusReport.h"
#include "app/cli/Watch.h"
#include "app/limit/LimitTexts.h"
#include "app/limit/VramReader.h"

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

double readLimitGB(CliContext& context) {
    return readVRAMGB(context.kernel, context.defaults, Logger(context.log, texts::vramCategory));
}

} // namespace

bool isCommandLine(const QStringList& arguments) {
    return arguments.size() > 1;
}

int runCommandLine(const QStringList& arguments,
                   const std::function<CliContext&(bool verbose)>& context, QTextStream& out,
                   QTextStream& err) {
    QCommandLineParser global;
    prepare(global, QString(cli_text::description) + "\n\n" + cli_text::commands);
    global.addOption(versionOption);
    global.addPositionalArgument("command", "status, set, reset, helper or watch.", "<command>");
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!global.parse(arguments)) {
        return usageError(err, global.errorText());
    }
    if (global.isSet(versionOption)) {
        out << "Orvane " << ORVANE_VERSION << '\n';
        return exitCode(ExitStatus::done);
    }
    const QStringList positional = global.positionalArguments();
    if (global.isSet(helpOption) && positional.isEmpty()) {
        out << helpText(global, "orvane");
        return exitCode(ExitStatus::done);
    }
    if (positional.isEmpty()) {
        return usageError(err, cli_text::missingCommand);
    }

    const QString command = positional.front();
    QStringList commandArguments{arguments.front() + ' ' + command};
    for (const QString& argument : positional.mid(1)) {
        // "-5" is a size (out of range), not an option.
        if (looksNegative(argument.toStdString()) && !commandArguments.contains("--")) {
            commandArguments << "--";
        }
        commandArguments << argument;
    }

    QCommandLineParser parser;
    if (command == "status") {
        prepare(parser, "Show the memory figures, the presets and the password-free state.");
        parser.addOption(jsonOption);
    } else if (command == "set") {
        prepare(parser, "Set the GPU memory limit.");
        parser.addOption(noPasswordOption);
        parser.addPositionalArgument("size", cli_text::sizeHelp, "<size>");
    } else if (command == "reset") {
        prepare(parser, "Give the GPU memory limit back to the system (the same as set default).");
        parser.addOption(noPasswordOption);
    } else if (command == "helper") {
        prepare(parser, "Turn password-free changes on or off, or show whether they are on.");
        parser.addPositionalArgument("action", "status, on or off.", "<action>");
    } else if (command == "watch") {
        prepare(parser, cli_text::watchDescription);
        parser.addOption(watchIntervalOption());
    } else {
        return usageError(err, QString(cli_text::unknownCommand).arg(command));
    }
    if (!parser.parse(commandArguments)) {
        return usageError(err, parser.errorText());
    }
    if (parser.isSet(helpOption) || global.isSet(helpOption)) {
        out << helpText(parser, "orvane " + command);
        return exitCode(ExitStatus::done);
    }
    const bool verbose = parser.isSet(verboseOption) || global.isSet(verboseOption);
    const QStringList values = parser.positionalArguments();
    const qsizetype expected = (command == "set" || command == "helper") ? 1 : 0;
    if (values.size() != expected) {
        return usageError(err, expected == 0
                                   ? QString("'%1' takes no arguments.").arg(command)
                                   : QString("'%1' takes exactly one argument.").arg(command));
    }

    if (command == "helper") {
        if (!QStringList{"status", "on", "off"}.contains(values.front())) {
            return usageError(err, cli_text::helperActions);
        }
        QString output;
        const CommandResult result = helperCommand(context(verbose), values.front(), output);
        out << output;
        return report(result, verbose, err);
    }
    if (command == "watch") {
        return watchCommand(
            parser, [&]() -> CliContext& { return context(verbose); }, out, err);
    }
    if (command == "status") {
        CliContext& ports = context(verbose);
        StatusFacts facts;
        facts.physicalBytes = ports.memory.bytes();
        facts.limitGB = readLimitGB(ports);
        facts.funMode = ports.defaults.boolValue(texts::enableFunModeKey).value_or(false);
        facts.helper = ports.helperManager.state();
        facts.gpu = ports.gpuMemory.read();
        out << (parser.isSet(jsonOption) ? statusJson(facts) : statusText(facts));
        return exitCode(ExitStatus::done);
    }

    double gigabytes = 0.0;
    if (command == "set") {
        const auto size = parseSizeGigabytes(values.front().toStdString());
        if (!size) {
            return usageError(err, QString(cli_text::notASize).arg(values.front()));
        }
        gigabytes = *size;
    }
    const CommandResult result =
        changeLimit(context(verbose), gigabytes, !parser.isSet(noPasswordOption));
    return report(result, verbose, err);
}

} // namespace orvane::cli
