// The command line run as scripts run it: the real executable on a temporary sim directory.

#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include "tests/support/DaemonHarness.h"

namespace orvane::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    explicit CliTest(std::uint64_t memory = 17179869184ULL) : dir(memory) {
        std::filesystem::create_directory(dir / "config");
    }

    void start(QProcess& process, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ORVANE_SIM_DIR", QString::fromStdString(dir.path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        environment.insert("ORVANE_HELPER_PATH", ORVANE_HELPER_PATH);
        environment.insert("ORVANE_HELPER_IDLE_TIMEOUT", "1");
        process.setProcessEnvironment(environment);
        process.start(ORVANE_APP_PATH, arguments);
    }

    Outcome orvane(const QStringList& arguments, const QByteArray& input = {}) {
        QProcess process;
        start(process, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(30000)) << arguments.join(' ').toStdString();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().toStdString(),
                process.readAllStandardError().toStdString()};
    }

    void allowHelper() {
        dir.write("helper.status", "1\n");
        dir.write("helper.approved", "");
    }

    SimDir dir;
};

TEST_F(CliTest, StatusShowsThePopoversFiguresAndPresetsAlsoInJson) {
    dir.write("iogpu.wired_limit_mb", "14336\n");
    const Outcome run = orvane({"status"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Total System RAM: 16 GB\n"
                       "Reserved System RAM: 2 GB\n"
                       "Allocated VRAM: 14 GB\n"
                       "\n"
                       "Presets:\n"
                       "    Allocate Default VRAM\n"
                       "    Allocate 10 GB VRAM\n"
                       "    Allocate 12 GB VRAM\n"
                       "  \u2713 Allocate 14 GB VRAM\n"
                       "\n"
                       "Password-free changes: off\n");
    EXPECT_EQ(run.err, "");

    dir.write("iogpu.wired_limit_mb", "0\n");
    dir.write("hw.memsize", "38654705664\n"); // 36 GB
    allowHelper();
    const Outcome json = orvane({"status", "--json"});
    ASSERT_EQ(json.status, 0);
    const QJsonObject status =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(status["totalMB"].toInteger(), 36864);
    EXPECT_EQ(status["totalGB"].toDouble(), 36.0);
    EXPECT_EQ(status["limitMB"].toInteger(), 0);
    EXPECT_TRUE(status["systemManaged"].toBool());
    EXPECT_EQ(status["helper"].toString(), "on");
    EXPECT_EQ(status["presets"].toArray().size(), 5);
    EXPECT_EQ(status["presets"].toArray()[1].toObject()["mb"].toInteger(), 26 * 1024);
    EXPECT_EQ(status["customRange"].toObject()["minGB"].toDouble(), 18.0);

    dir.write("hw.memsize", "8482560410\n"); // 7.9 GB
    const Outcome small = orvane({"status"});
    EXPECT_THAT(small.out, HasSubstr("Your Mac must have at least 8 GB RAM to run this app."));
    EXPECT_THAT(orvane({"set", "5"}).status, 1);
}

TEST_F(CliTest, StatusAddsTheGpuMemoryInUseWhenTheStandInKnowsIt) {
    const auto json = [this] {
        return QJsonDocument::fromJson(QByteArray::fromStdString(orvane({"status", "--json"}).out))
            .object();
    };
    EXPECT_THAT(orvane({"status"}).out, Not(HasSubstr("GPU memory")));
    EXPECT_TRUE(json()["gpuInUseMB"].isNull());
    EXPECT_TRUE(json()["gpuAllocatedMB"].isNull());

    dir.write("iogpu.wired_limit_mb", "14336\n");
    dir.write("gpu.in_use_system_memory", "13314398618\n"); // 12.4 GB
    dir.write("gpu.alloc_system_memory", "15139759718\n");  // 14.1 GB
    EXPECT_THAT(orvane({"status"}).out,
                HasSubstr("Allocated VRAM: 14 GB\nGPU memory in use: 12.4 GB\n\nPresets:"));
    EXPECT_EQ(json()["gpuInUseMB"].toInteger(-1), 12697);
    EXPECT_EQ(json()["gpuAllocatedMB"].toInteger(-1), 14438);

    dir.write("gpu.in_use_system_memory", "lots\n"); // unknown, never 0
    EXPECT_THAT(orvane({"status"}).out, Not(HasSubstr("GPU memory")));
    EXPECT_TRUE(json()["gpuInUseMB"].isNull());
}

TEST_F(CliTest, WatchPrintsALineEachIntervalUntilInterruptedAndRefusesUnknownStatistics) {
    const Outcome unknown = orvane({"watch"});
    EXPECT_EQ(unknown.status, 3);
    EXPECT_THAT(unknown.err, HasSubstr("The GPU's memory statistics are unknown"));
    for (const char* interval : {"0.1", "abc", "inf", ""}) {
        EXPECT_EQ(orvane({"watch", "--interval", interval}).status, 2) << interval;
    }

    dir.write("iogpu.wired_limit_mb", "14336\n");
    dir.write("gpu.in_use_system_memory", "13314398618\n");
    const auto watchUntil = [this](const QStringList& arguments, int lines, int signal) {
        QProcess process;
        start(process, QStringList{"watch"} + arguments);
        QByteArray out;
        while (out.count('\n') < lines && process.waitForReadyRead(20000)) {
            out += process.readAllStandardOutput();
        }
        // The lines came while it ran: flushed one by one, also into a pipe.
        EXPECT_GE(out.count('\n'), lines);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        // A watch that waited for its next line before ending would take a minute here.
        EXPECT_TRUE(process.waitForFinished(20000));
        out += process.readAllStandardOutput();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    };
    const QStringList lines = watchUntil({"--interval", "0.2"}, 3, SIGTERM);
    ASSERT_GE(lines.size(), 3);
    const QRegularExpression line("^\\d\\d:\\d\\d:\\d\\d  in use 12.4 GB  allocated unknown  "
                                  "limit 14 GB  89% of the limit$");
    for (const QString& each : lines) {
        EXPECT_TRUE(line.match(each).hasMatch()) << each.toStdString();
    }

    dir.write("iogpu.wired_limit_mb", "0\n");
    dir.write("gpu.alloc_system_memory", "15139759718\n");
    const QStringList once = watchUntil({"--interval", "60"}, 1, SIGINT);
    ASSERT_EQ(once.size(), 1);
    EXPECT_TRUE(once[0].endsWith("  in use 12.4 GB  allocated 14.1 GB  limit system managed"))
        << once[0].toStdString();
}

TEST_F(CliTest, SetGoesThroughTheHelperQuietlyInEveryForm) {
    allowHelper();
    const std::vector<std::pair<QString, std::string>> forms = {
        {"12", "12288\n"},      {"12.5", "12800\n"}, {"13GB", "13312\n"},
        {"14336MB", "14336\n"}, {"default", "0\n"},  {"10gb", "10240\n"}};
    for (const auto& [size, written] : forms) {
        const Outcome run = orvane({"set", size});
        EXPECT_EQ(run.status, 0) << size.toStdString() << run.err;
        EXPECT_EQ(dir.limit(), written) << size.toStdString();
        EXPECT_EQ(run.out + run.err, "") << size.toStdString();
    }
    const Outcome verbose = orvane({"-v", "set", "12"});
    EXPECT_THAT(verbose.err, HasSubstr("The GPU memory limit is now 12288 MB (password-free)."));
    EXPECT_EQ(orvane({"reset"}).status, 0);
    EXPECT_EQ(dir.limit(), "0\n");
}

TEST_F(CliTest, BadSizesAreRefusedWithTheirStatusAndChangeNothing) {
    allowHelper();
    dir.write("iogpu.wired_limit_mb", "10240\n");
    struct Case {
        QString size;
        int status;
        std::string message;
    };
    for (const Case& c :
         {Case{"-5", 1, "-5 GB is outside the allowed range.\n"},
          Case{"15", 1, "15 GB is outside the allowed range.\n"},
          Case{"7.99", 1, "7 GB is outside the allowed range.\n"},
          Case{"NaN", 2, "'NaN' is not a size."}, Case{"abc", 2, "'abc' is not a size."},
          Case{"1e400", 2, "'1e400' is not a size."}, Case{"", 2, "'' is not a size."}}) {
        const Outcome run = orvane({"set", c.size});
        EXPECT_EQ(run.status, c.status) << c.size.toStdString();
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.size.toStdString();
        EXPECT_EQ(dir.limit(), "10240\n");
    }
    EXPECT_EQ(orvane({"set"}).status, 2);
    EXPECT_EQ(orvane({"set", "12", "13"}).status, 2);
    EXPECT_EQ(orvane({"frobnicate"}).status, 2);
    EXPECT_EQ(orvane({"helper", "maybe"}).status, 2);
    EXPECT_EQ(orvane({"--version"}).out, "Orvane 2.3.0\n");
}

TEST_F(CliTest, ThePasswordRoadAsksOnTheTerminalAndCanBeRefused) {
    const Outcome refused = orvane({"set", "12", "--no-password"});
    EXPECT_EQ(refused.status, 3);
    EXPECT_THAT(refused.err, HasSubstr("--no-password forbids asking for the password"));
    EXPECT_EQ(dir.limit(), "0\n");

    const Outcome cancelled = orvane({"set", "12"}); // end of input: the dialog is cancelled
    EXPECT_EQ(cancelled.status, 4);
    EXPECT_EQ(dir.limit(), "0\n");

    const Outcome answered = orvane({"set", "12"}, "secret\n");
    EXPECT_EQ(answered.status, 0) << answered.err;
    EXPECT_THAT(answered.err,
                HasSubstr("Orvane needs administrator access to change the GPU memory limit."));
    EXPECT_EQ(dir.limit(), "12288\n");

    std::filesystem::remove(dir / "iogpu.wired_limit_mb"); // a machine without the variable
    const Outcome failed = orvane({"set", "12"}, "secret\n");
    EXPECT_EQ(failed.status, 3);
    EXPECT_THAT(failed.err, HasSubstr("unknown oid 'iogpu.wired_limit_mb'"));
}

TEST_F(CliTest, HelperCommandsMoveTheRegistry) {
    EXPECT_EQ(orvane({"helper", "status"}).out, "off\n");
    const Outcome on = orvane({"helper", "on"});
    EXPECT_EQ(on.status, 0);
    EXPECT_THAT(on.err, HasSubstr("Allow Orvane in System Settings \u2192 Login Items"));
    EXPECT_EQ(dir.read("helper.status"), "2\n");
    EXPECT_EQ(orvane({"helper", "status"}).out, "needs approval\n");

    dir.write("helper.approved", "");
    EXPECT_EQ(orvane({"helper", "status"}).out, "on\n");
    EXPECT_EQ(orvane({"set", "14"}).status, 0); // password-free now
    EXPECT_EQ(dir.limit(), "14336\n");

    EXPECT_EQ(orvane({"helper", "off"}).status, 0);
    EXPECT_EQ(orvane({"helper", "status"}).out, "off\n");
    EXPECT_EQ(orvane({"set", "12", "--no-password"}).status, 3);
}

} // namespace
} // namespace orvane::test
