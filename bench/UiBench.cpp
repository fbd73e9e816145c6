// What the user waits for on screen: a fresh popover's root view built and painted, and the
// application's start up to a ready status item, in process on fakes and as a whole process.

#include <benchmark/benchmark.h>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>

#include "app/popover/ContentView.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ShellTexts.h"
#include "platform/sim/DirectoryBundle.h"
#include "tests/app/ShellFakes.h"
#include "tests/limit/LimitFakes.h"

namespace orvane::bench {
namespace {

std::unique_ptr<ContentViewModel> makeModel(test::ModelHarness& harness) {
    return std::make_unique<ContentViewModel>(
        ContentServices{harness.manager, harness.kernel, harness.memory, harness.defaults,
                        harness.queue, harness.admin, harness.loginItem, harness.log, nullptr});
}

void freshContentViewPainted(benchmark::State& state) {
    test::ModelHarness harness;
    for (auto _ : state) {
        ContentViewHost host;
        host.moreSettings.version = "2.3.0";
        auto view = std::make_unique<ContentView>(makeModel(harness), std::move(host));
        const QPixmap painted = view->grab();
        benchmark::DoNotOptimize(painted.cacheKey());
        state.PauseTiming();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(freshContentViewPainted)->Unit(benchmark::kMillisecond);

// The delegate's launch with the terms already agreed: the status item and the first popover
// content, on fakes.
void launchToStatusItemInProcess(benchmark::State& state) {
    test::ModelHarness harness;
    harness.defaults.setString(shell_text::agreedTermsVersionKey, shell_text::currentTermsVersion);
    sim::DirectoryBundle bundle(sim::DirectoryBundle::defaultResourceDirectory(),
                                {{"CFBundleShortVersionString", "2.3.0"}});
    for (auto _ : state) {
        auto delegate = std::make_unique<AppDelegate>(ShellServices{
            .defaults = harness.defaults,
            .bundle = bundle,
            .makeStatusItem = [] { return std::make_unique<test::FakeStatusItem>(); },
            .makeUpdater = [] { return std::make_unique<test::FakeUpdater>(); },
            .makeModel = [&harness] { return makeModel(harness); },
            .makeAccessory = [] {},
            .activate = [] {},
            .terminate = [] {},
            .afterStatusItem = {},
        });
        delegate->applicationDidFinishLaunching();
        if (!delegate->statusItem()) {
            state.SkipWithError("no status item after launch");
            break;
        }
        state.PauseTiming();
        delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(launchToStatusItemInProcess)->Unit(benchmark::kMillisecond);

// The whole process: exec, the Qt libraries, the real Linux ports and the delegate, until the
// probe reports its status item ready through a pipe.
void launchToStatusItemAsProcess(benchmark::State& state) {
    for (auto _ : state) {
        int ready[2];
        if (::pipe(ready) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            const std::string fd = std::to_string(ready[1]);
            ::execl(ORVANE_APP_PROBE_PATH, "orvane_app_footprint", "--ready-fd", fd.c_str(),
                    static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(ready[1]);
        char byte = 0;
        const bool reported = ::read(ready[0], &byte, 1) == 1;
        state.PauseTiming();
        ::close(ready[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        state.ResumeTiming();
        if (!reported) {
            state.SkipWithError("the probe did not report a status item");
            break;
        }
    }
}
BENCHMARK(launchToStatusItemAsProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace orvane::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
