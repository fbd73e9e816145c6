// The application as main.cpp builds it, with the real Linux ports, except that the status item
// is headless so that it runs offscreen. It measures itself: resident memory and wake-ups with the
// popover closed, open, and closed again. With --ready-fd N it only reports, by one byte on N,
// that its status item is ready, and leaves.
//
// Run it without ORVANE_SIM_DIR and it keeps its sim directory and settings in a folder of its own.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include "app/helperlink/HelperManager.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ApplicationModel.h"
#include "app/shell/ShellTexts.h"
#include "bench/ProcStatus.h"
#include "platform/AppPlatform.h"

using namespace orvane;

namespace {

// A status item with a button but nothing on screen; its action is the click.
class HeadlessStatusItem final : public StatusItem {
public:
    bool hasButton() const override { return true; }
    void setImage(std::string_view) override {}
    void setAccessibilityLabel(std::string_view) override {}
    void setDotHidden(bool) override {}
    void setAction(std::function<void()> action) override { action_ = std::move(action); }
    std::optional<ScreenRect> buttonRect() const override { return std::nullopt; }

    void click() const {
        if (action_) {
            action_();
        }
    }

private:
    std::function<void()> action_;
};

struct Sample {
    long residentKB;
    long switches;
};

Sample sample() {
    return {bench::residentKilobytes(::getpid()), bench::contextSwitches(::getpid())};
}

// Runs the steps one after another on the event loop, each after the given pause.
void after(int milliseconds, std::function<void()> step) {
    QTimer::singleShot(milliseconds, qApp, std::move(step));
}

} // namespace

int main(int argc, char** argv) {
    int readyFd = -1;
    int seconds = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--ready-fd") {
            readyFd = std::atoi(argv[i + 1]);
        } else if (option == "--seconds") {
            seconds = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    std::filesystem::path scratch;
    if (!std::getenv("ORVANE_SIM_DIR")) {
        std::string pattern = "/tmp/orv-probe-XXXXXX";
        scratch = ::mkdtemp(pattern.data()) ? pattern : "";
        ::setenv("ORVANE_SIM_DIR", (scratch / "sim").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
        if (!std::getenv("XDG_RUNTIME_DIR")) {
            ::setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    int status = 0;
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName("Orvane");
        QApplication::setOrganizationDomain("com.halvern.Orvane");
        QApplication::setQuitOnLastWindowClosed(false);
        platform::prepareApplication();
        // Terms already agreed, so that the launch goes straight to the status item.
        platform::defaults().setString(shell_text::agreedTermsVersionKey,
                                       shell_text::currentTermsVersion);

        HeadlessStatusItem* item = nullptr;
        AppDelegate delegate(ShellServices{
            .defaults = platform::defaults(),
            .bundle = platform::bundle(),
            .makeStatusItem =
                [&item] {
                    auto made = std::make_unique<HeadlessStatusItem>();
                    item = made.get();
                    return made;
                },
            .makeUpdater = platform::makeUpdater,
            .makeModel = makeApplicationModel,
            .makeAccessory = platform::makeAccessory,
            .activate = platform::activateApplication,
            .terminate = platform::terminate,
            .afterStatusItem = {},
        });
        Sample closedStart{}, closedEnd{}, openStart{}, openEnd{}, reclosedStart{}, reclosedEnd{};
        const int window = seconds * 1000;
        after(0, [&] {
            delegate.applicationDidFinishLaunching();
            if (readyFd >= 0) {
                [[maybe_unused]] const ssize_t n = ::write(readyFd, "1", 1);
                QApplication::exit(item ? 0 : 1);
                return;
            }
            after(1000, [&] {
                closedStart = sample();
                after(window, [&] {
                    closedEnd = sample();
                    item->click();
                    delegate.popover().grab();
                    after(1000, [&] {
                        openStart = sample();
                        after(window, [&] {
                            openEnd = sample();
                            item->click(); // closed again; its last content stays attached
                            after(1000, [&] {
                                reclosedStart = sample();
                                after(window, [&] {
                                    reclosedEnd = sample();
                                    QApplication::exit(0);
                                });
                            });
                        });
                    });
                });
            });
        });
        status = QApplication::exec();
        if (readyFd < 0) {
            std::printf("app_threads %ld\n", bench::threadCount(::getpid()));
            std::printf("app_rss_closed_kb %ld\n", closedEnd.residentKB);
            std::printf("app_rss_open_kb %ld\n", openEnd.residentKB);
            // Each window includes the one wake-up of the probe's own timer that ends it.
            std::printf("app_wakeups_closed_per_%ds %ld\n", seconds,
                        closedEnd.switches - closedStart.switches);
            std::printf("app_wakeups_open_per_%ds %ld\n", seconds,
                        openEnd.switches - openStart.switches);
            std::printf("app_wakeups_closed_again_per_%ds %ld\n", seconds,
                        reclosedEnd.switches - reclosedStart.switches);
        }
    }
    if (!scratch.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(scratch, ec);
    }
    return status;
}
