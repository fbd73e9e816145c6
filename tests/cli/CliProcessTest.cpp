// The command line run as scripts run it: orvane on a temporary sim directory, and Orvane where
// the application itself is meant.

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include "platform/sim/Seqpacket.h"
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

    void start(QProcess& process, const QStringList& arguments,
               const QString& program = ORVANE_CLI_PATH) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ORVANE_SIM_DIR", QString::fromStdString(dir.path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        environment.insert("ORVANE_HELPER_PATH", ORVANE_HELPER_PATH);
        environment.insert("ORVANE_HELPER_IDLE_TIMEOUT", "1");
        environment.insert(extraEnvironment);
        process.setProcessEnvironment(environment);
        if (!standardOutput.isEmpty()) {
            process.setStandardOutputFile(standardOutput);
        }
        if (shellPrelude.isEmpty()) {
            process.start(program, arguments);
        } else {
            process.start("/bin/sh",
                          QStringList{"-c", shellPrelude + "; exec \"$0\" \"$@\"", program} +
                              arguments);
        }
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
    QString standardOutput; // a file for the command's stdout, instead of a pipe
    QString shellPrelude;   // run the command from sh after this ("ulimit -f 0")
    QString program = ORVANE_APP_PATH;
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
                       "Password-free changes: off\n"
                       "Keep limit after restart: off\n");
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(std::filesystem::exists(settingsFile())) << "reading is no change to store";

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
    EXPECT_FALSE(std::filesystem::exists(settingsFile())); // watching stores nothing

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
    // The size is named as it was typed, with the range this machine allows.
    const std::string range = " is outside the allowed range: 8 to 14 GB, or default.\n";
    for (const Case& c :
         {Case{"-5", 1, "-5 GB" + range}, Case{"15", 1, "15 GB" + range},
          Case{"7.99", 1, "7.99 GB" + range}, Case{"0.0000001", 1, "0.0000001 GB" + range},
          Case{"99999999999999999999", 1, "99999999999999999999 GB" + range},
          Case{"4096MB", 1, "4096MB" + range}, Case{"NaN", 2, "'NaN' is not a size."},
          Case{"abc", 2, "'abc' is not a size."}, Case{"1e400", 2, "'1e400' is not a size."},
          Case{"", 2, "'' is not a size."}}) {
        const Outcome run = orvane({"set", c.size});
        EXPECT_EQ(run.status, c.status) << c.size.toStdString();
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.size.toStdString();
        EXPECT_EQ(dir.limit(), "10240\n");
    }
    // Options after a negative size are still options.
    for (const QStringList& arguments :
         {QStringList{"set", "-5", "--no-password"}, QStringList{"set", "-5", "-v"},
          QStringList{"-v", "set", "--no-password", "-5"}}) {
        const Outcome run = orvane(arguments);
        EXPECT_EQ(run.status, 1) << arguments.join(' ').toStdString() << run.err;
        EXPECT_THAT(run.err, HasSubstr("-5 GB" + range));
    }
    EXPECT_EQ(orvane({"set"}).status, 2);
    EXPECT_EQ(orvane({"set", "12", "13"}).status, 2);
    EXPECT_EQ(orvane({"frobnicate"}).status, 2);
    EXPECT_EQ(orvane({"helper", "maybe"}).status, 2);
    EXPECT_EQ(orvane({"--version"}).out, "Orvane 2.3.0\n");
    EXPECT_EQ(orvane({}).status, 2); // orvane has no application to start instead
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

