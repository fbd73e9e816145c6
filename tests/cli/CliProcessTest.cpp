// The command line run as scripts run it: orvane on a temporary sim directory, and Orvane where
// the application itself is meant.

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include "platform/sim/Seqpacket.h"
#include "tests/cli/CliHarness.h"

namespace orvane::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// The GPU's working set is the limit when one is set, else what the system recommends.
TEST_F(CliTest, StatusShowsThePopoversFiguresPresetsAndGpuUseAlsoInJson) {
    dir.write("iogpu.wired_limit_mb", "14336\n");
    dir.write("gpu.recommended_working_set", "11453246122\n"); // 10.67 GB
    const Outcome run = expect({"status"}, 0);
    EXPECT_EQ(run.out, "Total System RAM: 16 GB\n"
                       "Reserved System RAM: 2 GB\n"
                       "Allocated VRAM: 14 GB\n"
                       "GPU working set: 14 GB\n"
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
    const QJsonObject status = statusJson();
    EXPECT_EQ(status["totalMB"].toInteger(), 36864);
    EXPECT_EQ(status["limitMB"].toInteger(), 0);
    EXPECT_TRUE(status["systemManaged"].toBool());
    EXPECT_EQ(status["helper"].toString(), "on");
    EXPECT_EQ(status["presets"].toArray()[1].toObject()["mb"].toInteger(), 26 * 1024);
    EXPECT_TRUE(status["reservedGB"].isNull()) << "the text says System Managed";
    EXPECT_EQ(status["customRange"].toObject(),
              (QJsonObject{{"minMB", 18432}, {"maxMB", 34816}, {"minGB", 18}, {"maxGB", 34}}));
    EXPECT_TRUE(status["gpuInUseMB"].isNull());
    EXPECT_EQ(status["workingSetMB"].toInteger(), 10922);
    EXPECT_THAT(orvane({"status"}).out, HasSubstr("GPU working set: 10.6 GB\n")); // rounded down

    // Where the stand-in knows the GPU's memory in use, status adds it; unknown is never 0.
    dir.write("iogpu.wired_limit_mb", "14336\n");
    dir.write("gpu.in_use_system_memory", "13314398618\n"); // 12.4 GB
    dir.write("gpu.alloc_system_memory", "15139759718\n");  // 14.1 GB
    EXPECT_THAT(orvane({"status"}).out, HasSubstr("Allocated VRAM: 14 GB\nGPU memory in use: 12.4 "
                                                  "GB\nGPU working set: 14 GB\n\nPresets:"));
    const QJsonObject gpu = statusJson();
    EXPECT_EQ(gpu["gpuInUseMB"].toInteger(-1), 12697);
    EXPECT_EQ(gpu["gpuAllocatedMB"].toInteger(-1), 14438);
    dir.write("gpu.in_use_system_memory", "lots\n");
    EXPECT_THAT(orvane({"status"}).out, Not(HasSubstr("GPU memory")));
    EXPECT_TRUE(statusJson()["gpuInUseMB"].isNull());

    // Figures never wrap, and output that cannot be written is a failure.
    dir.write("iogpu.wired_limit_mb", "9223372036854775807\n");
    const QJsonObject huge = statusJson();
    EXPECT_EQ(huge["limitMB"].toInteger(), 9223372036854775807LL);
    EXPECT_EQ(huge["allocatedGB"].toInteger(), 9007199254740992LL);
    shellPrelude = "exec >/dev/full";
    expect({"status", "--json"}, 3, "Could not write the output: No space left on device");
    shellPrelude.clear();

    dir.write("hw.memsize", "8482560410\n"); // 7.9 GB
    EXPECT_THAT(orvane({"status"}).out,
                HasSubstr("Your Mac must have at least 8 GB RAM to run this app."));
    expect({"set", "5"}, 1);
}

// Whatever is put in place of the variable, status gives the figures at once with the reason, and
// a change the helper says it made does not count: the value kept for the popover happens to match
// the change, and is neither a confirmation nor overwritten.
TEST_F(CliTest, AVariableThatCannotBeReadIsSaidAndConfirmsNothing) {
    allowHelper();
    const std::string kept = "[General]\nlastKnownVRAMGB=12\n";
    storeSettings(kept);
    // The stand-in's own tests put a FIFO and a folder in the variable's place.
    // Whatever stands there is named: no "Input/output error" for a link, a FIFO or a device.
    const std::filesystem::path variable = dir / "iogpu.wired_limit_mb";
    dir.write("elsewhere", "12288\n");
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[] {}, "No such file or directory"},
        {[&] { dir.write("iogpu.wired_limit_mb", "twelve\n"); }, "Input/output error"},
        {[&] { std::filesystem::create_symlink(dir / "elsewhere", variable); },
         variable.string() + " is a symbolic link, not a regular file"},
        {[&] { ASSERT_EQ(::mkfifo(variable.c_str(), 0600), 0); },
         variable.string() + " is a FIFO, not a regular file"},
    };
    for (const auto& [plant, reason] : cases) {
        std::filesystem::remove(variable);
        plant();
        EXPECT_THAT(expect({"status"}, 3, "The GPU memory limit could not be read: " + reason).out,
                    HasSubstr("Allocated VRAM: 12 GB\n"));
        EXPECT_EQ(statusJson(3)["limitError"].toString().toStdString(), reason);
        DoubleServer helper(dir, [](const wire::Message& request) {
            return request.operation == wire::Operation::protocolVersion ? 1 : 0;
        });
        expect({"set", "12"}, 3,
               "The change was sent, but the new limit could not be read back: " + reason);
    }
    EXPECT_EQ(dir.read("config/com.halvern.Orvane/Orvane.conf"), kept);

    // A FIFO in place of the helper's state holds nothing up either.
    std::filesystem::remove(variable);
    dir.write("iogpu.wired_limit_mb", "12288\n");
    std::filesystem::remove(dir / "helper.status");
    ASSERT_EQ(::mkfifo((dir / "helper.status").c_str(), 0600), 0);
    EXPECT_THAT(expect({"status"}, 0).out, HasSubstr("Allocated VRAM: 12 GB"));
}

