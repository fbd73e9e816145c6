#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Identities that both deliverables compile in. The two code-signing requirements say who may
// talk to whom: the daemon accepts only the application, the application talks only to the daemon.
namespace orvane {

// Mach service of the daemon, also the daemon's bundle identifier.
inline constexpr std::string_view helperMachServiceName = "com.halvern.Orvane.helper";
// launchd property list of the daemon, inside the application bundle.
inline constexpr std::string_view helperPlistName = "com.halvern.Orvane.helper.plist";
// Bundle identifier of the application; also the subsystem of every log entry.
inline constexpr std::string_view appBundleIdentifier = "com.halvern.Orvane";
// Organisational unit of the signing certificate's leaf.
inline constexpr std::string_view developerTeamIdentifier = "T4K9QX2M7B";

// The only version the application accepts, and the one the daemon answers.
inline constexpr std::int64_t helperProtocolVersion = 1;

// Builds a requirement from the template shared by both sides.
std::string codeSigningRequirement(std::string_view peerIdentifier,
                                   std::string_view teamIdentifier);

// Set by the daemon on its listener: the clients it accepts.
std::string helperClientRequirement();

// Set by the application on its connection: the daemon it trusts.
std::string appHelperRequirement();

} // namespace orvane
