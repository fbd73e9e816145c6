#include "platform/sim/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvane::sim {

namespace {

std::string belongsToAnother(const std::filesystem::path& path, uid_t owner) {
    return "Orvane does not use " + path.string() + ": it belongs to another user (uid " +
           std::to_string(owner) + "), not to you (uid " + std::to_string(::geteuid()) + ").";
}

} // namespace

std::optional<std::filesystem::path> homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') {
        return home;
    }
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1U << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || !found || !found->pw_dir || found->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(found->pw_dir);
}

std::optional<std::string> foreignFolderProblem(const std::filesystem::path& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        return std::nullopt; // absent: whoever creates it is us
    }
    const uid_t us = ::geteuid();
    if (link.st_uid != us) {
        return belongsToAnother(path, link.st_uid);
    }
    struct stat target {};
    if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &target) == 0 && target.st_uid != us) {
        return belongsToAnother(path, target.st_uid);
    }
    return std::nullopt;
}

std::string noHomeProblem() {
    return "Orvane cannot find your home folder: HOME is not set and the password database has "
           "no home for uid " +
           std::to_string(::geteuid()) + ", and Orvane uses no shared folder in its place.";
}

} // namespace orvane::sim
