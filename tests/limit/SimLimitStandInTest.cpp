#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>

#include "app/limit/PasswordScript.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/limit/QtDefaults.h"
#include "platform/sim/limit/SimAdminRunner.h"
#include "platform/sim/limit/XdgLoginItem.h"
#include "tests/support/TempDir.h"

namespace orvane::sim {
namespace {

TEST(QtDefaults, TextLeftByAnEarlierRunReadsAsTheAskedTypeOrNotAtAll) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "com.halvern.Orvane");
    dir.write("com.halvern.Orvane/Orvane.conf", "[General]\nlastKnownVRAMGB=0.75\n"
                                                "helperOfferShown=true\nenableFunMode=yes\n"
                                                "agreedTermsVersion=2.3\n");
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    QtDefaults defaults;
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaults.doubleValue("lastKnownVRAMGB"), 0.75);
    EXPECT_EQ(defaults.boolValue("helperOfferShown"), true);
    EXPECT_EQ(defaults.stringValue("agreedTermsVersion"), "2.3");
    EXPECT_EQ(defaults.boolValue("enableFunMode"), std::nullopt);
    EXPECT_EQ(defaults.boolValue("lastKnownVRAMGB"), std::nullopt);
    EXPECT_EQ(defaults.doubleValue("helperOfferShown"), std::nullopt);
    EXPECT_EQ(defaults.doubleValue("absent"), std::nullopt);

    defaults.setDouble("lastKnownVRAMGB", 14.5);
    defaults.setBool("enableFunMode", false);
    EXPECT_EQ(defaults.doubleValue("lastKnownVRAMGB"), 14.5);
    EXPECT_EQ(defaults.boolValue("enableFunMode"), false);
    const std::string file = dir.read("com.halvern.Orvane/Orvane.conf");
    EXPECT_NE(file.find("lastKnownVRAMGB=14.5\n"), std::string::npos) << file;
}

class SimAdminRunnerTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::vector<std::string> prompts;
    bool answer = true;
    SimAdminRunner runner{dir.path(), [this](const std::string& prompt) {
                              prompts.push_back(prompt);
                              return answer;
                          }};
    void SetUp() override { dir.write(limitFileName, "0\n"); }
    std::optional<std::string> messageOf(const std::string& source) {
        const auto outcome = runner.run(source);
        return outcome.error ? outcome.error->message : std::nullopt;
    }
};

TEST_F(SimAdminRunnerTest, OkWritesTheValueAfterAskingWithTheScriptsPrompt) {
    const auto outcome = runner.run(passwordScriptSource(13312));
    EXPECT_TRUE(outcome.compiled);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(dir.read(limitFileName), "13312\n");
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0], "Orvane needs administrator access to change the GPU memory limit.");
}

TEST_F(SimAdminRunnerTest, CancelGivesMinus128AndWritesNothing) {
    answer = false;
    const auto outcome = runner.run(passwordScriptSource(8192));
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->number, -128);
    EXPECT_EQ(outcome.error->message, "User canceled.");
    EXPECT_EQ(dir.read(limitFileName), "0\n");
}

TEST_F(SimAdminRunnerTest, RefusesWhatItCannotReadOrRun) {
    const std::string source = passwordScriptSource(8192);
    for (const std::string& garbled :
         {std::string("rm -rf /"), source + "\n", source.substr(0, source.size() - 1),
          std::string(
              "do shell script \"a\\\" b\" with prompt \"p\" with administrator privileges")}) {
        EXPECT_FALSE(runner.run(garbled).compiled) << garbled;
    }
    EXPECT_TRUE(prompts.empty());
    const std::string tail = "\" with prompt \"p\" with administrator privileges";
    EXPECT_EQ(messageOf("do shell script \"/bin/rm -rf ~" + tail),
              "The stand-in runs only /usr/sbin/sysctl -w iogpu.wired_limit_mb=<number>.");
    EXPECT_EQ(messageOf("do shell script \"/usr/sbin/sysctl -w iogpu.wired_limit_mb=1; id" + tail),
              "sysctl: iogpu.wired_limit_mb: Invalid argument");
    EXPECT_EQ(messageOf(passwordScriptSource(4294967296)),
              "sysctl: iogpu.wired_limit_mb: Numerical result out of range");
    std::filesystem::remove(dir / limitFileName);
    EXPECT_EQ(messageOf(source), "sysctl: unknown oid 'iogpu.wired_limit_mb'");
}

TEST(XdgLoginItem, WritesAProperEntryForThisProgramAndRemovesIt) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    XdgLoginItem item;
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(item.isEnabled());
    ASSERT_EQ(item.setEnabled(true), std::nullopt);
    EXPECT_TRUE(item.isEnabled());
    const std::string entry = dir.read("autostart/com.halvern.Orvane.desktop");
    EXPECT_EQ(entry, XdgLoginItem::desktopEntry(std::filesystem::read_symlink("/proc/self/exe")));
    EXPECT_TRUE(entry.starts_with("[Desktop Entry]\nType=Application\nName=Orvane\n"));

    dir.write("autostart/com.halvern.Orvane.desktop", entry + "Hidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(item.setEnabled(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "autostart/com.halvern.Orvane.desktop"));
    EXPECT_EQ(item.setEnabled(false), std::nullopt);
}

TEST(XdgLoginItem, QuotesOddProgramPathsAndRefusesLineBreaks) {
    const auto entry = XdgLoginItem::desktopEntry("/opt/my apps/$O\"rv%ane");
    EXPECT_NE(entry->find("\nExec=\"/opt/my apps/\\\\$O\\\\\"rv%%ane\"\n"), std::string::npos);

    test::TempDir dir;
    XdgLoginItem item(dir / "autostart/x.desktop", "/tmp/evil\nExec=/bin/sh");
    EXPECT_NE(item.setEnabled(true), std::nullopt);
    EXPECT_FALSE(item.isEnabled());
}

} // namespace
} // namespace orvane::sim
