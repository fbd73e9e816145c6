#include "platform/sim/SimDirectory.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/sim/StandInFile.h"
#include "platform/sim/UserFolders.h"

namespace orvane::sim {

namespace {

std::optional<std::filesystem::path> stateHome() {
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/') {
        return xdg;
    }
    const auto home = homeDirectory();
    if (!home) {
        return std::nullopt;
    }
    return *home / ".local" / "state";
}

} // namespace

std::filesystem::path simDirectory() {
    if (const char* dir = std::getenv("ORVANE_SIM_DIR"); dir && *dir) {
        return dir;
    }
    const auto state = stateHome();
    return state ? *state / "orvane-sim" : std::filesystem::path();
}

int ensureSimDirectory() {
    const std::filesystem::path dir = simDirectory();
    if (dir.empty()) {
        return ENOENT;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) {
        return 0;
    }
    // The folder it goes in, whose failure is the one to name (not the ENOENT of what follows).
    if (!std::filesystem::create_directories(dir.parent_path(), ec) && ec) {
        return ec.value();
    }
    if (::mkdir(dir.c_str(), 0700) != 0) {
        const int error = errno;
        // Made by someone else just now is fine; a file by that name is in the way.
        if (error == EEXIST) {
            return std::filesystem::is_directory(dir, ec) ? 0 : ENOTDIR;
        }
        return error;
    }
    return replaceText(dir / limitFileName, "0\n");
}

std::optional<std::string> readText(const std::filesystem::path& path, int* error) {
    StandInFile file = openStandInFile(path, O_RDONLY);
    if (!file.fd) {
        if (error) {
            *error = file.error;
        }
        return std::nullopt;
    }
    std::string text;
    char buffer[256];
    // The stand-in files hold a number; anything longer than a page is not one of ours.
    while (text.size() < 4096) {
        const ssize_t n = ::read(file.fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            if (error) {
                *error = errno;
            }
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

int replaceText(const std::filesystem::path& path, const std::string& text) {
    static std::atomic<unsigned> counter{0};
    // A writer killed before its rename leaves its temporary file behind, and a later process
    // may get the same pid: step past names that are taken.
    std::string prefix = ".";
    prefix.append(path.filename().string()).append(".").append(std::to_string(::getpid()));
    std::filesystem::path temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 64; ++attempt) {
        temporary = path.parent_path() / (prefix + "." + std::to_string(counter++));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            return errno;
        }
    }
    if (fd < 0) {
        return EEXIST;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return error;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return error;
    }
    return 0;
}

std::optional<long long> parseInteger(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.back() == '\n') {
        digits.remove_suffix(1);
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace orvane::sim
