#pragma once

#include <cerrno>
#include <filesystem>
#include <sys/types.h>

#include "platform/sim/UniqueFd.h"
#include "shared/Logger.h"

// Every file the stand-in reads or writes in the sim directory or the settings folder is opened
// here. Someone else may have put anything at those paths: a FIFO would block the open forever, a
// symbolic link would send a write elsewhere, and a directory or a device holds no value of ours.
namespace orvane::sim {

// The errno that the stand-in gives for a path that holds something other than a regular file:
// the same as for a file whose content is damaged. (Not EINVAL, which the helper's reply reserves
// for a refused value.)
inline constexpr int notARegularFile = EIO;

struct StandInFile {
    UniqueFd fd;   // a regular file, open with the flags asked for (blocking again)
    int error = 0; // else the errno of the failure, or notARegularFile
};

// Opens path with flags (O_RDONLY, O_WRONLY | O_CREAT | O_APPEND, ...) plus O_NONBLOCK, O_NOFOLLOW
// and O_CLOEXEC, and keeps it only when fstat shows a regular file. What is refused for its kind
// is logged once per process, naming the path and what is there.
StandInFile openStandInFile(const std::filesystem::path& path, int flags, mode_t mode = 0600);

// Whether path is a regular file, without opening it (for a file about to be replaced): 0, the
// errno of lstat, or notARegularFile, which is logged like a refused open.
int checkRegularFile(const std::filesystem::path& path);

// What a path holds when it is not a regular file, in words ("a FIFO", "a symbolic link"), or
// nothing for a regular file or a path that does not exist.
const char* unusualKind(const std::filesystem::path& path);

// Where the stand-in's own log lines go: stderr in the "app" category unless the process names
// another log (the daemon its helper log, the command line its own). Set before any thread starts.
void setStandInLog(const Logger& log);
Logger standInLog();

} // namespace orvane::sim
