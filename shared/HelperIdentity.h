#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Identities that both deliverables compile in. The two code-signing requirements say who may
// talk to whom: the daemon accepts only the application and its command line, which talk only to
// the daemon.
namespace orvane {

// Mach service of the daemon, also the daemon's bundle identifier.
inline constexpr std::string_view helperMachServiceName = "com.halvern.Orvane.helper";
// launchd property list of the daemon, inside the application bundle.
inline constexpr std::string_view helperPlistName = "com.halvern.Orvane.helper.plist";
// Bundle identifier of the application; also the subsystem of every log entry.
inline constexpr std::string_view appBundleIdentifier = "com.halvern.Orvane";
// Identifier of orvane, the command line inside the application's bundle.
inline constexpr std::string_view cliBundleIdentifier = "com.halvern.Orvane.cli";
// Organisational unit of the signing certificate's leaf.
inline constexpr std::string_view developerTeamIdentifier = "T4K9QX2M7B";

// The only version the application accepts, and the one the daemon answers.
inline constexpr std::int64_t helperProtocolVersion = 1;

// Builds a requirement from the template shared by both sides: signed by our team, with one of
// the given identifiers.
std::string codeSigningRequirement(std::initializer_list<std::string_view> peerIdentifiers,
                                   std::string_view teamIdentifier);

// Set by the daemon on its listener: the clients it accepts, the application and orvane.
std::string helperClientRequirement();

// Set by the application and orvane on their connections: the daemon they trust.
std::string appHelperRequirement();

} // namespace orvane
