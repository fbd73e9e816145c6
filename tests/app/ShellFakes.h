#pragma once

#include <ostream>
#include <string>

#include <QString>

#include "platform/ports/StatusItem.h"
#include "platform/ports/Updater.h"

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace orvane::test {

// The status item as the delegate leaves it, for inspection.
class FakeStatusItem final : public StatusItem {
public:
    bool button = true;
    std::string image;
    std::string label;
    bool dotHidden = true;
    std::function<void()> action;

    bool hasButton() const override { return button; }
    void setImage(std::string_view name) override { image = name; }
    void setAccessibilityLabel(std::string_view text) override { label = text; }
    void setDotHidden(bool hidden) override { dotHidden = hidden; }
    void setAction(std::function<void()> a) override { action = std::move(a); }
    std::optional<ScreenRect> buttonRect() const override { return std::nullopt; }
};

// An updater that counts what it is asked.
class FakeUpdater final : public Updater {
public:
    bool checks = true;
    bool downloads = false;
    int checksStarted = 0;
    int setterCalls = 0;

    void checkForUpdates() override { ++checksStarted; }
    bool automaticallyChecksForUpdates() override { return checks; }
    void setAutomaticallyChecksForUpdates(bool enabled) override {
        ++setterCalls;
        checks = enabled;
    }
    bool automaticallyDownloadsUpdates() override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool enabled) override {
        ++setterCalls;
        downloads = enabled;
    }
};

} // namespace orvane::test
