#include "tests/macos/PropertyList.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

std::string wrap(const std::string& value) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">" +
           value + "</plist>\n";
}

// The checks of the bundle's lists are only as good as the reader under them: it has to see
// types, nesting and order, and refuse what Apple's reader would not accept.
TEST(PropertyListReader, ReadsTypedNestedValues) {
    const PlistDocument document = parsePropertyList(
        wrap("<dict><key>b</key><array><string>x &amp; y</string><integer>-3</integer>"
             "<real>1.5</real></array><key>a</key><dict><key>c</key><false/></dict></dict>"));
    ASSERT_TRUE(document.root) << document.error;
    EXPECT_EQ(describe(*document.root), "{a={c=false}, b=[string:x & y, integer:-3, real:1.5]}");
    EXPECT_EQ(document.root->keys, (std::vector<std::string>{"b", "a"}));
}

TEST(PropertyListReader, RefusesWhatIsNotAPropertyList) {
    const std::vector<std::string> refused = {
        wrap("<dict><key>a</key><true/><key>a</key><false/></dict>"), // duplicate key
        wrap("<dict><key>a</key></dict>"),                            // key without value
        wrap("<dict><true/></dict>"),                                 // value without key
        wrap("<integer>2592000s</integer>"),                          // not a number
        wrap("<true>yes</true>"),                                     // boolean with content
        wrap("<date>2026-10-22T00:00:00Z</date>"),                    // a type we do not use
        wrap("<dict>stray<key>a</key><true/></dict>"),                // text between elements
        wrap("<string>a</string><string>b</string>"),                 // two roots
        wrap("<dict><key>a</key><true/>"),                            // not well-formed
        "<plist version=\"2.0\"><dict/></plist>",                     // unknown version
        "<dict/>",                                                    // no plist element
    };
    for (const std::string& xml : refused) {
        const PlistDocument document = parsePropertyList(xml);
        EXPECT_FALSE(document.root) << xml;
        EXPECT_FALSE(document.error.empty()) << xml;
    }
}

} // namespace
} // namespace orvane::test
