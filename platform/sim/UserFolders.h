#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The current user's own folders. Nothing here ever falls back to a folder that other users share
// (such as /tmp): another user could have put a link there that sends our writes anywhere.
namespace orvane::sim {

// $HOME when it is an absolute path, else the home folder the password database gives our user;
// nothing when neither gives one.
std::optional<std::filesystem::path> homeDirectory();

// Why path, when it exists, cannot be taken for a folder of the current user: it (or the link
// standing in its place) belongs to another user. A sentence, or nothing.
std::optional<std::string> foreignFolderProblem(const std::filesystem::path& path);

// The sentence for a user without a home folder.
std::string noHomeProblem();

} // namespace orvane::sim
