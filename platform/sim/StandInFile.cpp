#include "platform/sim/StandInFile.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>

#include "platform/posix/FileKind.h"
#include "platform/sim/StderrLog.h"

namespace orvane::sim {

namespace {

std::mutex logMutex;
std::optional<Logger> chosenLog;

// Each refusal is said once per process: the daemon reads hw.memsize for every request.
StandInFile refused(const std::filesystem::path& path, const char* kind) {
    static std::mutex mutex;
    static std::set<std::string> said;
    std::string line = path.string() + ": it is " + kind;
    const std::lock_guard lock(mutex);
    if (said.insert(line).second) {
        standInLog().error("Refused %{public}s, not a regular file", {line});
    }
    return {UniqueFd(), notARegularFile};
}

} // namespace

StandInFile openStandInFile(const std::filesystem::path& path, int flags, mode_t mode) {
    UniqueFd fd(::open(path.c_str(), flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!fd) {
        const int error = errno;
        // O_NOFOLLOW answers a final symbolic link with ELOOP, a socket answers ENXIO.
        if (error == ELOOP || error == ENXIO) {
            if (const char* kind = unusualKind(path)) {
                return refused(path, kind);
            }
        }
        return {UniqueFd(), error};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return {UniqueFd(), errno};
    }
    if (const char* kind = posix::nonRegularKind(info.st_mode)) {
        return refused(path, kind);
    }
    // A regular file never blocks; the flag only had to keep the open itself from waiting.
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (status >= 0) {
        ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK);
    }
    return {std::move(fd), 0};
}

int checkRegularFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno;
    }
    if (const char* kind = posix::nonRegularKind(info.st_mode)) {
        return refused(path, kind).error;
    }
    return 0;
}

const char* unusualKind(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return nullptr;
    }
    return posix::nonRegularKind(info.st_mode);
}

void setStandInLog(const Logger& log) {
    const std::lock_guard lock(logMutex);
    chosenLog = log;
}

Logger standInLog() {
    static StderrLog stderrLog;
    const std::lock_guard lock(logMutex);
    return chosenLog.value_or(Logger(stderrLog, "app"));
}

} // namespace orvane::sim
