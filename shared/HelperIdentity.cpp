#include "shared/HelperIdentity.h"

namespace orvane {

std::string codeSigningRequirement(std::initializer_list<std::string_view> peerIdentifiers,
                                   std::string_view teamIdentifier) {
    std::string identifiers;
    for (const std::string_view identifier : peerIdentifiers) {
        identifiers += identifiers.empty() ? "identifier \"" : " or identifier \"";
        identifiers += identifier;
        identifiers += '"';
    }
    if (peerIdentifiers.size() > 1) {
        identifiers = '(' + identifiers + ')';
    }
    std::string requirement = "anchor apple generic and " + identifiers;
    requirement += " and certificate leaf[subject.OU] = \"";
    requirement += teamIdentifier;
    requirement += '"';
    return requirement;
}

std::string helperClientRequirement() {
    return codeSigningRequirement({appBundleIdentifier, cliBundleIdentifier},
                                  developerTeamIdentifier);
}

std::string appHelperRequirement() {
    return codeSigningRequirement({helperMachServiceName}, developerTeamIdentifier);
}

} // namespace orvane
