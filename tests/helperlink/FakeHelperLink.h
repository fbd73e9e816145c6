#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/HelperTransport.h"
#include "platform/ports/ServiceManager.h"

namespace orvane::test {

// What happened, in order, across the fakes and the test's own completions.
class Journal {
public:
    void add(std::string event) {
        const std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::vector<std::string> events() const {
        const std::lock_guard lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

class FakeServiceManager final : public ServiceManager {
public:
    long statusValue = 0;
    std::optional<long> statusAfterRegister;
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;
    std::vector<std::string> calls;

    long status() override {
        calls.emplace_back("status");
        return statusValue;
    }
    std::optional<std::string> registerService() override {
        calls.emplace_back("register");
        statusValue = statusAfterRegister.value_or(statusValue);
        return registerError;
    }
    std::optional<std::string> unregisterService() override {
        calls.emplace_back("unregister");
        return unregisterError;
    }
    void openSystemSettingsLoginItems() override { calls.emplace_back("openLoginItems"); }
};

// How a fake daemon answers, synchronously inside each call. Unset answers never come; the test
// may then call the stored handlers itself, from any thread and in any order.
struct Script {
    bool proxyConforms = true;
    std::optional<std::string> errorOnVersion;
    std::optional<std::int64_t> version;
    std::optional<std::int32_t> status;

    static Script answering(std::int64_t version, std::int32_t status) {
        Script script;
        script.version = version;
        script.status = status;
        return script;
    }
    static Script failing(std::string error) {
        Script script;
        script.errorOnVersion = std::move(error);
        return script;
    }
    static Script withoutProxy() {
        Script script;
        script.proxyConforms = false;
        return script;
    }
};

class FakeConnection final : public HelperConnection {
public:
    FakeConnection(Journal& journal, Script script) : journal_(journal), script_(script) {}

    ErrorHandler onError;
    VersionReply versionReply;
    StatusReply statusReply;
    int invalidations = 0;

    bool openProxy(ErrorHandler handler) override {
        journal_.add("openProxy");
        onError = std::move(handler);
        return script_.proxyConforms;
    }
    void protocolVersion(VersionReply reply) override {
        journal_.add("version");
        versionReply = std::move(reply);
        if (script_.errorOnVersion) {
            onError(*script_.errorOnVersion);
        } else if (script_.version) {
            versionReply(*script_.version);
        }
    }
    void setWiredLimit(std::int64_t megabytes, StatusReply reply) override {
        journal_.add("setWiredLimit " + std::to_string(megabytes));
        statusReply = std::move(reply);
        if (script_.status) {
            statusReply(*script_.status);
        }
    }
    // Keeps the handlers, so that a test can deliver what was already under way.
    void invalidate() override {
        journal_.add("invalidate");
        ++invalidations;
    }

private:
    Journal& journal_;
    Script script_;
};

class FakeTransport final : public HelperTransport {
public:
    explicit FakeTransport(Journal& journal) : journal_(journal) {}

    Script script;
    bool refuse = false;
    std::vector<std::shared_ptr<FakeConnection>> connections;

    std::shared_ptr<HelperConnection> connect() override {
        journal_.add("connect");
        if (refuse) {
            return nullptr;
        }
        connections.push_back(std::make_shared<FakeConnection>(journal_, script));
        return connections.back();
    }

private:
    Journal& journal_;
};

} // namespace orvane::test
