#include "app/helperlink/BundlePlace.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

namespace {

// A Mac's volumes ignore case unless formatted otherwise; so does this rule.
bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool endsWithName(std::string_view name, std::string_view suffix) {
    return name.size() > suffix.size() &&
           sameName(name.substr(name.size() - suffix.size()), suffix);
}

} // namespace

BundlePlace bundlePlace(const std::filesystem::path& bundle) {
    if (!bundle.is_absolute()) {
        return BundlePlace::elsewhere;
    }
    std::vector<std::string> parts;
    for (const auto& part : bundle.relative_path()) {
        const std::string name = part.string();
        if (name.empty()) {
            continue; // a trailing separator
        }
        if (name == "." || name == "..") {
            return BundlePlace::elsewhere;
        }
        parts.push_back(name);
    }
    // /private/var/folders/…/AppTranslocation/<UUID>/d/Orvane.app, gone once the app quits.
    if (std::any_of(parts.begin(), parts.end(),
                    [](const std::string& name) { return sameName(name, "AppTranslocation"); })) {
        return BundlePlace::translocated;
    }
    if (parts.empty() || !endsWithName(parts.back(), ".app")) {
        return BundlePlace::elsewhere;
    }
    const bool system = parts.size() >= 2 && sameName(parts[0], "Applications");
    const bool user =
        parts.size() >= 4 && sameName(parts[0], "Users") && sameName(parts[2], "Applications");
    return system || user ? BundlePlace::applications : BundlePlace::elsewhere;
}

} // namespace orvane
