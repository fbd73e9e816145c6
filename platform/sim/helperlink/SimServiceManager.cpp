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

constexpr const char* notFound =
    "The helper's property list is not in this program's bundle: only Orvane's own executable "
    "can register or unregister it.";

} // namespace

SimServiceManager::SimServiceManager(std::filesystem::path directory, Caller caller,
                                     OpenLoginItems openLoginItems)
    : directory_(std::move(directory))
    , caller_(caller)
    , openLoginItems_(std::move(openLoginItems)) {
    if (!openLoginItems_) {
        openLoginItems_ = [directory = directory_] {
            std::fprintf(stderr, "Orvane: allow OrvaneHelper in Login Items by creating %s/%s\n",
                         directory.c_str(), approvedFileName);
        };
    }
}

long SimServiceManager::status() {
    return caller_ == Caller::application ? readServiceStatus(directory_) : serviceNotFound;
}

std::optional<std::string> SimServiceManager::registerService() {
    if (caller_ != Caller::application) {
        return notFound;
    }
    // Registering again changes nothing, whatever the user decided before.
    if (isRegistered(status())) {
        return std::nullopt;
    }
    return storeStatus(isApproved(directory_) ? serviceEnabled : serviceRequiresApproval);
}

std::optional<std::string> SimServiceManager::unregisterService() {
    if (caller_ != Caller::application) {
        return notFound;
    }
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
        readServiceStatus(directory_); // takes the approval into the status
        return std::nullopt;
    }
    if (::unlink(file.c_str()) != 0) {
        if (const int error = errno; error != ENOENT) {
            return failure("withdraw the helper's approval", directory_, error);
        }
    }
    if (readServiceStatus(directory_) == serviceEnabled) {
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