TEST_F(CliTest, QtsOwnOptionsStartTheApplication) {
    std::filesystem::create_directory(dir / "config/com.halvern.Orvane");
    dir.write("config/com.halvern.Orvane/Orvane.conf",
              "[General]\nagreedTermsVersion=2026-10-22\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("ORVANE_SIM_DIR", QString::fromStdString(dir.path().string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
    process.setProcessEnvironment(environment);
    process.setReadChannel(QProcess::StandardError);
    process.start(ORVANE_APP_PATH, {"-platform", "offscreen"});
    // Offscreen has no tray: the application says so and shows the popover as a window.
    QByteArray err;
    while (!err.contains("no system tray") && process.waitForReadyRead(30000)) {
        err += process.readAllStandardError();
    }
    EXPECT_THAT(err.toStdString(), HasSubstr("no system tray"));
    EXPECT_EQ(process.state(), QProcess::Running);
    process.kill();
    process.waitForFinished();
}

// Whoever scripts "Orvane <command>" gets what orvane answers, to the byte and the exit status.
TEST_F(CliTest, TheApplicationAnswersCommandsAsOrvaneDoes) {
    allowHelper();
    dir.write("iogpu.wired_limit_mb", "12288\n");
    for (const QStringList& arguments :
         {QStringList{"status", "--json"}, QStringList{"set", "99"}, QStringList{"frobnicate"}}) {
        const Outcome lean = orvane(arguments);
        const Outcome application = orvane(arguments, {}, ORVANE_APP_PATH);
        EXPECT_EQ(application.status, lean.status) << arguments.join(' ').toStdString();
        EXPECT_EQ(application.out, lean.out) << arguments.join(' ').toStdString();
        EXPECT_EQ(application.err, lean.err) << arguments.join(' ').toStdString();
    }
    const Outcome status = orvane({"status", "--json"});
    EXPECT_EQ(status.status, 0);
    EXPECT_THAT(status.out, HasSubstr("\"limitMB\":12288"));
}

// orvane loads no graphical library, neither directly nor through another one: none of Qt's but
// Core, nothing of OpenGL or a display server. Orvane, which does, shows that the check sees them.
TEST(LeanCommandLine, LoadsNoGraphicalLibrary) {
    const auto libraries = [](const QString& program) {
        QProcess ldd;
        ldd.start("ldd", {program});
        EXPECT_TRUE(ldd.waitForFinished(30000));
        return QString::fromLocal8Bit(ldd.readAllStandardOutput());
    };
    static const QRegularExpression graphical(
        R"(\blib(Qt6(Gui|Widgets|Network|DBus|OpenGL)|GLX?|EGL|OpenGL|X11|xcb|wayland)\S*\.so)");
    const QString lean = libraries(ORVANE_CLI_PATH);
    EXPECT_TRUE(lean.contains("libQt6Core.so")) << lean.toStdString();
    EXPECT_FALSE(lean.contains(graphical)) << lean.toStdString();
    EXPECT_TRUE(libraries(ORVANE_APP_PATH).contains(graphical));
}

TEST_F(CliTest, StatusSaysWhatItCouldNotReadAndStoresNothing) {
    // Whatever is put in place of the variable, the figures come back at once, with the reason.
    struct Case {
        std::function<void()> plant;
        std::string reason;
    };
    const Case cases[] = {
        {[&] { std::filesystem::remove(dir / "iogpu.wired_limit_mb"); },
         "No such file or directory"},
        {[&] { dir.write("iogpu.wired_limit_mb", "twelve\n"); }, "Input/output error"},
        {[&] { std::filesystem::create_directory(dir / "iogpu.wired_limit_mb"); },
         "Input/output error"},
        {[&] { ::mkfifo((dir / "iogpu.wired_limit_mb").c_str(), 0600); }, "Input/output error"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir / "iogpu.wired_limit_mb");
        c.plant();
        const Outcome run = orvane({"status"});
        EXPECT_EQ(run.status, 3) << c.reason;
        EXPECT_THAT(run.out, HasSubstr("Allocated VRAM: System Managed\n")) << c.reason;
        EXPECT_THAT(run.err, HasSubstr("The GPU memory limit could not be read: " + c.reason))
            << c.reason;
        const Outcome json = orvane({"status", "--json"});
        EXPECT_EQ(json.status, 3);
        EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(json.out))
                      .object()["limitError"]
                      .toString()
                      .toStdString(),
                  c.reason);
    }
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));

    // FIFOs in place of the other files of the sim directory hold nothing up either.
    std::filesystem::remove_all(dir / "iogpu.wired_limit_mb");
    dir.write("iogpu.wired_limit_mb", "12288\n");
    for (const char* name : {"hw.memsize", "helper.status"}) {
        std::filesystem::remove(dir / name);
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
    }
    const Outcome run = orvane({"-v", "status"});
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("Allocated VRAM: 12 GB"));
    EXPECT_THAT(run.err, HasSubstr("hw.memsize: it is a FIFO, not a regular file"));
}

