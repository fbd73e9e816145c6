// An update that brings a changed launchd list for the daemon, on the stand-in's registry and
// settings file: each launch is a new manager and a new reading of the settings, as a new process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/helperlink/ServiceRecord.h"
#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/QtDefaults.h"
#include "tests/limit/LimitFakes.h"
#include "tests/support/TempDir.h"

namespace orvane::test {
namespace {

using State = HelperManager::State;

const std::string oldList = "<plist><dict><key>Label</key></dict></plist>\n";
const std::string newList = "<plist><dict><key>Label</key><key>MachServices</key></dict></plist>\n";

// The stand-in's registry, noting what it is asked and refusing a given number of registrations
// with the error the system has been seen to give right after an unregister.
class Registry final : public ServiceManager {
public:
    explicit Registry(const std::filesystem::path& dir) : sim_(dir, sim::Caller::application) {}
    long status() override { return sim_.status(); }
    std::optional<std::string> registerService() override {
        journal.push_back("register");
        if (refusals > 0) {
            --refusals;
            return "Operation not permitted";
        }
        return sim_.registerService();
    }
    std::optional<std::string> unregisterService() override {
        journal.push_back("unregister");
        return sim_.unregisterService();
    }
    void openSystemSettingsLoginItems() override {}

    Journal journal;
    int refusals = 0;

private:
    sim::SimServiceManager sim_;
};

class HelperRenewal : public ::testing::Test {
protected:
    HelperRenewal() { std::filesystem::create_directory(dir / "settings"); }

    // One launch of the application carrying this list: a manager on the same registry and
    // settings file, renewing and waiting out a retry. What it asked the registry.
    Journal launch(const std::string& list) {
        registry.journal.clear();
        manager.reset();
        defaults = std::make_unique<sim::QtDefaults>(settingsFile);
        manager = std::make_unique<HelperManager>(registry, transport, queue, log);
        manager->keepRegistrationRecord(*defaults, list);
        bool done = false;
        manager->renewRegistrationIfChanged([&] { done = true; });
        queue.advance(HelperManager::renewalRetrySeconds + 1.0);
        EXPECT_TRUE(done);
        return registry.journal;
    }

    // The helper as a user of the given build left it: registered, allowed.
    void registeredBy(const std::string& list) {
        sim::QtDefaults defaults(settingsFile);
        HelperManager first(registry, transport, queue, log);
        first.keepRegistrationRecord(defaults, list);
        first.registerHelper();
        dir.write("helper.approved", "");
        ASSERT_EQ(first.state(), State::on);
    }

    bool approved() const { return std::filesystem::exists(dir / "helper.approved"); }

    TempDir dir;
    std::filesystem::path settingsFile = dir / "settings/Orvane.conf";
    Registry registry{dir.path()};
    FakeTransport transport;
    FakeMainQueue queue;
    FakeLog log;
    std::unique_ptr<sim::QtDefaults> defaults; // the settings as the last launch read them
    std::unique_ptr<HelperManager> manager;
};

TEST_F(HelperRenewal, OnlyAChangedListIsRegisteredAgainAndOnlyOnce) {
    // Registered by a build that recorded no digest: taken as current, the approval kept.
    dir.write("helper.status", "1\n");
    dir.write("helper.approved", "");
    EXPECT_THAT(launch(newList), ::testing::IsEmpty());
    EXPECT_THAT(launch(newList), ::testing::IsEmpty());
    EXPECT_TRUE(approved());

    // The list changes with an update: renewed once, which here costs the approval.
    registeredBy(oldList);
    EXPECT_THAT(launch(newList), ::testing::ElementsAre("unregister", "register"));
    EXPECT_EQ(sim::readServiceStatus(dir.path()), sim::serviceRequiresApproval);
    dir.write("helper.approved", "");
    EXPECT_THAT(launch(newList), ::testing::IsEmpty());
}

// The register that follows a successful unregister fails twice: the helper stays unregistered
// until the next launch, which finishes the renewal without unregistering anything.
TEST_F(HelperRenewal, ARegisterRefusedTwiceIsFinishedAtTheNextLaunch) {
    registeredBy(oldList);
    registry.refusals = 2;
    EXPECT_THAT(launch(newList), ::testing::ElementsAre("unregister", "register", "register"));
    EXPECT_EQ(manager->state(), State::off);
    EXPECT_THAT(launch(newList), ::testing::ElementsAre("register"));
    EXPECT_EQ(manager->state(), State::needsApproval);
    EXPECT_THAT(launch(newList), ::testing::IsEmpty());

    // Unless the user turns the helper off in between.
    registeredBy(oldList);
    registry.refusals = 2;
    launch(newList);
    manager->unregister();
    EXPECT_THAT(launch(newList), ::testing::IsEmpty());
    EXPECT_EQ(manager->state(), State::off);
}

// Without a record that can be saved, a renewal stopped halfway would never be finished, and each
// launch would cost the approval anew: none is attempted.
TEST_F(HelperRenewal, SettingsThatCannotBeSavedRenewNothing) {
    registeredBy(oldList);
    sim::QtDefaults defaults(settingsFile);
    ASSERT_TRUE(defaults.stringValue("helperPlistDigest"));
    // The folder is replaced by a file: the settings read, but nothing can be saved any more.
    std::filesystem::remove_all(dir / "settings");
    dir.write("settings", "");
    HelperManager stuck(registry, transport, queue, log);
    stuck.keepRegistrationRecord(defaults, newList);
    registry.journal.clear();
    stuck.renewRegistrationIfChanged({});
    queue.advance(5.0);
    EXPECT_THAT(registry.journal, ::testing::IsEmpty());
    EXPECT_TRUE(approved());
    EXPECT_EQ(stuck.state(), State::on);
}

// A renewal that costs the approval asks for it again at the next change, as the popover does after
// the helper is turned on, instead of taking the password road without a word; the user may still
// choose the password, and is then not asked again.
TEST_F(HelperRenewal, ARenewalAwaitingApprovalAsksForItAtTheNextChange) {
    registeredBy(oldList);
    launch(newList);
    ASSERT_EQ(manager->state(), State::needsApproval);
    FakeKernel kernel;
    FakeMemory memory{gigabytes(16)};
    FakeDefaults settings;
    settings.setBool("helperOfferShown", true);
    FakeAdminRunner admin;
    FakeLoginItem loginItem;
    ContentViewModel model(
        ContentServices{*manager, kernel, memory, settings, queue, admin, loginItem, log});
    model.onPopoverAppear();
    model.selectPreset(10.0);
    EXPECT_EQ(model.waitingForApprovalMB(), 10240);
    EXPECT_EQ(model.statusArea(), ContentViewModel::StatusArea::approval);
    EXPECT_THAT(admin.sources, ::testing::IsEmpty());

    model.usePasswordInstead(10240);
    queue.advance(1.0);
    model.selectPreset(12.0);
    queue.advance(1.0);
    EXPECT_EQ(admin.sources.size(), 2u);
    EXPECT_EQ(model.waitingForApprovalMB(), std::nullopt);
}

} // namespace
} // namespace orvane::test
