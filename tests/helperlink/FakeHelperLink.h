#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/HelperTransport.h"
#include "platform/ports/ServiceManager.h"

namespace orvane::test {

// What the fakes were asked to do, in order. Written by one thread at a time.
using Journal = std::vector<std::string>;

class FakeServiceManager final : public ServiceManager {
public:
    explicit FakeServiceManager(Journal& journal) : journal_(journal) {}

    long statusValue = 0;
    long statusAfterRegister = 0;
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;

    long status() override {
        journal_.push_back("status");
        return statusValue;
    }
    std::optional<std::string> registerService() override {
        journal_.push_back("register");
        statusValue = statusAfterRegister;
        return registerError;
    }
    std::optional<std::string> unregisterService() override { return unregisterError; }
    void openSystemSettingsLoginItems() override { journal_.push_back("openLoginItems"); }

private:
    Journal& journal_;
};

// How a fake daemon answers, at once inside each call. An unset answer never comes: the test may
// then deliver it through the stored handlers, from any thread and in any order.
struct Script {
    Script(std::optional<std::int64_t> version = {}, std::optional<std::int32_t> status = {},
           std::optional<std::string> error = {}, bool proxyConforms = true)
        : version(version)
        , status(status)
        , error(std::move(error))
        , proxyConforms(proxyConforms) {}

    std::optional<std::int64_t> version;
    std::optional<std::int32_t> status;
    std::optional<std::string> error; // comes instead of the version reply
    bool proxyConforms;
};

class FakeConnection final : public HelperConnection {
public:
    FakeConnection(Journal& journal, Script script) : journal_(journal), script_(script) {}

    ErrorHandler onError;
    VersionReply versionReply;
    StatusReply statusReply;

    bool openProxy(ErrorHandler handler) override {
        onError = std::move(handler);
        return script_.proxyConforms;
    }
    void protocolVersion(VersionReply reply) override {
        journal_.push_back("version");
        versionReply = std::move(reply);
        if (script_.error) {
            onError(*script_.error);
        } else if (script_.version) {
            versionReply(*script_.version);
        }
    }
    void setWiredLimit(std::int64_t megabytes, StatusReply reply) override {
        journal_.push_back("setWiredLimit " + std::to_string(megabytes));
        statusReply = std::move(reply);
        if (script_.status) {
            statusReply(*script_.status);
        }
    }
    // Keeps the handlers, so that a test can deliver what was already under way.
    void invalidate() override { journal_.push_back("invalidate"); }

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
