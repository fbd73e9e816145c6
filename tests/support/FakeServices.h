#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ports/Defaults.h"
#include "platform/ports/ServiceManager.h"

namespace orvane::test {

// User defaults in memory, typed like the real thing.
class FakeDefaults final : public Defaults {
public:
    std::map<std::string, std::variant<double, bool, std::string>, std::less<>> values;

    template <typename T>
    std::optional<T> get(std::string_view key) {
        const auto it = values.find(key);
        return it != values.end() && std::holds_alternative<T>(it->second)
                   ? std::optional<T>(std::get<T>(it->second))
                   : std::nullopt;
    }
    std::optional<double> doubleValue(std::string_view key) override { return get<double>(key); }
    std::optional<bool> boolValue(std::string_view key) override { return get<bool>(key); }
    std::optional<std::string> stringValue(std::string_view k) override {
        return get<std::string>(k);
    }
    void setDouble(std::string_view key, double v) override { values[std::string(key)] = v; }
    void setBool(std::string_view key, bool v) override { values[std::string(key)] = v; }
    void setString(std::string_view k, std::string_view v) override {
        values[std::string(k)] = std::string(v);
    }
};

// The service registry: status 0 off, 1 enabled, 2 awaiting approval; registering moves it to
// afterRegister, unregistering to 0. What it is asked goes into the journal, when it has one.
class FakeServiceManager final : public ServiceManager {
public:
    long current = 0;
    long afterRegister = 2;
    int settingsOpened = 0;
    std::optional<std::string> registerError;
    std::optional<std::string> unregisterError;
    std::vector<std::string>* journal = nullptr;

    long status() override {
        note("status");
        return current;
    }
    std::optional<std::string> registerService() override {
        note("register");
        current = afterRegister;
        return registerError;
    }
    std::optional<std::string> unregisterService() override {
        current = 0;
        return unregisterError;
    }
    void openSystemSettingsLoginItems() override {
        note("openLoginItems");
        ++settingsOpened;
    }

private:
    void note(const char* what) {
        if (journal) {
            journal->push_back(what);
        }
    }
};

} // namespace orvane::test
