#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/limit/PasswordScript.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/limit/ConfigHome.h"
#include "platform/sim/limit/QtDefaults.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "platform/sim/limit/XdgLoginItem.h"
#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

// Text left by an earlier run reads as the asked type or not at all; a settings file that is not a
// regular file of ours is never opened.
TEST(QtDefaults, ReadTheAskedTypeOnlyAndNeverOpenAFileThatIsNotARegularFileOfOurs) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "com.halvern.Orvane");
    const std::string conf = "com.halvern.Orvane/Orvane.conf";
    dir.write(conf, "[General]\nlastKnownVRAMGB=0.75\nhelperOfferShown=true\nenableFunMode=yes\n"
                    "keptLimitMB=12288\n");
    QtDefaults defaults(dir / conf); // where it lies is for the command line's tests
    EXPECT_EQ(defaults.doubleValue("lastKnownVRAMGB"), 0.75);
    EXPECT_EQ(defaults.boolValue("helperOfferShown"), true);
    EXPECT_EQ(defaults.boolValue("enableFunMode"), std::nullopt);
    EXPECT_EQ(defaults.doubleValue("helperOfferShown"), std::nullopt);
    defaults.setDouble("lastKnownVRAMGB", 14.5);
    EXPECT_NE(dir.read(conf).find("lastKnownVRAMGB=14.5\n"), std::string::npos);

    EXPECT_EQ(defaults.integerValue("keptLimitMB"), 12288);
    EXPECT_EQ(defaults.integerValue("lastKnownVRAMGB"), std::nullopt); // 14.5 is not whole
    defaults.setInteger("keptLimitMB", 14336);
    EXPECT_NE(dir.read(conf).find("keptLimitMB=14336\n"), std::string::npos);
    defaults.remove("keptLimitMB");
    EXPECT_EQ(dir.read(conf).find("keptLimitMB"), std::string::npos);

    dir.write("target", "[General]\nlastKnownVRAMGB=3\n");
    const std::filesystem::path file = dir / "com.halvern.Orvane/linked.conf";
    std::filesystem::create_symlink(dir / "target", file);
    EXPECT_EQ(QtDefaults::locationProblem(file),
              "Orvane does not use the settings file " + file.string() +
                  ": it is a symbolic link, not a regular file.");
    QtDefaults linked(file);
    EXPECT_EQ(linked.doubleValue("lastKnownVRAMGB"), std::nullopt);
    linked.setDouble("lastKnownVRAMGB", 14.5); // kept for this run only
    EXPECT_EQ(linked.doubleValue("lastKnownVRAMGB"), 14.5);
    EXPECT_EQ(dir.read("target"), "[General]\nlastKnownVRAMGB=3\n");
    EXPECT_EQ(linked.sync(),
              *QtDefaults::locationProblem(file) + " Settings are kept only until Orvane quits.");

    // Without HOME the password database names the home folder; never a shared one like /tmp.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    const passwd* entry = ::getpwuid(::geteuid());
    EXPECT_EQ(configHome(),
              entry ? std::filesystem::path(entry->pw_dir) / ".config" : std::filesystem::path());
    ::setenv("HOME", home.c_str(), 1);
}

// A write that did not reach the file is no success: sync says why, the value holds for this run,
// and once writing works again the next sync stores it.
TEST(QtDefaults, SyncSaysWhyAWriteFailedAndStoresItOnceWritingWorksAgain) {
    test::TempDir dir;
    const std::filesystem::path file = dir / "Orvane.conf";
    QtDefaults defaults(file);
    defaults.setBool("keepLimitAfterRestart", true);
    EXPECT_EQ(defaults.sync(), std::nullopt);
    {
        // A file-size limit of 0 stops root too.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit none{0, saved.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &none);
        defaults.setBool("keepLimitAfterRestart", false);
        const auto unsaved = defaults.sync();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(unsaved,
                  "Orvane could not save its settings to " + file.string() + ": File too large.");
    }
    EXPECT_EQ(defaults.boolValue("keepLimitAfterRestart"), false);
    EXPECT_EQ(dir.read("Orvane.conf"), "[General]\nkeepLimitAfterRestart=true\n");
    EXPECT_EQ(defaults.sync(), std::nullopt);
    EXPECT_EQ(dir.read("Orvane.conf"), "[General]\nkeepLimitAfterRestart=false\n");
}

