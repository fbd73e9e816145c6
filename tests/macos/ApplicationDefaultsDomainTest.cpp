// On a Mac: orvane, whose main bundle is not the application's, keeps its settings where the
// application reads them. This test program has no bundle of ours either, so what it writes
// through the port must land in the application's domain, and nothing in its own.

#include <CoreFoundation/CoreFoundation.h>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "platform/macos/StandardUserDefaults.h"
#include "shared/HelperIdentity.h"

namespace orvane::test {
namespace {

// A CFString owned here.
struct Text {
    explicit Text(const std::string& text)
        : ref(CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8)) {}
    ~Text() { CFRelease(ref); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    CFStringRef ref;
};

const Text applicationDomain{std::string(appBundleIdentifier)};

// The value as another program finds it in a domain, by the system's own tool.
std::string defaultsRead(const std::string& domain, const std::string& key) {
    const std::string command = "/usr/bin/defaults read '" + domain + "' '" + key + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) {
        out += buffer;
    }
    const int status = pipe ? ::pclose(pipe) : -1;
    return status == 0 ? out : "(absent)";
}

bool inDomain(CFStringRef domain, const std::string& key) {
    const Text name(key);
    CFPropertyListRef value =
        CFPreferencesCopyValue(name.ref, domain, kCFPreferencesCurrentUser, kCFPreferencesAnyHost);
    if (value) {
        CFRelease(value);
    }
    return value != nullptr;
}

TEST(ApplicationDefaultsDomain, EveryWriteAndReadOfAProgramOutsideTheAppGoesToTheAppsDomain) {
    // Keys of this run alone, removed again, in the real domain of the user running the tests.
    const std::string prefix = "orvaneDomainTest" + std::to_string(::getpid()) + ".";
    const std::string integer = prefix + "integer", real = prefix + "double",
                      flag = prefix + "bool", text = prefix + "string";
    macos::StandardUserDefaults defaults;
    defaults.setInteger(integer, 12288);
    defaults.setDouble(real, 12.5);
    defaults.setBool(flag, true);
    defaults.setString(text, "kept");
    CFPreferencesAppSynchronize(applicationDomain.ref);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);

    EXPECT_EQ(defaultsRead(std::string(appBundleIdentifier), integer), "12288\n");
    for (const std::string& key : {integer, real, flag, text}) {
        EXPECT_TRUE(inDomain(applicationDomain.ref, key)) << key;
        EXPECT_FALSE(inDomain(kCFPreferencesCurrentApplication, key)) << key;
    }
    EXPECT_EQ(defaults.integerValue(integer), 12288);
    EXPECT_EQ(defaults.doubleValue(real), 12.5);
    EXPECT_EQ(defaults.boolValue(flag), true);
    EXPECT_EQ(defaults.stringValue(text), "kept");

    // What the application's domain holds is read, not a value of this program's own domain.
    const Text own(integer);
    CFPreferencesSetAppValue(own.ref, CFSTR("stray"), kCFPreferencesCurrentApplication);
    EXPECT_EQ(defaults.integerValue(integer), 12288);
    CFPreferencesSetAppValue(own.ref, nullptr, kCFPreferencesCurrentApplication);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);

    for (const std::string& key : {integer, real, flag, text}) {
        defaults.remove(key);
    }
    CFPreferencesAppSynchronize(applicationDomain.ref);
    EXPECT_EQ(defaultsRead(std::string(appBundleIdentifier), integer), "(absent)");
    for (const std::string& key : {integer, real, flag, text}) {
        EXPECT_FALSE(inDomain(applicationDomain.ref, key)) << key;
    }
    EXPECT_EQ(defaults.integerValue(integer), std::nullopt);
}

} // namespace
} // namespace orvane::test
