#include "platform/sim/helperlink/ServiceRecord.h"

#include <string>
#include <unistd.h>

#include "platform/sim/SimDirectory.h"

namespace orvane::sim {

long readServiceStatus(const std::filesystem::path& directory) {
    const auto text = readText(directory / statusFileName);
    const auto number = text ? parseInteger(*text) : std::nullopt;
    const long status = number ? static_cast<long>(*number) : serviceNotRegistered;
    if (status == serviceRequiresApproval && isApproved(directory)) {
        // Even if it cannot be stored, the approval stands for this answer.
        writeServiceStatus(directory, serviceEnabled);
        return serviceEnabled;
    }
    return status;
}

int writeServiceStatus(const std::filesystem::path& directory, long status) {
    return replaceText(directory / statusFileName, std::to_string(status) + "\n");
}

bool isApproved(const std::filesystem::path& directory) {
    return ::access((directory / approvedFileName).c_str(), F_OK) == 0;
}

} // namespace orvane::sim
