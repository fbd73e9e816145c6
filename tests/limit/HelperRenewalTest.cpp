// An update that brings a changed launchd list for the daemon, on the stand-in's registry and
// settings file: each launch is a new manager and a new reading of the settings, as a new process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/helperlink/SimServiceManager.h"
#include "platform/sim/limit/QtDefaults.h"
#include "tests/limit/LimitFakes.h"
#include "tests/support/TempDir.h"

namespace orvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = HelperManager::State;

const std::string oldList = "<plist><key>Label</key></plist>\n";
const std::string newList = "<plist><key>Label</key><key>MachServices</key></plist>\n";

// The stand-in's registry, noting what it is asked, and refusing as many registrations as told
// with what the system has been seen to answer right after an unregister.
struct Registry final : ServiceManager {
    explicit Registry(const std::filesystem::path& dir) : standIn(dir, sim::Caller::application) {}
    long status() override { return standIn.status(); }
    std::optional<std::string> registerService() override {
        journal.push_back("register");
        return refusals-- > 0 ? "Operation not permitted" : standIn.registerService();
    }
    std::optional<std::string> unregisterService() override {
        journal.push_back("unregister");
        return standIn.unregisterService();
    }
    void openSystemSettingsLoginItems() override {}
    sim::SimServiceManager standIn;
    Journal journal;
    int refusals = 0;
};

class HelperRenewal : public ::testing::Test {
protected:
    HelperRenewal() { std::filesystem::create_directory(dir / "settings"); }

    // The helper registered by a build carrying this list, and allowed by the user.
    void registeredBy(const std::string& list) {
        launch(list, false);
        manager->registerHelper();
        dir.write("helper.approved", "");
    }
    // One launch carrying this list, renewing unless told not to, a retry waited out: what it
    // asked the registry.
    Journal launch(const std::string& list, bool renew = true) {
        registry.journal.clear();
        manager.reset();
        defaults = std::make_unique<sim::QtDefaults>(dir / "settings/Orvane.conf");
        manager = std::make_unique<HelperManager>(registry, transport, queue, log);
        manager->keepRegistrationRecord(*defaults, list, bundlePath);
        if (renew) {
            manager->renewRegistrationIfChanged({});
            queue.advance(HelperManager::renewalRetrySeconds + 1.0);
        }
        return registry.journal;
    }

    TempDir dir;
    Registry registry{dir.path()};
    FakeTransport transport;
    FakeMainQueue queue;
    FakeLog log;
    std::unique_ptr<sim::QtDefaults> defaults;
    std::unique_ptr<HelperManager> manager;
    std::filesystem::path bundlePath = "/Applications/Orvane.app";
};

TEST_F(HelperRenewal, OnlyAChangedListIsRegisteredAgainOnceAndOnlyWithARecordThatIsSaved) {
    // Registered by a build that recorded no digest: taken as current, the approval kept.
    dir.write("helper.status", "1\n");
    dir.write("helper.approved", "");
    EXPECT_THAT(launch(newList), IsEmpty());
    EXPECT_THAT(launch(newList), IsEmpty());
    EXPECT_EQ(manager->state(), State::on);

    // Settings that read but cannot be saved (their folder gone): a renewal stopped halfway could
    // never be finished, and each launch would cost the approval anew. None is attempted.
    registeredBy(oldList);
    launch(newList, false);
    std::filesystem::remove_all(dir / "settings");
    dir.write("settings", "");
    manager->renewRegistrationIfChanged({});
    queue.advance(5.0);
    EXPECT_THAT(registry.journal, IsEmpty());
    EXPECT_EQ(manager->state(), State::on);

    // The list changed with an update: registered again once, which here costs the approval;
    // but never from a copy launchd would lose, such as the one a download runs translocated.
    std::filesystem::remove(dir / "settings");
    std::filesystem::create_directory(dir / "settings");
    registeredBy(oldList);
    bundlePath = "/private/var/folders/x/T/AppTranslocation/1-2/d/Orvane.app";
    EXPECT_THAT(launch(newList), IsEmpty());
    bundlePath = "/Applications/Orvane.app";
    EXPECT_THAT(launch(newList), ElementsAre("unregister", "register"));
    EXPECT_EQ(manager->state(), State::needsApproval);
    dir.write("helper.approved", "");
    EXPECT_THAT(launch(newList), IsEmpty());
}

// Refused twice after the unregister went through, the helper stays unregistered until the next
// launch finishes the renewal, unless the user turns it off in between.
TEST_F(HelperRenewal, ARefusedRegisterIsFinishedAtTheNextLaunch) {
    for (const bool turnedOff : {false, true}) {
        registeredBy(oldList);
        registry.refusals = 2;
        EXPECT_THAT(launch(newList), ElementsAre("unregister", "register", "register"));
        EXPECT_EQ(manager->state(), State::off);
        if (turnedOff) {
            manager->unregister();
        }
        EXPECT_THAT(launch(newList), turnedOff ? Journal{} : Journal{"register"});
        EXPECT_EQ(manager->state(), turnedOff ? State::off : State::needsApproval);
        EXPECT_THAT(launch(newList), IsEmpty());
    }
}

// A renewal that cost the approval asks for it at the next change with the popover's approval
// prompt, as after turning the helper on, instead of taking the password road without a word.
// Choosing the password answers it for good.
TEST_F(HelperRenewal, ARenewalAwaitingApprovalAsksForItAtTheNextChange) {
    registeredBy(oldList);
    launch(newList);
    FakeKernel kernel;
    FakeMemory memory{gigabytes(16)};
    FakeDefaults settings;
    settings.setBool("helperOfferShown", true);
    FakeAdminRunner admin;
    FakeLoginItem loginItem;
    ContentViewModel model(
        ContentServices{*manager, kernel, memory, settings, queue, admin, loginItem, log});
    model.selectPreset(10.0);
    EXPECT_EQ(model.statusArea(), ContentViewModel::StatusArea::approval);
    EXPECT_EQ(model.waitingForApprovalMB(), 10240);
    model.usePasswordInstead(10240);
    queue.advance(1.0);
    model.selectPreset(12.0);
    queue.advance(1.0);
    EXPECT_EQ(admin.sources.size(), 2u);
}

} // namespace
} // namespace orvane::test