// Watch prints a line each interval, flushed at once, until a stop signal. Output that cannot be
// written ends it at once with the reason, SIGPIPE ignored or not; a reader that never reads holds
// it only until a stop signal, which interrupts the waiting write.
TEST_F(CliTest, WatchPrintsUntilAStopSignalAndEndsWhenItsOutputFailsOrWaits) {
    expect({"watch"}, 3, "The GPU's memory statistics are unknown");
    for (const char* interval : {"0.1", "abc", "inf", ""}) {
        expect({"watch", "--interval", interval}, 2);
    }
    expect({"watch", "--interval", "-1"}, 2, "The interval must be positive.");

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
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 0);
        out += process.readAllStandardOutput();
        return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    };
    const QStringList lines = watchUntil({"--interval", "0.2"}, 3, SIGTERM);
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

    const QString fifo = QString::fromStdString((dir / "out").string());
    const QString readerLeaves = "rm -f '" + fifo + "' && mkfifo '" + fifo + "' && { : <'" + fifo +
                                 "' & } && exec >'" + fifo + "'";
    const std::pair<QString, std::string> outputs[] = {
        {"exec >/dev/full", "No space left on device"},
        {"exec >&-", "Bad file descriptor"},
        {readerLeaves, "Broken pipe"},
        {"trap '' PIPE; " + readerLeaves, "Broken pipe"}, // as under systemd
    };
    for (const auto& [prelude, reason] : outputs) {
        shellPrelude = prelude;
        expect({"watch", "--interval", "0.2"}, 3, "Could not write the output: " + reason);
    }
    shellPrelude.clear();

    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    ::fcntl(ends[1], F_SETPIPE_SZ, 4096);
    const char filler[512] = {};
    while (::write(ends[1], filler, sizeof filler) > 0) {
    }
    ::fcntl(ends[1], F_SETFL, 0); // a write into it now waits
    const auto catchesStopSignals = [](qint64 pid) {
        const std::string proc = "/proc/" + std::to_string(pid);
        std::error_code error;
        if (std::filesystem::read_symlink(proc + "/exe", error).filename() != "orvane") {
            return false;
        }
        const std::string status = readFile(proc + "/status");
        const auto at = status.find("SigCgt:\t");
        const auto caught = at == std::string::npos ? 0 : std::stoull(status.substr(at + 8), 0, 16);
        return (caught >> (SIGINT - 1) & 1) && (caught >> (SIGTERM - 1) & 1);
    };
    for (const int signal : {SIGTERM, SIGINT}) {
        QProcess process;
        process.setChildProcessModifier([out = ends[1]] { ::dup2(out, STDOUT_FILENO); });
        start(process, {"watch", "--interval", "0.2"});
        ASSERT_TRUE(eventually([&] { return catchesStopSignals(process.processId()); }));
        ::kill(static_cast<pid_t>(process.processId()), signal);
        EXPECT_TRUE(process.waitForFinished(20000)) << "still waiting to write after " << signal;
        EXPECT_EQ(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, 0);
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST_F(CliTest, SizesInEveryFormGoThroughTheHelperQuietlyAndBadOnesChangeNothing) {
    allowHelper();
    const std::pair<QString, std::string> forms[] = {
        {"12.5", "12800\n"}, {"13GB", "13312\n"},  {"14336MB", "14336\n"},
        {"default", "0\n"},  {"13 GB", "13312\n"}, {"Default", "0\n"}}; // the last as status says
    for (const auto& [size, written] : forms) {
        EXPECT_EQ(expect({"set", size}, 0).out, "");
        EXPECT_EQ(dir.limit(), written) << size.toStdString();
    }
    expect({"-v", "set", "12"}, 0, "The GPU memory limit is now 12288 MB (password-free).");
    expect({"reset"}, 0);
    EXPECT_EQ(dir.limit(), "0\n");

    // A bad size is named as it was typed, with the range this machine allows.
    dir.write("iogpu.wired_limit_mb", "10240\n");
    const std::string range = " is outside the allowed range: 8 to 14 GB, or default.";
    for (const std::string size : {"-5", "15", "7.99", "0.0000001", "99999999999999999999"}) {
        expect({"set", QString::fromStdString(size)}, 1, size + " GB" + range);
    }
    expectJson({"set", "4096MB"}, 1, {false, 10240, "none"}, "4096MB" + range);
    dir.write("hw.memsize", "25274548224\n"); // 23.54 GB: the range's bounds rounded inwards
    expect({"set", "22"}, 1, "22 GB is outside the allowed range: 11.77 to 21.53 GB, or default.");
    EXPECT_EQ(
        statusJson()["customRange"].toObject(),
        (QJsonObject{{"minMB", 12052}, {"maxMB", 22055}, {"minGB", 11.77}, {"maxGB", 21.53}}));
    expect({"set", "12051MB"}, 1); // the bounds given are the rule's own
    expect({"set", "12052MB"}, 0);
    expect({"set", "22055MB"}, 0);
    expect({"set", "21.53"}, 0);
    dir.write("iogpu.wired_limit_mb", "10240\n");
    dir.write("hw.memsize", "17179869184\n");
    expectJson({"set", ""}, 2, {false, {}, "none"}, "'' is not a size."); // no limit read
    // Options after a negative size are still options.
    for (const QStringList& arguments :
         {QStringList{"set", "-5", "--no-password"}, QStringList{"set", "-5", "-v"},
          QStringList{"-v", "set", "--no-password", "-5"}}) {
        expect(arguments, 1, "-5 GB" + range);
    }
    EXPECT_EQ(dir.limit(), "10240\n");
    expectJson({"keep"}, 2, {false, {}, "none"}, "--json goes with 'keep on' or 'keep off'");
    for (const QStringList& arguments :
         {QStringList{"set"}, QStringList{"set", "12", "13"}, QStringList{"frobnicate"},
          QStringList{"helper", "maybe"}, QStringList{"keep", "maybe"},
          QStringList{"keep", "on", "off"}, QStringList{"restore", "now"},
          QStringList{} /* orvane has no application to start instead */}) {
        expect(arguments, 2);
    }
}

// Without the helper the password is asked for on the terminal, or refused by --no-password with
// what to do; once the helper is on and allowed, nothing asks. The stand-in's registry and login
// item answer only Orvane, as a Mac's answer only the application's executable: orvane has it run
// "helper" and "keep on", and asks the helper itself whether it is usable. The stand-in's
// Orvane.app lies where bundle.path says: a translocated copy registers nothing, and a path that
// cannot be read as one is trusted no more. The limit kept after a restart follows every change
// the variable confirms, whichever road it took. After a restart the variable reads 0 again; the
// application at login, or "orvane restore" from a start-up script, sets the kept limit again
// through the helper, and never asks for a password. With --json, each change says whether it
// changed the limit or a stored setting, and the road that carried it: setting the limit in force
// takes none, and asks no password even with the helper off.
TEST_F(CliTest, ThePasswordRoadUntilTheHelperIsOnAndTheKeptLimitRestoredOnlyThroughIt) {
    // Orvane from a folder of its own, next to a password dialog that notes being started (and
    // would answer at once, so that a password road would also show in the limit).
    TempDir bin;
    std::error_code error;
    std::filesystem::create_hard_link(ORVANE_APP_PATH, bin / "Orvane", error);
    if (error) {
        std::filesystem::copy_file(ORVANE_APP_PATH, bin / "Orvane");
    }
    bin.write("OrvanePasswordDialog",
              "#!/bin/sh\ntouch '" + (bin / "dialog-started").string() + "'\necho ok\n");
    std::filesystem::permissions(bin / "OrvanePasswordDialog", std::filesystem::perms::owner_all);
    const auto dialogStarted = [&] { return std::filesystem::exists(bin / "dialog-started"); };
    extraEnvironment.insert("ORVANE_RESOURCES_DIR",
                            QFileInfo(ORVANE_APP_PATH).path() + "/resources");
    storeSettings("[General]\nagreedTermsVersion=2026-10-22\n");
    // The application, started as at login, until a line of its log (on stderr), a few seconds at
    // most; a password dialog would start right after it, and is given a moment to show.
    const auto runApplicationUntil = [&](const std::string& line, const QStringList& arguments) {
        QProcess process;
        process.setReadChannel(QProcess::StandardError);
        start(process, arguments, QString::fromStdString((bin / "Orvane").string()));
        QByteArray err;
        while (!err.contains(line.c_str()) && process.waitForReadyRead(20000)) {
            err += process.readAllStandardError();
        }
        EXPECT_THAT(err.toStdString(), HasSubstr(line));
        EXPECT_EQ(process.state(), QProcess::Running);
        EXPECT_FALSE(eventually(dialogStarted, 1s));
        process.kill();
        process.waitForFinished();
    };
    const auto restart = [&] { dir.write("iogpu.wired_limit_mb", "0\n"); };
    // The terminal's password would be read at once, were the password road ever taken.
    const QByteArray password = "secret\n";

    dir.write("iogpu.wired_limit_mb", "10240\n");
    EXPECT_THAT(expectJson({"keep", "on"}, 0, {true, 10240, "none"}).err,
                HasSubstr("Restoring needs password-free VRAM changes"));
    // Keeping needs Orvane to start at login: orvane has the application turn its login item on.
    EXPECT_THAT(dir.read("config/autostart/com.halvern.Orvane.desktop"),
                HasSubstr("Exec=\"" ORVANE_APP_PATH "\"\n"));
    EXPECT_EQ(expect({"keep"}, 0,
                     "The kept limit cannot be restored until password-free VRAM "
                     "changes are on: turn them on with 'orvane helper on'.")
                  .out,
              "on, 10240 MB kept\n");
    restart();
    // Qt's own options start the application: here the only way to the offscreen platform.
    extraEnvironment.insert("QT_QPA_PLATFORM", "none");
    runApplicationUntil("Restoring the kept limit failed: Password-free VRAM changes are off.",
                        {"-platform", "offscreen"});
    extraEnvironment.remove("QT_QPA_PLATFORM");
    expectJson({"restore"}, 3, {false, 0, "none"},
               "The kept limit was not restored: Password-free VRAM changes are off.", password);

    expectJson({"set", "12", "--no-password"}, 3, {false, 0, "none"},
               "forbids asking for the password. Turn them on with 'orvane helper on'.");
    // Nothing to read a password from (stdin no terminal and empty): nobody cancelled anything.
    expectJson({"set", "12"}, 3, {false, 0, "none"},
               "No terminal to ask for the administrator password on; turn password-free changes "
               "on with 'orvane helper on'.");
    EXPECT_THAT(expectJson({"set", "12"}, 0, {true, 12288, "password"}, {}, password).err,
                HasSubstr("Orvane needs administrator access to change the GPU memory limit."));
    expectJson({"set", "12GB"}, 0, {false, 12288, "none"}, {}, password);
    expectJson({"set", "12288MB", "--no-password"}, 0, {false, 12288, "none"});
    EXPECT_EQ(orvane({"keep"}).out, "on, 12288 MB kept\n");

    for (const char* place : {"/private/var/folders/x7/T/AppTranslocation/5A1B/d/Orvane.app\n",
                              "/Users/ada/Applications/Orvane.app\nExtra\n", "Orvane.app"}) {
        dir.write("bundle.path", place);
        expect({"helper", "on"}, 3,
               "Move Orvane to the Applications folder and open it from there");
        EXPECT_EQ(orvane({"helper", "status"}).out, "off\n") << place;
    }
    dir.write("bundle.path", "/Users/ada/Applications/Orvane.app\n");
    expect({"helper", "on"}, 0, "Allow Orvane in System Settings \u2192 Login Items");
    EXPECT_EQ(orvane({"helper", "status"}).out, "needs approval\n");
    EXPECT_THAT(expect({"set", "13", "--no-password"}, 3,
                       "Allow Orvane in System Settings \u2192 Login Items.")
                    .err,
                Not(HasSubstr("orvane helper on")));
    dir.write("helper.approved", "");
    EXPECT_EQ(orvane({"helper", "status"}).out, "on\n");
    expectJson({"set", "14"}, 0, {true, 14336, "helper"});
    EXPECT_THAT(orvane({"status"}).out, HasSubstr("Keep limit after restart: on, 14336 MB kept\n"));
    const QJsonObject kept = statusJson();
    EXPECT_TRUE(kept["keepLimitAfterRestart"].toBool());
    EXPECT_EQ(kept["keptLimitMB"].toInteger(), 14336);

    restart();
    runApplicationUntil("Restored the kept limit of 14336 MB", {});
    EXPECT_EQ(dir.limit(), "14336\n");
    restart();
    EXPECT_THAT(expectJson({"restore"}, 0, {true, 14336, "helper"}, {}, password).err,
                HasSubstr("Restored the kept limit: 14336 MB.\n"));
    EXPECT_THAT(expectJson({"restore"}, 0, {false, 14336, "none"}).err,
                HasSubstr("Nothing to restore: the GPU memory limit is already set (14336 MB).\n"));

    restart(); // the default forgets the kept limit, also when the variable reads 0 already
    expectJson({"reset"}, 0, {true, 0, "none"});
    expectJson({"reset"}, 0, {false, 0, "none"});
    EXPECT_EQ(orvane({"keep"}), (Outcome{0, "on, nothing kept\n", ""}));
    EXPECT_TRUE(statusJson()["keptLimitMB"].isNull());
    expect({"helper", "off"}, 0);
    EXPECT_EQ(orvane({"helper", "status"}).out, "off\n");
    expectJson({"keep", "off"}, 0, {true, 0, "none"});
    expectJson({"keep", "off"}, 0, {false, 0, "none"});
    EXPECT_EQ(orvane({"keep"}).out, "off\n");
    EXPECT_EQ(orvane({"restore", "--json"}).err,
              "Nothing to restore: keeping the limit after a restart is off.\n");
    storeSettings("[General]\nkeepLimitAfterRestart=true\nkeptLimitMB=15360\n");
    expect({"restore"}, 1, "The kept limit of 15360 MB is outside the allowed range");
}

// Whatever closes the password-free road, --no-password says what did; no wait on the helper
// outlasts its deadline, and each says which it was.
TEST_F(CliTest, NoPasswordSaysWhyThePasswordFreeRoadWasClosed) {
    allowHelper();
    extraEnvironment.insert("ORVANE_HELPER_DEADLINE", "1");
    dir.write("stuck",
              "#!/bin/sh\necho $$ > '" + (dir / "stuck.pid").string() + "'\nexec sleep 60\n");
    std::filesystem::permissions(dir / "stuck", std::filesystem::perms::owner_all);
    // A socket in the helper's place that accepts nothing; when full, its queue of one is taken.
    const auto listening = [&](bool full) {
        auto fds = std::make_shared<std::vector<sim::UniqueFd>>();
        int error = 0;
        fds->push_back(sim::listenSeqpacket(dir.socketPath(), &error));
        if (full) {
            ::listen(fds->front().get(), 0);
            fds->push_back(sim::connectSeqpacket(dir.socketPath(), &error));
        }
        return std::shared_ptr<void>(fds);
    };
    const auto startLock = [&] { // held by an Orvane stopped while starting the helper
        auto lock = std::make_shared<sim::UniqueFd>(
            ::open((dir / "helper.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        ::flock(lock->get(), LOCK_EX);
        return std::shared_ptr<void>(lock);
    };
    struct Case {
        std::string reason;
        std::function<std::shared_ptr<void>()> arrange; // what it gives is held for the run
        std::string helper = ORVANE_HELPER_PATH;
    };
    const Case cases[] = {
        {"The helper did not reply within 1 second.", [&] { return listening(false); }},
        {"Connecting to the helper took longer than 1 second", [&] { return listening(true); }},
        {"held the lock for starting the helper", startLock},
        {"Could not start the helper /nowhere/OrvaneHelper: No such file or directory.",
         [] { return nullptr; }, "/nowhere/OrvaneHelper"},
        {"The helper speaks protocol 2, and Orvane speaks protocol 1.",
         [&] {
             return std::make_shared<DoubleServer>(dir, [](const wire::Message&) { return 2; });
         }},
        {"The helper was started but did not reply within 1 second.", [] { return nullptr; },
         (dir / "stuck").string()}, // it never serves
    };
    {
        // Where the password may be asked for, the change takes that road instead.
        const auto held = startLock();
        expect({"set", "12"}, 0, "", "secret\n");
        EXPECT_EQ(dir.limit(), "12288\n");
    }
    for (const Case& c : cases) {
        std::filesystem::remove(dir.socketPath());
        extraEnvironment.insert("ORVANE_HELPER_PATH", QString::fromStdString(c.helper));
        const auto held = c.arrange();
        EXPECT_THAT(expect({"set", "13", "--no-password"}, 3, c.reason).err,
                    AllOf(HasSubstr("The password-free change did not go through: "),
                          HasSubstr(" --no-password forbids asking for the password."),
                          Not(HasSubstr("orvane helper on"))));
    }
    ::kill(std::stoi(dir.read("stuck.pid")), SIGKILL);
}

// A setting or a limit that did not reach its file is a failure that says why, and what was stored
// before stays; a kept limit that is no number of megabytes is said to be one. A file-size limit
// is reported instead of ending the command, also by the helper started under it.
TEST_F(CliTest, ASettingThatIsNotStoredIsAFailureThatSaysWhy) {
    for (const char* kept : {"abc", "40960.5", "12345678901234567890"}) {
        storeSettings("[General]\nkeepLimitAfterRestart=true\nkeptLimitMB=" + std::string(kept) +
                      "\n");
        const std::string corrupt =
            "The kept limit in Orvane's settings is not a whole number of megabytes.\n";
        EXPECT_EQ(expect({"keep"}, 3).err, corrupt) << kept;
        EXPECT_EQ(expect({"restore"}, 3).err, "The kept limit was not restored: " + corrupt);
    }

    dir.write("iogpu.wired_limit_mb", "10240\n");
    expect({"keep", "on"}, 0);
    const std::string unsaved =
        "Orvane could not save its settings to " + settingsFile().string() + ": ";
    shellPrelude = "ulimit -f 0";
    expect({"keep", "off"}, 3, unsaved + "File too large.");
    expect({"set", "12"}, 3, "sysctl: iogpu.wired_limit_mb: File too large", "secret\n");
    shellPrelude.clear();
    EXPECT_EQ(orvane({"keep"}).out, "on, 10240 MB kept\n");

    // A read-only settings file: after a restart the limit kept before would come back. Nothing in
    // force needs storing, so only what would store fails.
    const std::string stored = readFile(settingsFile());
    std::filesystem::permissions(settingsFile(), std::filesystem::perms::owner_read);
    asOwner = true;
    expectJson({"set", "10"}, 0, {false, 10240, "none"});
    expectJson({"keep", "on"}, 0, {false, 10240, "none"});
    expectJson({"keep", "off"}, 3, {true, 10240, "none"}, unsaved + "Permission denied.");
    EXPECT_THAT(
        expect({"set", "12"}, 3, "", "secret\n").err,
        HasSubstr("The GPU memory limit is now 12288 MB.\n" + unsaved + "Permission denied.\n"));
    EXPECT_EQ(dir.limit(), "12288\n");
    // fit --set changes the limit as set does, and so fails alike when the kept one is not stored.
    expect({"fit", "12GB", "--set"}, 3, "could not save its settings", "secret\n");
    EXPECT_EQ(dir.limit(), "13312\n");
    EXPECT_EQ(readFile(settingsFile()), stored);
    allowHelper();
    shellPrelude = "ulimit -f 0";
    expect({"set", "14", "--no-password"}, 3,
           "The helper could not set the limit: File too large.");
    shellPrelude.clear();
    EXPECT_EQ(dir.limit(), "13312\n");

    // A sim folder that cannot be made names the real cause.
    std::filesystem::create_directory(dir / "locked");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
    extraEnvironment.insert("ORVANE_SIM_DIR",
                            QString::fromStdString((dir / "locked/a/sim").string()));
    EXPECT_THAT(orvane({"status"}).err,
                HasSubstr("cannot prepare the sim directory " + (dir / "locked/a/sim").string() +
                          ": Permission denied"));
}

TEST_F(CliTest, StorageThatIsNotTheUsersOwnIsRefused) {
    std::filesystem::create_directories(settingsFile().parent_path());
    ASSERT_EQ(::mkfifo(settingsFile().c_str(), 0600), 0);
    expect({"status"}, 3,
           "Orvane does not use the settings file " + settingsFile().string() + ": it is a FIFO");
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
    expect({"helper", "on"}, 3, belongs);
    EXPECT_EQ(dir.read("helper.status"), "");
}

// Whoever scripts "Orvane <command>" gets what orvane answers, to the byte and the exit status;
// orvane loads no graphical library, neither directly nor through another one: none of Qt's but
// Core, nothing of OpenGL or a display server. Orvane, which does, shows that the check sees them.
TEST_F(CliTest, TheApplicationAnswersCommandsAsTheLeanOrvaneDoes) {
    allowHelper();
    dir.write("iogpu.wired_limit_mb", "12288\n");
    for (const QStringList& arguments :
         {QStringList{"status", "--json"}, QStringList{"set", "99"},
          QStringList{"set", "12", "--json"}, QStringList{"frobnicate"}}) {
        const Outcome lean = orvane(arguments);
        EXPECT_EQ(orvane(arguments, {}, ORVANE_APP_PATH), lean)
            << arguments.join(' ').toStdString() << ": " << lean.out << lean.err;
    }
    EXPECT_EQ(statusJson()["limitMB"].toInteger(), 12288);
    // An orvane without the application it hands the command to still leaves one object.
    TempDir alone;
    std::filesystem::copy_file(ORVANE_CLI_PATH, alone / "orvane");
    std::filesystem::permissions(alone / "orvane", std::filesystem::perms::owner_all);
    expectJson({"keep", "on"}, 3, {false, 12288, "none"},
               "Couldn't run " + (alone / "Orvane").string(), {},
               QString::fromStdString((alone / "orvane").string()));
    const auto libraries = [](const QString& program) {
        QProcess ldd;
        ldd.start("ldd", {program});
        EXPECT_TRUE(ldd.waitForFinished(30000));
        return QString::fromLocal8Bit(ldd.readAllStandardOutput());
    };
    static const QRegularExpression graphical(
        R"(\blib(Qt6(Gui|Widgets|Network|DBus|OpenGL)|GLX?|EGL|OpenGL|X11|xcb|wayland)\S*\.so)");
    const QString lean = libraries(ORVANE_CLI_PATH);
    EXPECT_FALSE(lean.contains(graphical)) << lean.toStdString();
    EXPECT_TRUE(libraries(ORVANE_APP_PATH).contains(graphical));
}

// One Orvane at a time: a later start shows the running one's popover and ends. One that was
// killed leaves its lock and socket behind, and the next start runs all the same.
TEST_F(CliTest, ALaterOrvaneShowsTheRunningOnesPopoverAndEnds) {
    for (const char* which : {"the first", "one after a killed one"}) {
        QProcess running;
        start(running, {}, ORVANE_APP_PATH);
        ASSERT_TRUE(running.waitForStarted());
        // It has claimed its place once its lock names it and its socket is there (after a killed
        // one, the socket is there already, stale).
        const std::string holder = std::to_string(running.processId()) + "\n";
        ASSERT_TRUE(eventually(
            [&] {
                return dir.read("orvane.instance.lock").starts_with(holder) &&
                       std::filesystem::exists(dir / "orvane.instance");
            },
            20s))
            << which;
        const Outcome later = orvane({}, {}, ORVANE_APP_PATH);
        EXPECT_EQ(later.status, 0);
        EXPECT_THAT(later.err, HasSubstr("Orvane is already running; its popover is shown.\n"));
        EXPECT_EQ(running.state(), QProcess::Running) << which;
        running.kill();
        running.waitForFinished();
    }
}

} // namespace
} // namespace orvane::test
