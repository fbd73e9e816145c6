#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ports/Defaults.h"
#include "platform/ports/HelperTransport.h"
#include "platform/ports/ServiceManager.h"
#include "shared/HelperIdentity.h"
#include "tests/support/FakeKernel.h"

namespace orvane::test {

// User defaults in memory, typed like the real thing.
class FakeDefaults final : public Defaults {
public:
    using Key = std::string_view;
    std::map<std::string, std::variant<double, bool, std::string, std::int64_t>, std::less<>>
        values;

    template <typename T>
    std::optional<T> get(Key key) {
        const auto it = values.find(key);
        const T* value = it == values.end() ? nullptr : std::get_if<T>(&it->second);
        return value ? std::optional<T>(*value) : std::nullopt;
    }
    std::optional<double> doubleValue(Key key) override { return get<double>(key); }
    std::optional<bool> boolValue(Key key) override { return get<bool>(key); }
    std::optional<std::string> stringValue(Key key) override { return get<std::string>(key); }
    std::optional<std::int64_t> integerValue(Key key) override { return get<std::int64_t>(key); }
    void setDouble(Key key, double v) override { values[std::string(key)] = v; }
    void setBool(Key key, bool v) override { values[std::string(key)] = v; }
    void setString(Key k, std::string_view v) override { values[std::string(k)] = std::string(v); }
    void setInteger(Key key, std::int64_t v) override { values[std::string(key)] = v; }
    void remove(Key key) override { values.erase(std::string(key)); }
    // What sync answers: set, every write since counts as not stored.
    std::optional<std::string> syncError;
    std::optional<std::string> sync() override { return syncError; }
};

using Journal = std::vector<std::string>; // what the fakes were asked, in order
inline void note(Journal* journal, std::string what) {
    if (journal) {
        journal->push_back(std::move(what));
    }
}

// The service registry: status 0 off, 1 enabled, 2 awaiting approval; registering moves it to
// afterRegister, unregistering to 0. What it is asked goes into the journal, when it has one.
class FakeServiceManager final : public ServiceManager {
public:
    long current = 0;
    long afterRegister = 2;
    int settingsOpened = 0;
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;
    Journal* journal = nullptr;

    long status() override {
        note(journal, "status");
        return current;
    }
    std::optional<std::string> registerService() override {
        note(journal, "register");
        current = afterRegister;
        return registerError;
    }
    std::optional<std::string> unregisterService() override {
        current = 0;
        return unregisterError;
    }
    void openSystemSettingsLoginItems() override {
        note(journal, "openLoginItems");
        ++settingsOpened;
    }
};

// How the fake daemon answers, at once inside each call. An unset answer never comes: the test
// may then deliver it through the connection's stored handlers, from any thread, in any order.
struct Script {
    std::optional<std::int64_t> version = helperProtocolVersion;
    std::optional<std::int32_t> status = 0;
    std::string error = {}; // when set, comes instead of the version reply
    bool proxyConforms = true;
};

// Connections to a fake daemon. A set-limit answered with 0 also writes the kernel, if any.
class FakeTransport final : public HelperTransport {
public:
    struct Connection final : HelperConnection {
        Connection(FakeTransport& t, Script s) : transport(t), script(std::move(s)) {}
        FakeTransport& transport;
        Script script;
        ErrorHandler onError;
        VersionReply versionReply;
        StatusReply statusReply;

        bool openProxy(ErrorHandler handler) override {
            onError = std::move(handler);
            return script.proxyConforms;
        }
        void protocolVersion(VersionReply reply) override {
            note(transport.journal, "version");
            versionReply = std::move(reply);
            if (!script.error.empty()) {
                onError(script.error);
            } else if (script.version) {
                versionReply(*script.version);
            }
        }
        void setWiredLimit(std::int64_t megabytes, StatusReply reply) override {
            note(transport.journal, "setWiredLimit " + std::to_string(megabytes));
            transport.sent.push_back(megabytes);
            statusReply = std::move(reply);
            if (script.status == 0 && transport.kernel) {
                transport.kernel->value = megabytes;
            }
            if (script.status) {
                statusReply(*script.status);
            }
        }
        // Keeps the handlers, so that a test can deliver what was already under way.
        void invalidate() override { note(transport.journal, "invalidate"); }
    };

    Script script;
    bool refuse = false;          // no connection at all
    bool boundsWaits = false;     // the connections end their own silent waits
    FakeKernel* kernel = nullptr; // written by a successful set-limit
    Journal* journal = nullptr;
    std::vector<std::int64_t> sent;
    std::vector<std::shared_ptr<Connection>> connections;

    // The handlers of requests still under way hold their connections: let go of them.
    ~FakeTransport() override {
        for (const auto& connection : connections) {
            connection->onError = {};
            connection->versionReply = {};
            connection->statusReply = {};
        }
    }
    bool boundsEveryWait() const override { return boundsWaits; }
    std::shared_ptr<HelperConnection> connect() override {
        if (refuse) {
            return nullptr;
        }
        return connections.emplace_back(std::make_shared<Connection>(*this, script));
    }
};

} // namespace orvane::test
