# The property lists of the programs and the two code-signing requirements, generated from their
# templates on every platform: the Mac build puts them into the bundle and into OrvaneHelper and
# orvane, and the tests read these very files everywhere.

# Sparkle reads the feed and the key that signs it from the information property list alone.
set(ORVANE_SPARKLE_FEED_URL "https://orvane.halvern.com/updates/appcast.xml")
# A well-formed stand-in: an application carrying it accepts no update at all.
set(_orvane_placeholder_key "T3J2YW5lUGxhY2Vob2xkZXJLZXlSZXBsYWNlTWUhISE=")
set(ORVANE_SPARKLE_PUBLIC_ED_KEY "${_orvane_placeholder_key}" CACHE STRING
    "Base64 Ed25519 public key of the update feed and archives (printed by Sparkle's generate_keys)")
string(LENGTH "${ORVANE_SPARKLE_PUBLIC_ED_KEY}" _orvane_key_length)
if(NOT _orvane_key_length EQUAL 44 OR NOT ORVANE_SPARKLE_PUBLIC_ED_KEY MATCHES "^[A-Za-z0-9+/]+=$")
    message(FATAL_ERROR "ORVANE_SPARKLE_PUBLIC_ED_KEY must be a 32-byte key in base64: "
        "44 characters ending in one '='")
endif()
# A release that cannot take its own next update strands everyone who installs it, so a release
# configuration stops here; a development build only warns.
option(ORVANE_RELEASE "Configure a build to ship (scripts/macos-release.sh turns it on)" OFF)
if(ORVANE_SPARKLE_PUBLIC_ED_KEY STREQUAL _orvane_placeholder_key)
    if(ORVANE_RELEASE)
        message(FATAL_ERROR "ORVANE_RELEASE: ORVANE_SPARKLE_PUBLIC_ED_KEY is the placeholder, and "
            "a release carrying it accepts no update. Give the public key that Sparkle's "
            "generate_keys printed: -DORVANE_SPARKLE_PUBLIC_ED_KEY=...")
    elseif(APPLE)
        message(WARNING "ORVANE_SPARKLE_PUBLIC_ED_KEY is the placeholder: this build accepts no "
            "update until it carries the key that signs the feed")
    endif()
endif()

set(ORVANE_BUNDLE_FILES_DIR "${PROJECT_BINARY_DIR}/bundle-files")

set(ORVANE_APP_INFO_PLIST "${ORVANE_BUNDLE_FILES_DIR}/Info.plist")
set(ORVANE_HELPER_INFO_PLIST "${ORVANE_BUNDLE_FILES_DIR}/OrvaneHelper-Info.plist")
set(ORVANE_CLI_INFO_PLIST "${ORVANE_BUNDLE_FILES_DIR}/orvane-Info.plist")
set(ORVANE_HELPER_LAUNCHD_PLIST "${ORVANE_BUNDLE_FILES_DIR}/${ORVANE_HELPER_PLIST_NAME}")
set(ORVANE_APP_REQUIREMENT_FILE "${ORVANE_BUNDLE_FILES_DIR}/Orvane.requirement")
set(ORVANE_HELPER_REQUIREMENT_FILE "${ORVANE_BUNDLE_FILES_DIR}/OrvaneHelper.requirement")

configure_file("${PROJECT_SOURCE_DIR}/resources/Info.plist.in" "${ORVANE_APP_INFO_PLIST}" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/resources/OrvaneHelper-Info.plist.in"
    "${ORVANE_HELPER_INFO_PLIST}" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/resources/orvane-Info.plist.in" "${ORVANE_CLI_INFO_PLIST}"
    @ONLY)
# Named after the identity the application registers it by; a renamed identity without a renamed
# file stops here.
configure_file("${PROJECT_SOURCE_DIR}/resources/${ORVANE_HELPER_PLIST_NAME}"
    "${ORVANE_HELPER_LAUNCHD_PLIST}" COPYONLY)

# The same template as codeSigningRequirement() in shared/HelperIdentity.cpp: what each side must
# satisfy for the other to talk to it. The daemon admits the application and orvane.
function(_orvane_requirement file identifiers)
    file(CONFIGURE OUTPUT "${file}" CONTENT
        "anchor apple generic and ${identifiers} and certificate leaf[subject.OU] = \"${ORVANE_TEAM_IDENTIFIER}\""
        @ONLY)
endfunction()
_orvane_requirement("${ORVANE_APP_REQUIREMENT_FILE}"
    "(identifier \"${ORVANE_APP_IDENTIFIER}\" or identifier \"${ORVANE_CLI_IDENTIFIER}\")")
_orvane_requirement("${ORVANE_HELPER_REQUIREMENT_FILE}" "identifier \"${ORVANE_HELPER_IDENTIFIER}\"")
