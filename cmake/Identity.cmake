# The identities that the property lists, the code-signing requirements and the signing script
# must agree on. Both programs compile them from shared/HelperIdentity.h; the build reads them
# from there instead of repeating them, so there is one place to change.

file(READ "${PROJECT_SOURCE_DIR}/shared/HelperIdentity.h" _orvane_identity_header)

function(_orvane_identity_constant variable constant)
    if(NOT _orvane_identity_header MATCHES "${constant} = \"([^\"]+)\"")
        message(FATAL_ERROR "shared/HelperIdentity.h no longer defines ${constant} as a string")
    endif()
    set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

_orvane_identity_constant(ORVANE_APP_IDENTIFIER appBundleIdentifier)
_orvane_identity_constant(ORVANE_CLI_IDENTIFIER cliBundleIdentifier)
_orvane_identity_constant(ORVANE_HELPER_IDENTIFIER helperMachServiceName)
_orvane_identity_constant(ORVANE_HELPER_PLIST_NAME helperPlistName)
_orvane_identity_constant(_orvane_compiled_team developerTeamIdentifier)

set(ORVANE_SIGNING_IDENTITY "Developer ID Application" CACHE STRING
    "Code-signing identity for scripts/macos-sign.sh: a certificate name or its SHA-1 hash")
set(ORVANE_TEAM_IDENTIFIER "${_orvane_compiled_team}" CACHE STRING
    "Developer team that signs both programs (the certificate's organisational unit)")

# A daemon that requires one team refuses an application signed by another, silently, as a
# helper that is never reachable. Better to stop here.
if(NOT ORVANE_TEAM_IDENTIFIER STREQUAL _orvane_compiled_team)
    message(FATAL_ERROR
        "ORVANE_TEAM_IDENTIFIER is ${ORVANE_TEAM_IDENTIFIER}, but the code-signing requirements "
        "compiled into both programs name ${_orvane_compiled_team}. Change "
        "developerTeamIdentifier in shared/HelperIdentity.h to sign with another team.")
endif()
