// orvane run as scripts run it, on a temporary sim directory of its own, and Orvane where the
// application itself is meant.
#pragma once

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "tests/support/DaemonHarness.h"

namespace orvane::test {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    bool operator==(const Outcome&) const = default;
};

class CliTest : public ::testing::Test {
protected:
    CliTest() { std::filesystem::create_directory(dir / "config"); }

    void start(QProcess& process, const QStringList& arguments,
               const QString& program = ORVANE_CLI_PATH) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ORVANE_SIM_DIR", QString::fromStdString(dir.path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        environment.insert("ORVANE_HELPER_PATH", ORVANE_HELPER_PATH);
        environment.insert("ORVANE_HELPER_IDLE_TIMEOUT", "1");
        environment.insert(extraEnvironment);
        process.setProcessEnvironment(environment);
        QStringList line = QStringList{program} + arguments;
        // Root writes any file whatever its mode, so under root the folders are given to nobody,
        // and orvane runs as nobody.
        if (asOwner && ::geteuid() == 0) {
            ::lchown(dir.path().c_str(), 65534, 65534);
            for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
                ::lchown(entry.path().c_str(), 65534, 65534);
            }
            line =
                QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"} + line;
        }
        process.start("/bin/sh", QStringList{"-c", shellPrelude + "\nexec \"$0\" \"$@\""} + line);
    }

    Outcome orvane(const QStringList& arguments, const QByteArray& input = {},
                   const QString& program = ORVANE_CLI_PATH) {
        QProcess process;
        start(process, arguments, program);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(' ').toStdString();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    // Runs orvane, checking its exit status and a part of what it says on stderr.
    Outcome expect(const QStringList& arguments, int status, const std::string& says = {},
                   const QByteArray& input = {}) {
        const Outcome run = orvane(arguments, input);
        EXPECT_EQ(run.status, status) << arguments.join(' ').toStdString() << ": " << run.err;
        EXPECT_THAT(run.err, ::testing::HasSubstr(says)) << arguments.join(' ').toStdString();
        return run;
    }

    // What a command that changes something says with --json, besides its "error".
    struct Change {
        bool changed;
        QJsonValue limitMB; // as read when the command ended
        const char* road;
    };

    // Runs a command that changes something with --json: one object on stdout whatever the
    // outcome, its "error" the sentence stderr says. Where no road was taken, a password on stdin
    // was not asked for.
    Outcome expectJson(QStringList arguments, int status, const Change& change,
                       const std::string& error = {}, const QByteArray& input = {},
                       const QString& program = ORVANE_CLI_PATH) {
        arguments << "--json";
        const Outcome run = orvane(arguments, input, program);
        const std::string where = arguments.join(' ').toStdString() + ": " + run.err + run.out;
        EXPECT_EQ(run.status, status) << where;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << where;
        QJsonObject said = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
        const std::string sentence = said.take("error").toString().toStdString();
        EXPECT_EQ(said, (QJsonObject{{"changed", change.changed},
                                     {"limitMB", change.limitMB},
                                     {"road", change.road}}))
            << where;
        EXPECT_THAT(sentence, ::testing::HasSubstr(error)) << where;
        EXPECT_EQ(sentence.empty(), error.empty()) << where;
        EXPECT_THAT(run.err, ::testing::HasSubstr(sentence)) << where;
        if (!input.isEmpty() && change.road == std::string_view("none")) {
            EXPECT_THAT(run.err, ::testing::Not(::testing::HasSubstr("administrator access")))
                << where;
        }
        return run;
    }

    QJsonObject json(const QStringList& arguments, int status = 0) {
        const std::string out = expect(arguments, status).out;
        return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
    }
    QJsonObject statusJson(int status = 0) { return json({"status", "--json"}, status); }

    void allowHelper() {
        dir.write("helper.status", "1\n");
        dir.write("helper.approved", "");
    }

    std::filesystem::path settingsFile() const {
        return dir / "config/com.halvern.Orvane/Orvane.conf";
    }
    void storeSettings(const std::string& text) {
        std::filesystem::create_directories(settingsFile().parent_path());
        dir.write("config/com.halvern.Orvane/Orvane.conf", text);
    }

    SimDir dir;
    QProcessEnvironment extraEnvironment;
    QString shellPrelude; // run the command from sh after this ("ulimit -f 0")
    bool asOwner = false; // run as the owner of the test's folders, so that their modes hold
};

} // namespace orvane::test
