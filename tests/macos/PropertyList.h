#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace orvane::test {

// The entries of an XML property list whose root is a dictionary, each value rendered with its
// type: "string:en", "integer:5", "true", "[string:MacOSX]", "{key=true}" (keys sorted). The
// reader is strict: whatever Apple's reader would refuse, or these lists do not use, fails the
// running test.
std::map<std::string, std::string> propertyListEntries(const std::filesystem::path& file);

} // namespace orvane::test
