# Sparkle 2, the update framework the application loads at run time from its bundle. The release
# archive is fetched once, checked against its published SHA-256, and used as shipped.
# FETCHCONTENT_SOURCE_DIR_SPARKLE points the build at an unpacked copy for offline builds.

include(FetchContent)

set(ORVANE_SPARKLE_VERSION "2.9.6")
FetchContent_Declare(sparkle
    URL "https://github.com/sparkle-project/Sparkle/releases/download/${ORVANE_SPARKLE_VERSION}/Sparkle-${ORVANE_SPARKLE_VERSION}.tar.xz"
    URL_HASH SHA256=52bf9e88cdd972fc0c81501377a880e90d47031bd8ca5462488f843e2609e192
    DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
FetchContent_MakeAvailable(sparkle)

set(ORVANE_SPARKLE_FRAMEWORK "${sparkle_SOURCE_DIR}/Sparkle.framework")
# generate_appcast and sign_update, shipped beside the framework, for scripts/macos-release.sh.
set(ORVANE_SPARKLE_TOOLS_DIR "${sparkle_SOURCE_DIR}/bin" CACHE INTERNAL "Sparkle's own tools")
if(NOT EXISTS "${ORVANE_SPARKLE_FRAMEWORK}/Versions/Current/Sparkle")
    message(FATAL_ERROR "No Sparkle.framework in ${sparkle_SOURCE_DIR}")
endif()

# Found as a system framework, so that its headers fall outside our warnings.
add_library(orvane_sparkle INTERFACE)
target_compile_options(orvane_sparkle INTERFACE "-iframework${sparkle_SOURCE_DIR}")
target_link_options(orvane_sparkle INTERFACE "-F${sparkle_SOURCE_DIR}" "SHELL:-framework Sparkle")
