#include "platform/sim/helperlink/SimServiceManager.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "platform/sim/SimDirectory.h"
#include "platform/sim/helperlink/ServiceRecord.h"
#include "shared/ErrnoText.h"

namespace orvane::sim {

namespace {

std::string failure(const std::string& what, const std::filesystem::path& directory, int error) {
    return "Could not " + what + " in " + directory.string() + ": " + errnoText(error) + ".";
}

bool isRegistered(long status) {
    return status == serviceEnabled || status == serviceRequiresApproval;
}

} // namespace

SimServiceManager::SimServiceManager(std::filesystem::path directory, OpenLoginItems openLoginItems)
    : directory_(std::move(directory))
    , openLoginItems_(std::move(openLoginItems)) {
    if (!openLoginItems_) {
        openLoginItems_ = [directory = directory_] {
            std::fprintf(stderr, "Orvane: allow OrvaneHelper in Login Items by creating %s/%s\n",
                         directory.c_str(), approvedFileName);
        };
    }
}

long SimServiceManager::status() {
    return readServiceStatus(directory_);
}

std::optional<std::string> SimServiceManager::registerService() {
    // Registering again changes nothing, whatever the user decided before.
    if (isRegistered(status())) {
        return std::nullopt;
    }
    return storeStatus(isApproved(directory_) ? serviceEnabled : serviceRequiresApproval);
}

std::optional<std::string> SimServiceManager::unregisterService() {
    if (!isRegistered(status())) {
        return "The helper is not registered, so it cannot be unregistered.";
    }
    if (auto error = storeStatus(serviceNotRegistered)) {
        return error;
    }
    return setApproved(false);
}

void SimServiceManager::openSystemSettingsLoginItems() {
    openLoginItems_();
}

std::optional<std::string> SimServiceManager::setApproved(bool approved) {
    const std::filesystem::path file = directory_ / approvedFileName;
    if (approved) {
        if (const int error = replaceText(file, "")) {
            return failure("record the helper's approval", directory_, error);
        }
        status(); // takes the approval into the status
        return std::nullopt;
    }
    if (::unlink(file.c_str()) != 0) {
        if (const int error = errno; error != ENOENT) {
            return failure("withdraw the helper's approval", directory_, error);
        }
    }
    if (status() == serviceEnabled) {
        return storeStatus(serviceRequiresApproval);
    }
    return std::nullopt;
}

std::optional<std::string> SimServiceManager::storeStatus(long status) {
    if (const int error = writeServiceStatus(directory_, status)) {
        return failure("save the helper's registration", directory_, error);
    }
    return std::nullopt;
}

} // namespace orvane::sim
