// The property lists that the Mac build puts into Orvane.app and links into OrvaneHelper, and the
// requirements that the signing script verifies, generated from the same templates as on a Mac.

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

#include <QByteArray>
#include <QUrl>

#include "shared/HelperIdentity.h"
#include "tests/macos/PropertyList.h"
#include "tests/support/TempDir.h"

namespace orvane::test {
namespace {

using Entries = std::map<std::string, std::string>;

std::string typed(std::string_view text) {
    return "string:" + std::string(text);
}

// A list's entries with the values the build fills in from its own settings (the version, the
// feed, the update key) checked for their form only and then set aside: comparing them with the
// settings that made them would prove nothing. Their forms are Sparkle's concern, tested below.
Entries withBuildValuesChecked(const std::filesystem::path& file) {
    Entries entries = propertyListEntries(file);
    for (const char* key : {"CFBundleShortVersionString", "CFBundleVersion"}) {
        EXPECT_TRUE(std::regex_match(entries[key], std::regex(R"(string:\d+\.\d+\.\d+)")))
            << file << ": " << key << " = " << entries[key];
        entries[key] = "version";
    }
    for (const char* key : {"SUFeedURL", "SUPublicEDKey"}) {
        if (const auto found = entries.find(key); found != entries.end()) {
            EXPECT_GT(found->second.size(), typed("").size()) << file << ": " << key;
            found->second = found->second.starts_with("string:") ? "string" : found->second;
        }
    }
    return entries;
}

// What a template mistake would break: the keys each list holds, each value's type, and the
// values the system acts on (identities, the minimum system, no Dock icon, the update policy).
TEST(BundlePropertyLists, InformationListsHoldExactlyTheirKeys) {
    // Both deliverables carry the updater's keys; only the application reads them.
    const Entries common = {
        {"CFBundleDevelopmentRegion", "string:en"},
        {"CFBundleInfoDictionaryVersion", "string:6.0"},
        {"CFBundleShortVersionString", "version"},
        {"CFBundleSupportedPlatforms", "[string:MacOSX]"},
        {"CFBundleVersion", "version"},
        {"LSMinimumSystemVersion", "string:15.2"},
        {"SUEnableAutomaticChecks", "true"},
        {"SUFeedURL", "string"},
        {"SUPublicEDKey", "string"},
        {"SURequireSignedFeed", "true"},
        {"SUScheduledCheckInterval", "integer:2592000"},
        {"SUVerifyUpdateBeforeExtraction", "true"},
    };
    Entries app = common;
    app.insert({{"CFBundleExecutable", "string:Orvane"},
                {"CFBundleIconFile", "string:AppIcon"},
                {"CFBundleIdentifier", typed(appBundleIdentifier)},
                {"CFBundleName", "string:Orvane"},
                {"CFBundlePackageType", "string:APPL"},
                {"LSUIElement", "true"},
                {"NSHighResolutionCapable", "true"},
                {"NSPrincipalClass", "string:NSApplication"}});
    EXPECT_EQ(withBuildValuesChecked(ORVANE_APP_INFO_PLIST), app);

    Entries helper = common;
    helper.insert({{"CFBundleExecutable", "string:OrvaneHelper"},
                   {"CFBundleIdentifier", typed(helperMachServiceName)},
                   {"CFBundleName", "string:OrvaneHelper"}});
    EXPECT_EQ(withBuildValuesChecked(ORVANE_HELPER_INFO_PLIST), helper);

    // orvane is never updated on its own: it comes and goes with the application.
    Entries cli = common;
    std::erase_if(cli, [](const auto& entry) { return entry.first.starts_with("SU"); });
    cli.insert({{"CFBundleExecutable", "string:orvane"},
                {"CFBundleIdentifier", typed(cliBundleIdentifier)},
                {"CFBundleName", "string:orvane"}});
    EXPECT_EQ(withBuildValuesChecked(ORVANE_CLI_INFO_PLIST), cli);
}

// launchd starts the bundle's OrvaneHelper as a system daemon when a client looks up its Mach
// service; the application registers the list by this very file name.
TEST(BundlePropertyLists, LaunchdListStartsTheHelperOnDemand) {
    const std::filesystem::path file = ORVANE_HELPER_LAUNCHD_PLIST;
    EXPECT_EQ(file.filename().string(), helperPlistName);

    // The same program and identifier as the helper's information list, tested above.
    EXPECT_EQ(propertyListEntries(file),
              (Entries{{"BundleProgram", "string:Contents/MacOS/OrvaneHelper"},
                       {"Label", typed(helperMachServiceName)},
                       {"MachServices", "{" + std::string(helperMachServiceName) + "=true}"}}));
}

// Sparkle trusts nothing but the feed and archives signed with this key, fetched over TLS: the
// values the application's list carries must have that form.
TEST(BundlePropertyLists, UpdateKeysHaveTheFormSparkleNeeds) {
    Entries app = propertyListEntries(ORVANE_APP_INFO_PLIST);
    const QUrl feed(QString::fromStdString(app["SUFeedURL"].substr(typed("").size())),
                    QUrl::StrictMode);
    EXPECT_TRUE(feed.isValid());
    EXPECT_EQ(feed.scheme().toStdString(), "https");
    EXPECT_FALSE(feed.host().isEmpty());
    EXPECT_EQ(feed.path().toStdString(), "/updates/appcast.xml");
    EXPECT_FALSE(feed.hasQuery() || feed.hasFragment());

    const std::string key = app["SUPublicEDKey"].substr(typed("").size());
    EXPECT_EQ(key.size(), 44U);
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(key),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    EXPECT_TRUE(decoded) << key;
    EXPECT_EQ(decoded.decoded.size(), 32) << "an Ed25519 public key is 32 bytes";
}

// Signing takes each program's identifier from its information list, and each side admits only
// a peer with the other's identifier and our team: the lists and the compiled requirements must
// name the same identities, or the helper refuses the application or orvane (or the other way
// round). The lists hold the identifiers the requirements are built from, as tested above.
TEST(BundlePropertyLists, SigningIdentitiesMeetTheCompiledRequirements) {
    EXPECT_EQ(helperClientRequirement(),
              "anchor apple generic and (identifier \"com.halvern.Orvane\" or identifier "
              "\"com.halvern.Orvane.cli\") and certificate leaf[subject.OU] = \"T4K9QX2M7B\"");
    EXPECT_EQ(appHelperRequirement(),
              "anchor apple generic and identifier \"com.halvern.Orvane.helper\" and certificate "
              "leaf[subject.OU] = \"T4K9QX2M7B\"");

    // What the signing script checks the signed programs against.
    EXPECT_EQ(readFile(ORVANE_APP_REQUIREMENT_FILE), helperClientRequirement());
    EXPECT_EQ(readFile(ORVANE_HELPER_REQUIREMENT_FILE), appHelperRequirement());
}

} // namespace
} // namespace orvane::test
