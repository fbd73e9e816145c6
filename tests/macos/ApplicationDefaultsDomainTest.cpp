// On a Mac: orvane, whose main bundle is not the application's, keeps its settings where the
// application reads them. This test program has no bundle of ours either, so what it writes
// through the port must land in the application's domain, and nothing in its own.

#include <CoreFoundation/CoreFoundation.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "platform/macos/StandardUserDefaults.h"
#include "shared/HelperIdentity.h"

namespace orvane::test {
namespace {

const std::string domain(appBundleIdentifier);

// Whether the domain holds the key, as another program finds it with the system's own tool.
bool holds(const std::string& inDomain, const std::string& key) {
    const std::string command = "/usr/bin/defaults read '" + inDomain + "' '" + key + "'";
    FILE* pipe = ::popen((command + " >/dev/null 2>&1").c_str(), "r");
    return pipe != nullptr && ::pclose(pipe) == 0;
}

// This program's own domain, as CoreFoundation names it for a program without a bundle.
bool ownDomainHolds(const std::string& key) {
    CFStringRef name = CFStringCreateWithCString(nullptr, key.c_str(), kCFStringEncodingUTF8);
    CFPropertyListRef value = CFPreferencesCopyAppValue(name, kCFPreferencesCurrentApplication);
    CFRelease(name);
    if (value != nullptr) {
        CFRelease(value);
    }
    return value != nullptr;
}

TEST(ApplicationDefaultsDomain, EveryWriteAndReadOfAProgramOutsideTheAppGoesToTheAppsDomain) {
    // Keys of this run alone, in the real domain of the user running the tests, removed again.
    const std::string prefix = "orvaneDomainTest" + std::to_string(::getpid()) + ".";
    const std::string integer = prefix + "integer", real = prefix + "double",
                      flag = prefix + "bool", text = prefix + "string";
    macos::StandardUserDefaults defaults;
    defaults.setInteger(integer, 12288);
    defaults.setDouble(real, 12.5);
    defaults.setBool(flag, true);
    defaults.setString(text, "kept");
    CFStringRef appDomain =
        CFStringCreateWithCString(nullptr, domain.c_str(), kCFStringEncodingUTF8);
    CFPreferencesAppSynchronize(appDomain);
    for (const std::string& key : {integer, real, flag, text}) {
        EXPECT_TRUE(holds(domain, key)) << key;
        EXPECT_FALSE(ownDomainHolds(key)) << key;
    }
    EXPECT_EQ(defaults.integerValue(integer), 12288);
    EXPECT_EQ(defaults.doubleValue(real), 12.5);
    EXPECT_EQ(defaults.boolValue(flag), true);
    EXPECT_EQ(defaults.stringValue(text), "kept");

    // A value of this program's own domain is not what it reads.
    CFStringRef own = CFStringCreateWithCString(nullptr, integer.c_str(), kCFStringEncodingUTF8);
    CFPreferencesSetAppValue(own, CFSTR("stray"), kCFPreferencesCurrentApplication);
    EXPECT_EQ(defaults.integerValue(integer), 12288);
    CFPreferencesSetAppValue(own, nullptr, kCFPreferencesCurrentApplication);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
    CFRelease(own);

    for (const std::string& key : {integer, real, flag, text}) {
        defaults.remove(key);
    }
    CFPreferencesAppSynchronize(appDomain);
    CFRelease(appDomain);
    for (const std::string& key : {integer, real, flag, text}) {
        EXPECT_FALSE(holds(domain, key)) << key;
    }
    EXPECT_EQ(defaults.integerValue(integer), std::nullopt);
}

} // namespace
} // namespace orvane::test
