#pragma once

#include <memory>

#include "app/limit/ContentViewModel.h"
#include "shared/HelperIdentity.h"
#include "tests/support/FakeKernel.h"
#include "tests/support/FakeLog.h"
#include "tests/support/FakeMainQueue.h"
#include "tests/support/FakeServices.h"

// Port fakes for the popover's model, and a harness that opens one model on them.
namespace orvane::test {

// A daemon that answers at once (reply 0 also writes the kernel); the manager still hands the
// result over through the main queue.
class FakeTransport final : public HelperTransport {
public:
    explicit FakeTransport(FakeKernel& k) : kernel(k) {}
    FakeKernel& kernel;
    bool reachable = true;
    bool writes = true;
    std::vector<std::int64_t> sent;
    std::shared_ptr<HelperConnection> connect() override {
        return std::make_shared<Connection>(*this);
    }

private:
    struct Connection final : HelperConnection {
        explicit Connection(FakeTransport& t) : transport(t) {}
        FakeTransport& transport;
        bool openProxy(ErrorHandler) override { return transport.reachable; }
        void protocolVersion(VersionReply answer) override { answer(helperProtocolVersion); }
        void setWiredLimit(std::int64_t megabytes, StatusReply answer) override {
            transport.sent.push_back(megabytes);
            transport.kernel.value = transport.writes ? megabytes : transport.kernel.value;
            answer(0);
        }
        void invalidate() override {}
    };
};

class FakeAdminRunner final : public AdminRunner {
public:
    std::vector<std::string> sources;
    Outcome outcome;
    std::function<void()> duringRun; // what happens while the password dialog is up
    Outcome run(const std::string& source) override {
        sources.push_back(source);
        if (duringRun) {
            duringRun();
        }
        return outcome;
    }
};

class FakeLoginItem final : public LoginItem {
public:
    bool enabled = false;
    std::optional<std::string> error;
    bool isEnabled() override { return enabled; }
    std::optional<std::string> setEnabled(bool) override { return error; }
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
    FakeTransport transport{kernel};
    FakeAdminRunner admin;
    FakeLoginItem loginItem;
    FakeLog log;
    FakeStatusIcon icon;
    HelperManager manager{service, transport, queue, log};
    std::unique_ptr<ContentViewModel> model;
    int renders = 0;

    std::unique_ptr<ContentViewModel> makeModel(StatusIcon* statusIcon) {
        return std::make_unique<ContentViewModel>(ContentServices{
            manager, kernel, memory, defaults, queue, admin, loginItem, log, statusIcon});
    }
    ContentViewModel& open() {
        model = makeModel(&icon);
        model->setObserver([this] { ++renders; });
        model->onPopoverAppear();
        return *model;
    }
};

} // namespace orvane::test
