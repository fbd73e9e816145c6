// The property lists that the Mac build puts into Orvane.app and links into OrvaneHelper, and the
// requirements that the signing script verifies, generated from the same templates as on a Mac.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include <QByteArray>
#include <QUrl>

#include "shared/HelperIdentity.h"
#include "tests/macos/PropertyList.h"

namespace orvane::test {
namespace {

using Entries = std::map<std::string, std::string>;

PlistValue load(const std::filesystem::path& file) {
    PlistDocument document = readPropertyList(file);
    if (!document.root) {
        ADD_FAILURE() << file << ": " << document.error;
        return {};
    }
    EXPECT_EQ(document.root->kind, PlistValue::Kind::dict) << file;
    return std::move(*document.root);
}

std::string text(const PlistValue& dict, std::string_view key) {
    const PlistValue* value = dict.find(key);
    return value != nullptr && value->kind == PlistValue::Kind::string ? value->text
                                                                       : std::string();
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

std::string typed(std::string_view text) {
    return "string:" + std::string(text);
}

// Both deliverables carry the updater's keys; only the application reads them.
Entries withUpdateKeys(Entries entries) {
    entries.insert({
        {"SUEnableAutomaticChecks", "true"},
        {"SUFeedURL", typed(ORVANE_SPARKLE_FEED_URL)},
        {"SUPublicEDKey", typed(ORVANE_SPARKLE_PUBLIC_ED_KEY)},
        {"SURequireSignedFeed", "true"},
        {"SUScheduledCheckInterval", "integer:2592000"},
        {"SUVerifyUpdateBeforeExtraction", "true"},
    });
    return entries;
}

TEST(BundlePropertyLists, ApplicationInfoHoldsExactlyItsKeys) {
    const Entries expected = withUpdateKeys({
        {"CFBundleDevelopmentRegion", "string:en"},
        {"CFBundleExecutable", "string:Orvane"},
        {"CFBundleIdentifier", typed(appBundleIdentifier)},
        {"CFBundleInfoDictionaryVersion", "string:6.0"},
        {"CFBundleName", "string:Orvane"},
        {"CFBundlePackageType", "string:APPL"},
        {"CFBundleShortVersionString", typed(ORVANE_PROJECT_VERSION)},
        {"CFBundleSupportedPlatforms", "[string:MacOSX]"},
        {"CFBundleVersion", typed(ORVANE_PROJECT_VERSION)},
        {"LSMinimumSystemVersion", "string:15.2"},
        {"LSUIElement", "true"},
        {"NSHighResolutionCapable", "true"},
        {"NSPrincipalClass", "string:NSApplication"},
    });
    EXPECT_EQ(describeEntries(load(ORVANE_APP_INFO_PLIST)), expected);
}

TEST(BundlePropertyLists, HelperEmbeddedInfoHoldsExactlyItsKeys) {
    const Entries expected = withUpdateKeys({
        {"CFBundleDevelopmentRegion", "string:en"},
        {"CFBundleExecutable", "string:OrvaneHelper"},
        {"CFBundleIdentifier", typed(helperMachServiceName)},
        {"CFBundleInfoDictionaryVersion", "string:6.0"},
        {"CFBundleName", "string:OrvaneHelper"},
        {"CFBundleShortVersionString", typed(ORVANE_PROJECT_VERSION)},
        {"CFBundleSupportedPlatforms", "[string:MacOSX]"},
        {"CFBundleVersion", typed(ORVANE_PROJECT_VERSION)},
        {"LSMinimumSystemVersion", "string:15.2"},
    });
    EXPECT_EQ(describeEntries(load(ORVANE_HELPER_INFO_PLIST)), expected);
}

// launchd starts the bundle's OrvaneHelper as a system daemon when a client looks up its Mach
// service; the application registers the list by this very file name.
TEST(BundlePropertyLists, LaunchdListStartsTheHelperOnDemand) {
    const std::filesystem::path file = ORVANE_HELPER_LAUNCHD_PLIST;
    EXPECT_EQ(file.filename().string(), helperPlistName);

    const PlistValue launchd = load(file);
    const Entries expected = {
        {"BundleProgram", "string:Contents/MacOS/OrvaneHelper"},
        {"Label", typed(helperMachServiceName)},
        {"MachServices", "{" + std::string(helperMachServiceName) + "=true}"},
    };
    EXPECT_EQ(describeEntries(launchd), expected);

    const PlistValue helper = load(ORVANE_HELPER_INFO_PLIST);
    EXPECT_EQ(text(launchd, "BundleProgram"),
              "Contents/MacOS/" + text(helper, "CFBundleExecutable"));
    EXPECT_EQ(text(launchd, "Label"), text(helper, "CFBundleIdentifier"));
}

// Sparkle trusts nothing but the feed and archives signed with this key, fetched over TLS.
TEST(BundlePropertyLists, UpdateKeysHaveTheFormSparkleNeeds) {
    const PlistValue app = load(ORVANE_APP_INFO_PLIST);

    const QUrl feed(QString::fromStdString(text(app, "SUFeedURL")), QUrl::StrictMode);
    EXPECT_TRUE(feed.isValid());
    EXPECT_EQ(feed.scheme().toStdString(), "https");
    EXPECT_FALSE(feed.host().isEmpty());
    EXPECT_EQ(feed.path().toStdString(), "/updates/appcast.xml");
    EXPECT_FALSE(feed.hasQuery() || feed.hasFragment());

    const std::string key = text(app, "SUPublicEDKey");
    EXPECT_EQ(key.size(), 44U);
    const auto decoded = QByteArray::fromBase64Encoding(QByteArray::fromStdString(key),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    EXPECT_TRUE(decoded) << key;
    EXPECT_EQ(decoded.decoded.size(), 32) << "an Ed25519 public key is 32 bytes";
}

// Signing takes each program's identifier from its information list, and each side admits only
// a peer with the other's identifier and our team: the lists and the compiled requirements must
// name the same identities, or the helper refuses the application (or the other way round).
TEST(BundlePropertyLists, SigningIdentitiesMeetTheCompiledRequirements) {
    const std::string appIdentifier = text(load(ORVANE_APP_INFO_PLIST), "CFBundleIdentifier");
    const std::string helperIdentifier = text(load(ORVANE_HELPER_INFO_PLIST), "CFBundleIdentifier");

    EXPECT_EQ(codeSigningRequirement(appIdentifier, developerTeamIdentifier),
              helperClientRequirement());
    EXPECT_EQ(codeSigningRequirement(helperIdentifier, developerTeamIdentifier),
              appHelperRequirement());

    // What the signing script checks the signed programs against.
    EXPECT_EQ(fileText(ORVANE_APP_REQUIREMENT_FILE), helperClientRequirement());
    EXPECT_EQ(fileText(ORVANE_HELPER_REQUIREMENT_FILE), appHelperRequirement());
}

} // namespace
} // namespace orvane::test
