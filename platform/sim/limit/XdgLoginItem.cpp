#include "platform/sim/limit/XdgLoginItem.h"

#include <cerrno>
#include <string_view>
#include <unistd.h>

#include "platform/sim/DirectoryBundle.h"
#include "platform/sim/SimDirectory.h"
#include "platform/sim/limit/ConfigHome.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

std::filesystem::path ownExecutable() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self; // empty when unreadable
}

// The Exec value for one program path: quoted as an argument (the desktop entry rules for ", `, $
// and \), % doubled so no field code is read into it, then escaped as a string value (\ doubled).
std::optional<std::string> execValue(const std::string& path) {
    std::string quoted = "\"";
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return std::nullopt; // a line break would end the entry's line
        }
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? "%%" : std::string(1, c);
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        value += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return value;
}

// The largest rendering of the application icon; desktops scale it down.
std::filesystem::path applicationIcon() {
    const std::filesystem::path icon =
        DirectoryBundle::defaultResourceDirectory() /
        ("AppIcon_" + std::to_string(std::end(appIconSizes)[-1]) + ".png");
    std::error_code ec;
    return std::filesystem::is_regular_file(icon, ec) ? icon : std::filesystem::path();
}

// A string value of the entry, its backslashes doubled. A line break, or any other control
// character, cannot be in one.
std::optional<std::string> stringValue(const std::string& text) {
    std::string value;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return std::nullopt;
        }
        value += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return value;
}

bool switchedOff(std::string_view line) {
    return line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false";
}

} // namespace

// Without a configuration folder there is no entry file: a relative path would land wherever we
// run.
XdgLoginItem::XdgLoginItem()
    : XdgLoginItem(configHome().empty() ? std::filesystem::path()
                                        : configHome() / "autostart" / "com.halvern.Orvane.desktop",
                   ownExecutable(), thisProcess(), applicationIcon()) {}

XdgLoginItem::XdgLoginItem(std::filesystem::path entryFile, std::filesystem::path executable,
                           Caller caller, std::filesystem::path icon)
    : entryFile_(std::move(entryFile))
    , executable_(std::move(executable))
    , caller_(caller)
    , icon_(std::move(icon)) {}

std::optional<std::string> XdgLoginItem::desktopEntry(const std::filesystem::path& executable,
                                                      const std::filesystem::path& icon) {
    const auto exec = execValue(executable.string());
    if (!exec) {
        return std::nullopt;
    }
    const auto iconValue = icon.empty() ? std::nullopt : stringValue(icon.string());
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvane\n"
           "Comment=Sets how much memory the GPU may wire\n"
           "Exec=" +
           *exec + "\n" + (iconValue ? "Icon=" + *iconValue + "\n" : std::string()) +
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool XdgLoginItem::isEnabled() {
    if (entryFile_.empty() || caller_ != Caller::application) {
        return false;
    }
    const auto text = readText(entryFile_);
    if (!text) {
        return false;
    }
    bool inMainGroup = false;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && switchedOff(line)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> XdgLoginItem::setEnabled(bool enabled) {
    if (caller_ != Caller::application) {
        return std::string("Only Orvane's own executable can change its login item");
    }
    if (entryFile_.empty()) {
        return std::string("Couldn't find your configuration folder for the autostart entry");
    }
    if (!enabled) {
        const int error = ::unlink(entryFile_.c_str()) == 0 ? 0 : errno;
        if (error != 0 && error != ENOENT) {
            return "Couldn't remove " + entryFile_.string() + ": " + errnoText(error);
        }
        return std::nullopt;
    }
    if (executable_.empty()) {
        return std::string("Couldn't find the path of this program for the autostart entry");
    }
    const auto entry = desktopEntry(executable_, icon_);
    if (!entry) {
        return "The program's path can't be written into an autostart entry: " +
               executable_.string();
    }
    std::error_code ec;
    std::filesystem::create_directories(entryFile_.parent_path(), ec);
    if (ec) {
        return "Couldn't create " + entryFile_.parent_path().string() + ": " + ec.message();
    }
    if (const int error = replaceText(entryFile_, *entry); error != 0) {
        return "Couldn't write " + entryFile_.string() + ": " + errnoText(error);
    }
    return std::nullopt;
}

} // namespace orvane::sim