TEST_F(CliTest, FiguresNeverWrapAndOutputThatCannotBeWrittenIsAFailure) {
    dir.write("iogpu.wired_limit_mb", "9223372036854775807\n");
    const Outcome huge = orvane({"status", "--json"});
    const QJsonObject status =
        QJsonDocument::fromJson(QByteArray::fromStdString(huge.out)).object();
    EXPECT_EQ(status["limitMB"].toInteger(), 9223372036854775807LL);
    EXPECT_EQ(status["reservedGB"].toInteger(), 0);
    EXPECT_EQ(status["allocatedGB"].toInteger(), 9007199254740992LL);

    dir.write("iogpu.wired_limit_mb", "-24576\n");
    const Outcome negative = orvane({"status"});
    EXPECT_THAT(negative.out, HasSubstr("Reserved System RAM: 16 GB\nAllocated VRAM: 0 GB\n"));

    standardOutput = "/dev/full";
    const Outcome full = orvane({"status", "--json"});
    EXPECT_EQ(full.status, 3);
    EXPECT_THAT(full.err, HasSubstr("Could not write the output: No space left on device"));
}

TEST_F(CliTest, AChangeCountsOnlyWhenTheVariableItselfReadsBack) {
    // A helper that says it wrote the limit while the variable cannot be read; the value kept for
    // the popover happens to match, and must not pass for a confirmation.
    allowHelper();
    storeSettings("[General]\nlastKnownVRAMGB=12\n");
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { std::filesystem::remove(dir / "iogpu.wired_limit_mb"); },
         "No such file or directory"},
        {[&] { dir.write("iogpu.wired_limit_mb", "garbage\n"); }, "Input/output error"},
        {[&] { std::filesystem::create_directory(dir / "iogpu.wired_limit_mb"); },
         "Input/output error"},
    };
    for (const auto& [plant, reason] : cases) {
        std::filesystem::remove_all(dir / "iogpu.wired_limit_mb");
        plant();
        DoubleServer helper(dir, [](const wire::Message& request) {
            return request.operation == wire::Operation::protocolVersion ? 1 : 0;
        });
        const Outcome run = orvane({"set", "12"});
        EXPECT_EQ(run.status, 3) << reason;
        EXPECT_THAT(run.err, HasSubstr("The change was sent, but the new limit could not be read "
                                       "back: " +
                                       reason))
            << reason;
    }
}

