#pragma once

#include <memory>

#include "app/limit/ContentViewModel.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"
#include "tests/support/FakeServices.h"

// Port fakes for the popover's model, and a harness that opens one model on them.
namespace orvane::test {

class FakeAdminRunner final : public AdminRunner {
public:
    std::vector<std::string> sources;
    Outcome outcome;
    std::function<void()> duringRun = [] {}; // what happens while the password dialog is up
    Outcome run(const std::string& source) override {
        sources.push_back(source);
        duringRun();
        return outcome;
    }
};

class FakeLoginItem final : public LoginItem {
public:
    bool enabled = false;
    std::optional<std::string> error;
    bool isEnabled() override { return enabled; }
    std::optional<std::string> setEnabled(bool on) override {
        enabled = error ? enabled : on;
        return error;
    }
};

class FakeGpuMemory final : public GpuMemoryStats {
public:
    Reading reading; // unknown until a test sets it
    int reads = 0;
    Reading read() override {
        ++reads;
        return reading;
    }
};

class FakeStatusIcon final : public StatusIcon {
public:
    int updates = 0;
    void updateStatusIcon() override { ++updates; }
};

// One popover's model on a 16 GB machine with the helper off and a limit of 0.
struct ModelHarness {
    FakeMainQueue queue;
    FakeKernel kernel;
    FakeMemory memory{gigabytes(16)};
    FakeDefaults defaults;
    FakeServiceManager service;
    FakeTransport transport;
    FakeAdminRunner admin;
    FakeLoginItem loginItem;
    FakeLog log;
    FakeStatusIcon icon;
    FakeGpuMemory gpu;
    std::filesystem::path bundlePath = "/Applications/Orvane.app";
    ChangeInFlight changes; // shared by every model the harness opens
    HelperManager manager{service, transport, queue, log};
    std::unique_ptr<ContentViewModel> model;
    int renders = 0;

    ModelHarness() { transport.kernel = &kernel; }

    std::unique_ptr<ContentViewModel> makeModel(StatusIcon* statusIcon) {
        return std::make_unique<ContentViewModel>(ContentServices{manager, kernel, memory, defaults,
                                                                  queue, admin, loginItem, log,
                                                                  statusIcon, &gpu, bundlePath,
                                                                  &changes});
    }
    ContentViewModel& open() {
        model = makeModel(&icon);
        model->setObserver([this] { ++renders; });
        model->onPopoverAppear();
        return *model;
    }
};

} // namespace orvane::test
