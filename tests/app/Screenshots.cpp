// Renders the popover in its main states, and the terms window, to PNG files for a person to look
// at: orvane_screenshots <folder>. Runs offscreen, on the model's fakes.

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include "app/popover/ClickableRow.h"
#include "app/popover/ContentView.h"
#include "app/shell/TermsWindow.h"
#include "app/shell/UpdaterSettingsView.h"
#include "platform/sim/DirectoryBundle.h"
#include "tests/app/ShellFakes.h"
#include "tests/limit/LimitFakes.h"

using namespace orvane;
using namespace orvane::test;

namespace {

struct Shot {
    const char* name;
    std::uint64_t memory;
    std::function<void(ModelHarness&)> before = [](ModelHarness&) {}; // the machine and settings
    std::function<void(ContentView&)> after = [](ContentView&) {};    // what the user did
};

void save(QWidget& widget, const QDir& folder, const char* name) {
    QTest::qWait(400); // animations (the More Settings disclosure) finish first
    widget.adjustSize();
    const QString path = folder.filePath(QString(name) + ".png");
    widget.grab().save(path);
    std::printf("%s\n", path.toLocal8Bit().constData());
}

// Clicks the named rows and buttons, in order.
std::function<void(ContentView&)> clicking(std::vector<const char*> names) {
    return [names](ContentView& view) {
        for (const char* name : names) {
            auto* row = view.findChild<ClickableRow*>(name);
            row ? row->click() : view.findChild<QPushButton*>(name)->click();
        }
    };
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QDir folder(argc > 1 ? argv[1] : ".");
    FakeUpdater updater;

    const auto defaults = [](ModelHarness&) {};
    const std::vector<Shot> shots = {
        {"01-system-managed", gigabytes(16)},
        {"02-custom-limit", gigabytes(16), [](ModelHarness& h) { h.kernel.value = 14336; }},
        {"03-offer", gigabytes(16), defaults, clicking({"presetRow2"})},
        {"04-approval", gigabytes(16), defaults, clicking({"presetRow2", "turnOn"})},
        {"05-applying", gigabytes(36), [](ModelHarness& h) { h.service.current = 1; },
         clicking({"presetRow1"})},
        {"06-error", gigabytes(16), [](ModelHarness& h) { h.kernel.value = 10240; },
         [](ContentView& v) { v.model().applyVRAM(15.0); }},
        {"07-more-settings", gigabytes(64),
         [](ModelHarness& h) {
             h.service.current = 2;
             h.defaults.setBool("enableFunMode", true);
             h.kernel.value = 58 * 1024;
         },
         clicking({"moreSettingsRow", "changeUpdateSettings"})},
        {"08-small-machine", static_cast<std::uint64_t>(7.9 * 1073741824.0)},
    };
    for (const Shot& shot : shots) {
        ModelHarness harness;
        harness.memory.set(shot.memory);
        shot.before(harness);
        ContentViewHost host;
        host.moreSettings.makeUpdaterSettingsView = [&updater] {
            return new UpdaterSettingsView(updater);
        };
        host.moreSettings.version = "2.3.0";
        ContentView view(harness.makeModel(&harness.icon), std::move(host));
        view.show();
        shot.after(view);
        save(view, folder, shot.name);
    }

    sim::DirectoryBundle bundle(ORVANE_RESOURCES_DIR, {});
    TermsWindow terms(bundle, {}, {});
    terms.show();
    save(terms, folder, "09-terms");
    return 0;
}
