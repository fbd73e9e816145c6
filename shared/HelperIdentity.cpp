#include "shared/HelperIdentity.h"

namespace orvane {

std::string codeSigningRequirement(std::string_view peerIdentifier,
                                   std::string_view teamIdentifier) {
    std::string requirement = "anchor apple generic and identifier \"";
    requirement += peerIdentifier;
    requirement += "\" and certificate leaf[subject.OU] = \"";
    requirement += teamIdentifier;
    requirement += '"';
    return requirement;
}

std::string helperClientRequirement() {
    return codeSigningRequirement(appBundleIdentifier, developerTeamIdentifier);
}

std::string appHelperRequirement() {
    return codeSigningRequirement(helperMachServiceName, developerTeamIdentifier);
}

} // namespace orvane
