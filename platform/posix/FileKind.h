#pragma once

#include <sys/stat.h>

namespace orvane::posix {

// What stands where a regular file was expected, for a sentence ("it is a FIFO"); nothing for a
// regular file.
inline const char* nonRegularKind(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return nullptr;
    case S_IFDIR:
        return "a folder";
    case S_IFLNK:
        return "a symbolic link";
    case S_IFIFO:
        return "a FIFO";
    case S_IFSOCK:
        return "a socket";
    case S_IFCHR:
    case S_IFBLK:
        return "a device";
    default:
        return "not a regular file";
    }
}

} // namespace orvane::posix
