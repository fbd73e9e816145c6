#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A strict reader for XML property lists, enough for the lists the Mac build generates: anything
// that Apple's own reader would refuse, or that we do not use, is an error rather than ignored.
namespace orvane::test {

struct PlistValue {
    enum class Kind { string, integer, real, boolean, array, dict };

    Kind kind = Kind::string;
    std::string text;              // string, integer, real: the element's text; "true"/"false"
    std::vector<PlistValue> items; // array
    std::vector<std::string> keys; // dict, in document order
    std::vector<PlistValue> values;

    const PlistValue* find(std::string_view key) const;
};

struct PlistDocument {
    std::optional<PlistValue> root;
    std::string error; // why the list was refused, when root is empty
};

PlistDocument parsePropertyList(std::string_view xml);
PlistDocument readPropertyList(const std::filesystem::path& file);

// A typed, compact rendering for comparisons: "string:en", "integer:5", "real:1.5", "true",
// "[string:MacOSX]", "{key=true}" (dictionary keys sorted).
std::string describe(const PlistValue& value);

// A dictionary's entries, each value rendered by describe().
std::map<std::string, std::string> describeEntries(const PlistValue& dict);

} // namespace orvane::test