// Asking, cancelling, writing, a missing variable and a write's own error (a file-size limit) are
// run through the command line's tests, as is a sim directory that cannot be made.
TEST(SimAdminRunner, RunsOnlyTheSysctlOfAScriptItCanReadAndSaysWhyItCouldNot) {
    test::TempDir dir;
    dir.write(limitFileName, "0\n");
    int prompts = 0;
    SimAdminRunner runner(dir.path(), [&](const std::string&) { return ++prompts > 0; });
    EXPECT_FALSE(runner.run(passwordScriptSource(8192) + "; rm -rf ~").compiled);
    EXPECT_EQ(prompts, 0); // no password asked for text it cannot read
    const auto message = [&](const std::string& command) {
        return runner
            .run("do shell script \"" + command +
                 R"(" with prompt "p" with administrator privileges)")
            .error->message;
    };
    EXPECT_EQ(message("/bin/rm -rf ~"),
              "The stand-in runs only /usr/sbin/sysctl -w iogpu.wired_limit_mb=<number>.");
    EXPECT_EQ(message("/usr/sbin/sysctl -w iogpu.wired_limit_mb=4294967296"),
              "sysctl: iogpu.wired_limit_mb: Numerical result out of range");
    // A dialog that gave no answer is a failure with its reason, not a cancellation.
    SimAdminRunner unanswered(dir.path(), [](const std::string&) {
        return SimAdminRunner::PasswordAnswer::failed("No dialog.");
    });
    const auto error = unanswered.run(passwordScriptSource(8192)).error;
    EXPECT_EQ(error->message, "No dialog.");
    EXPECT_NE(error->number, -128);
    EXPECT_EQ(dir.read(limitFileName), "0\n");
}

TEST(XdgLoginItem, WritesAnEntryForTheApplicationAndRemovesItAndRefusesLineBreaks) {
    test::TempDir dir;
    const std::string file = "autostart/com.halvern.Orvane.desktop";
    // Where the entry lies and what it starts are for the command line's tests.
    XdgLoginItem item(dir / file, "/opt/Orvane", Caller::application);
    ASSERT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
    // Another program's login item is its own, not the application's.
    XdgLoginItem other(dir / file, "/opt/orvane", Caller::otherProgram);
    EXPECT_FALSE(other.isEnabled());
    EXPECT_NE(other.setEnabled(false), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
    dir.write(file, dir.read(file) + "Hidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(item.setEnabled(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / file));

    // Odd program paths are quoted; line breaks are refused.
    const auto odd = XdgLoginItem::desktopEntry("/opt/my apps/$O\"rv%ane");
    EXPECT_NE(odd->find("\nExec=\"/opt/my apps/\\\\$O\\\\\"rv%%ane\"\n"), std::string::npos);
    // The icon's path is a string value; one with a line break is left out, not written.
    EXPECT_NE(XdgLoginItem::desktopEntry("/opt/Orvane", "/opt/r\\es/AppIcon_512.png")
                  ->find("\nIcon=/opt/r\\\\es/AppIcon_512.png\n"),
              std::string::npos);
    EXPECT_EQ(XdgLoginItem::desktopEntry("/opt/Orvane", "/opt/x\nExec=/bin/sh")->find("/bin/sh"),
              std::string::npos);
    XdgLoginItem evil(dir / "autostart/x.desktop", "/tmp/evil\nExec=/bin/sh", Caller::application);
    EXPECT_NE(evil.setEnabled(true), std::nullopt);
    EXPECT_FALSE(evil.isEnabled());
}

} // namespace
} // namespace orvane::sim