TEST_F(CliTest, EveryWaitOnTheHelperEndsAtTheDeadlineAndSaysWhich) {
    allowHelper();
    extraEnvironment.insert("ORVANE_HELPER_DEADLINE", "1");
    TempDir bin;
    bin.write("stuck",
              "#!/bin/sh\necho $$ > '" + (dir / "stuck.pid").string() + "'\nexec sleep 60\n");
    std::filesystem::permissions(bin / "stuck", std::filesystem::perms::owner_all);
    struct Case {
        std::string wait;
        std::function<std::function<void()>()> arrange; // gives what undoes it
    };
    const Case cases[] = {
        {"The helper did not reply within 1 second.", // accepts nothing, like a stopped daemon
         [&] {
             int error = 0;
             auto listener =
                 std::make_shared<sim::UniqueFd>(sim::listenSeqpacket(dir.socketPath(), &error));
             return [listener] {};
         }},
        {"Connecting to the helper took longer than 1 second", // its queue is full
         [&] {
             auto listener = std::make_shared<sim::UniqueFd>(
                 ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strcpy(address.sun_path, dir.socketPath().c_str());
             ::bind(listener->get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
             ::listen(listener->get(), 0);
             int error = 0;
             auto filler =
                 std::make_shared<sim::UniqueFd>(sim::connectSeqpacket(dir.socketPath(), &error));
             return [listener, filler] {};
         }},
        {"held the lock for starting the helper", // an Orvane stopped while starting it
         [&] {
             auto lock = std::make_shared<sim::UniqueFd>(
                 ::open((dir / "helper.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
             ::flock(lock->get(), LOCK_EX);
             return [lock] {};
         }},
        {"The helper was started but did not reply within 1 second.", // it never serves
         [&] {
             extraEnvironment.insert("ORVANE_HELPER_PATH",
                                     QString::fromStdString((bin / "stuck").string()));
             return [&] {
                 extraEnvironment.remove("ORVANE_HELPER_PATH");
                 ::kill(std::stoi(dir.read("stuck.pid")), SIGKILL);
             };
         }},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.socketPath());
        const auto undo = c.arrange();
        const Outcome refused = orvane({"set", "12", "--no-password"});
        EXPECT_EQ(refused.status, 3) << c.wait;
        EXPECT_THAT(refused.err, HasSubstr(c.wait));
        EXPECT_THAT(refused.err, Not(HasSubstr("orvane helper on")));
        undo();
    }
    // Where the password may be asked for, the change takes that road instead.
    const auto lock = cases[2].arrange();
    const Outcome answered = orvane({"set", "12"}, "secret\n");
    EXPECT_EQ(answered.status, 0) << answered.err;
    EXPECT_EQ(dir.limit(), "12288\n");
}

TEST_F(CliTest, NoPasswordSaysWhyThePasswordFreeRoadWasClosed) {
    const Outcome off = orvane({"set", "12", "--no-password"});
    EXPECT_THAT(off.err, HasSubstr("Turn them on with 'orvane helper on'."));
    dir.write("helper.status", "2\n");
    const Outcome waiting = orvane({"set", "12", "--no-password"});
    EXPECT_THAT(waiting.err, HasSubstr("Allow Orvane in System Settings \u2192 Login Items."));
    EXPECT_THAT(waiting.err, Not(HasSubstr("orvane helper on")));

    allowHelper();
    struct Case {
        std::string reason;
        std::function<void()> arrange;
    };
    std::optional<DoubleServer> speaksTwo;
    const Case cases[] = {
        {"Could not start the helper /nowhere/OrvaneHelper: No such file or directory.",
         [&] { extraEnvironment.insert("ORVANE_HELPER_PATH", "/nowhere/OrvaneHelper"); }},
        {"The helper could not set the limit: No such file or directory.",
         [&] {
             extraEnvironment.remove("ORVANE_HELPER_PATH");
             std::filesystem::remove(dir / "iogpu.wired_limit_mb");
         }},
        {"The helper speaks protocol 2, and Orvane speaks protocol 1.",
         [&] { speaksTwo.emplace(dir, [](const wire::Message&) { return 2; }); }},
    };
    for (const Case& c : cases) {
        c.arrange();
        const Outcome run = orvane({"set", "12", "--no-password"});
        EXPECT_EQ(run.status, 3) << c.reason;
        EXPECT_THAT(run.err, HasSubstr("The password-free change did not go through: " + c.reason +
                                       " --no-password forbids asking for the password."));
    }
}

TEST_F(CliTest, AFileSizeLimitIsReportedInsteadOfEndingTheCommand) {
    shellPrelude = "ulimit -f 0";
    dir.write("iogpu.wired_limit_mb", "10240\n");
    const Outcome password = orvane({"set", "12"}, "secret\n");
    EXPECT_EQ(password.status, 3);
    EXPECT_THAT(password.err, HasSubstr("sysctl: iogpu.wired_limit_mb: File too large"));

    allowHelper(); // the daemon started from here inherits the limit
    const Outcome helper = orvane({"set", "12", "--no-password"});
    EXPECT_EQ(helper.status, 3);
    EXPECT_THAT(helper.err, HasSubstr("The helper could not set the limit: File too large."));
    EXPECT_EQ(dir.limit(), "10240\n");
}

TEST_F(CliTest, StorageThatIsNotTheUsersOwnIsRefused) {
    storeSettings("");
    std::filesystem::remove(settingsFile());
    ASSERT_EQ(::mkfifo(settingsFile().c_str(), 0600), 0);
    const Outcome fifo = orvane({"status"});
    EXPECT_EQ(fifo.status, 3);
    EXPECT_THAT(fifo.err, HasSubstr("Orvane does not use the settings file " +
                                    settingsFile().string() + ": it is a FIFO"));
    std::filesystem::remove(settingsFile());

    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    std::filesystem::create_directory(dir / "foreign");
    ASSERT_EQ(::chown((dir / "foreign").c_str(), 65534, 65534), 0);
    const std::string belongs = "it belongs to another user (uid 65534)";
    extraEnvironment.insert("ORVANE_SIM_DIR", QString::fromStdString((dir / "foreign").string()));
    for (const QStringList& arguments : {QStringList{"status"}, QStringList{"set", "12"},
                                         QStringList{}}) { // the last one: the application
        const Outcome run =
            orvane(arguments, {}, arguments.isEmpty() ? ORVANE_APP_PATH : ORVANE_CLI_PATH);
        EXPECT_EQ(run.status, 3) << arguments.join(' ').toStdString();
        EXPECT_THAT(run.err, HasSubstr("Orvane does not use " + (dir / "foreign").string() + ": " +
                                       belongs));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "foreign/iogpu.wired_limit_mb"));

    extraEnvironment.remove("ORVANE_SIM_DIR");
    ASSERT_EQ(::chown(settingsFile().parent_path().c_str(), 65534, 65534), 0);
    const Outcome settings = orvane({"helper", "on"});
    EXPECT_EQ(settings.status, 3);
    EXPECT_THAT(settings.err, HasSubstr(belongs));
    EXPECT_EQ(dir.read("helper.status"), "");
}

TEST_F(CliTest, KeepRecordsWhatEveryRoadConfirmsAndStatusShowsIt) {
    EXPECT_EQ(orvane({"keep"}).out, "off\n");
    dir.write("iogpu.wired_limit_mb", "12288\n");
    const Outcome on = orvane({"keep", "on"});
    EXPECT_EQ(on.status, 0);
    EXPECT_THAT(on.err, HasSubstr("Restoring needs password-free VRAM changes"));
    EXPECT_TRUE(std::filesystem::exists(dir / "config/autostart/com.halvern.Orvane.desktop"))
        << "keeping needs Orvane to start at login";
    // Whichever program turns it on, the login item starts the application.
    EXPECT_THAT(
        dir.read("config/autostart/com.halvern.Orvane.desktop"),
        HasSubstr("Exec=\"" +
                  (std::filesystem::path(ORVANE_APP_PATH).parent_path() / "Orvane").string() +
                  "\"\n"));
    EXPECT_EQ(orvane({"keep"}).out, "on, 12288 MB kept\n");

    EXPECT_EQ(orvane({"set", "14"}, "secret\n").status, 0); // the password road
    EXPECT_EQ(orvane({"keep"}).out, "on, 14336 MB kept\n");
    allowHelper();
    EXPECT_EQ(orvane({"set", "10"}).status, 0); // the helper road
    EXPECT_THAT(orvane({"status"}).out, HasSubstr("Keep limit after restart: on, 10240 MB kept\n"));
    const QJsonObject kept =
        QJsonDocument::fromJson(QByteArray::fromStdString(orvane({"status", "--json"}).out))
            .object();
    EXPECT_TRUE(kept["keepLimitAfterRestart"].toBool());
    EXPECT_EQ(kept["keptLimitMB"].toInteger(), 10240);

    EXPECT_EQ(orvane({"reset"}).status, 0);
    EXPECT_EQ(orvane({"keep"}).out, "on, nothing kept\n");
    const QJsonObject nothing =
        QJsonDocument::fromJson(QByteArray::fromStdString(orvane({"status", "--json"}).out))
            .object();
    EXPECT_TRUE(nothing["keptLimitMB"].isNull());
    EXPECT_EQ(orvane({"set", "12"}).status, 0);
    EXPECT_EQ(orvane({"keep", "off"}).out, "");
    EXPECT_EQ(orvane({"keep"}).out, "off\n");
    EXPECT_EQ(orvane({"keep", "maybe"}).status, 2);
    EXPECT_EQ(orvane({"keep", "on", "off"}).status, 2);
    EXPECT_EQ(orvane({"restore", "now"}).status, 2);
}

// After a restart the variable reads 0 again; the application at login, or "orvane restore" from a
// start-up script, sets the kept limit again through the helper, and never asks for a password.
class RestoreTest : public CliTest {
protected:
    RestoreTest() {
        // Orvane from a folder of its own, next to a password dialog that notes being started
        // (and would answer at once, so that a password road would also show in the limit).
        const std::filesystem::path app = bin / "Orvane";
        std::error_code error;
        std::filesystem::create_hard_link(ORVANE_APP_PATH, app, error);
        if (error) {
            std::filesystem::copy_file(ORVANE_APP_PATH, app);
        }
        bin.write("OrvanePasswordDialog",
                  "#!/bin/sh\ntouch '" + (bin / "dialog-started").string() + "'\necho ok\n");
        std::filesystem::permissions(bin / "OrvanePasswordDialog",
                                     std::filesystem::perms::owner_all);
        program = QString::fromStdString(app.string());
        extraEnvironment.insert(
            "ORVANE_RESOURCES_DIR",
            QString::fromStdString(
                (std::filesystem::path(ORVANE_APP_PATH).parent_path() / "resources").string()));
        storeSettings("[General]\nagreedTermsVersion=2026-10-22\n");
    }

    // The application, started as at login, offscreen; its log comes on stderr.
    std::unique_ptr<QProcess> startApplication() {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ORVANE_SIM_DIR", QString::fromStdString(dir.path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
        environment.insert("ORVANE_HELPER_PATH", ORVANE_HELPER_PATH);
        environment.insert("ORVANE_HELPER_IDLE_TIMEOUT", "1");
        environment.insert(extraEnvironment);
        process->setProcessEnvironment(environment);
        process->setReadChannel(QProcess::StandardError);
        process->start(program, {});
        return process;
    }

    // Waits, for a few seconds at most, for a line of the application's log.
    static std::string waitForLog(QProcess& process, const std::string& line) {
        QByteArray err;
        while (!err.contains(line.c_str()) && process.waitForReadyRead(20000)) {
            err += process.readAllStandardError();
        }
        return err.toStdString();
    }

    // A password dialog would start right after the log line; it is given a moment to show.
    void stop(QProcess& process) {
        EXPECT_FALSE(eventually([this] { return dialogStarted(); }, 1s));
        process.kill();
        process.waitForFinished();
    }

    void restart() { dir.write("iogpu.wired_limit_mb", "0\n"); }
    bool dialogStarted() const { return std::filesystem::exists(bin / "dialog-started"); }

    TempDir bin;
};

TEST_F(RestoreTest, TheApplicationAndTheCommandRestoreTheKeptLimitWithoutAPrompt) {
    ASSERT_EQ(orvane({"helper", "on"}).status, 0);
    dir.write("helper.approved", ""); // the user allows it in Login Items
    ASSERT_EQ(orvane({"keep", "on"}).status, 0);
    ASSERT_EQ(orvane({"set", "12"}).status, 0);
    restart();

    const auto application = startApplication();
    const std::string log = waitForLog(*application, "Restored the kept limit of 12288 MB");
    EXPECT_THAT(log, HasSubstr("Restored the kept limit of 12288 MB"));
    EXPECT_EQ(dir.limit(), "12288\n");
    EXPECT_THAT(dir.read("config/com.halvern.Orvane/Orvane.conf"),
                HasSubstr("lastKnownVRAMGB=12\n")); // what the icon's dot follows
    stop(*application);

    restart();
    const Outcome restored = orvane({"restore"}, "secret\n");
    EXPECT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(restored.out, "Restored the kept limit: 12288 MB.\n");
    EXPECT_EQ(dir.limit(), "12288\n");
    const Outcome again = orvane({"restore"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "Nothing to restore: the GPU memory limit is already set (12288 MB).\n");
    EXPECT_FALSE(dialogStarted());
}

TEST_F(RestoreTest, WithTheHelperOffNothingIsAppliedAndNothingAsks) {
    dir.write("iogpu.wired_limit_mb", "12288\n");
    ASSERT_EQ(orvane({"keep", "on"}).status, 0);
    restart();

    const auto application = startApplication();
    const std::string reason = "Password-free VRAM changes are off.";
    EXPECT_THAT(waitForLog(*application, reason),
                HasSubstr("Restoring the kept limit failed: " + reason));
    EXPECT_EQ(application->state(), QProcess::Running);
    stop(*application);

    // The terminal's password would be read at once, were the password road ever taken.
    const Outcome refused = orvane({"restore"}, "secret\n");
    EXPECT_EQ(refused.status, 3);
    EXPECT_EQ(refused.err, "The kept limit was not restored: " + reason + "\n");
    EXPECT_EQ(dir.limit(), "0\n");
    EXPECT_FALSE(dialogStarted());

    storeSettings("[General]\nkeepLimitAfterRestart=true\nkeptLimitMB=15360\n");
    allowHelper();
    const Outcome outside = orvane({"restore"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_THAT(outside.err, HasSubstr("The kept limit of 15360 MB is outside the allowed range"));
    storeSettings("[General]\nkeepLimitAfterRestart=false\n");
    EXPECT_EQ(orvane({"restore"}).out,
              "Nothing to restore: keeping the limit after a restart is off.\n");
    EXPECT_EQ(dir.limit(), "0\n");
}

} // namespace
} // namespace orvane::test
