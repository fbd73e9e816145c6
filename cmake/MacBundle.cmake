# Orvane.app: the application, OrvaneHelper beside it, the command line orvane, the daemon's
# launchd list, the resources, Sparkle and the Qt frameworks. Signing and notarizing follow with
# scripts/macos-sign.sh.
#
#   Contents/Info.plist
#   Contents/MacOS/Orvane, Contents/MacOS/OrvaneHelper
#   Contents/Library/LaunchDaemons/com.halvern.Orvane.helper.plist
#   Contents/Resources/AppIcon.icns, MenuIcon*.png, privacy_policy.txt, terms_of_use.txt
#   Contents/Helpers/orvane
#   Contents/Frameworks/Sparkle.framework and the Qt frameworks, Contents/PlugIns

if(NOT TARGET Orvane)
    message(STATUS "No Orvane target yet: the application bundle is not assembled")
    return()
endif()

set_target_properties(Orvane PROPERTIES
    MACOSX_BUNDLE TRUE
    MACOSX_BUNDLE_INFO_PLIST "${ORVANE_APP_INFO_PLIST}"
    # Sparkle's install name starts with @rpath.
    BUILD_RPATH "@executable_path/../Frameworks"
    INSTALL_RPATH "@executable_path/../Frameworks")

# The daemon's list names it by its place in the bundle, so it is built right there.
set_target_properties(OrvaneHelper PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/MacOS")

# orvane cannot lie beside Contents/MacOS/Orvane on a file system that ignores case, and code
# signed on its own does not belong in Contents/Resources: Contents/Helpers is the place for a
# helper program. Its information list, linked into it as OrvaneHelper's is, gives it its own
# signing identifier.
set_target_properties(orvane_cli_tool PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/Helpers"
    LINK_DEPENDS "${ORVANE_CLI_INFO_PLIST}")
target_link_options(orvane_cli_tool PRIVATE
    "LINKER:-sectcreate,__TEXT,__info_plist,${ORVANE_CLI_INFO_PLIST}")
add_dependencies(Orvane orvane_cli_tool)

set(_orvane_resources
    "${PROJECT_SOURCE_DIR}/resources/MenuIcon.png"
    "${PROJECT_SOURCE_DIR}/resources/MenuIcon@2x.png"
    "${PROJECT_SOURCE_DIR}/resources/MenuIcon_Active.png"
    "${PROJECT_SOURCE_DIR}/resources/MenuIcon_Active@2x.png"
    "${PROJECT_SOURCE_DIR}/resources/privacy_policy.txt"
    "${PROJECT_SOURCE_DIR}/resources/terms_of_use.txt")
target_sources(Orvane PRIVATE ${_orvane_resources} "${ORVANE_HELPER_LAUNCHD_PLIST}")
set_source_files_properties(${_orvane_resources} TARGET_DIRECTORY Orvane
    PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
# The application icon: the drawing rendered at each size of a Mac icon set (points, and twice
# as many pixels for Retina screens), which iconutil packs into the file CFBundleIconFile names.
set(_orvane_iconset "${PROJECT_BINARY_DIR}/AppIcon.iconset")
set(_orvane_icns "${PROJECT_BINARY_DIR}/AppIcon.icns")
set(_orvane_iconset_arguments)
foreach(points 16 32 128 256 512)
    math(EXPR pixels "${points} * 2")
    list(APPEND _orvane_iconset_arguments
        "${_orvane_iconset}/icon_${points}x${points}.png" ${points}
        "${_orvane_iconset}/icon_${points}x${points}@2x.png" ${pixels})
endforeach()
add_custom_command(OUTPUT "${_orvane_icns}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${_orvane_iconset}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_orvane_iconset}"
    COMMAND orvane_render_icon "${ORVANE_APP_ICON_SOURCE}" ${_orvane_iconset_arguments}
    COMMAND /usr/bin/iconutil -c icns -o "${_orvane_icns}" "${_orvane_iconset}"
    DEPENDS "${ORVANE_APP_ICON_SOURCE}" orvane_render_icon
    COMMENT "Making AppIcon.icns"
    VERBATIM)
target_sources(Orvane PRIVATE "${_orvane_icns}")
set_source_files_properties("${_orvane_icns}" TARGET_DIRECTORY Orvane
    PROPERTIES MACOSX_PACKAGE_LOCATION Resources)

# Where SMAppService daemonServiceWithPlistName: looks for the list.
set_source_files_properties("${ORVANE_HELPER_LAUNCHD_PLIST}" TARGET_DIRECTORY Orvane
    PROPERTIES MACOSX_PACKAGE_LOCATION Library/LaunchDaemons)

# Builds before orvane moved to Helpers left it in Resources/bin, where nothing signs it. ditto
# keeps the framework's symlinks; a flattened copy would not pass signature checks.
add_custom_command(TARGET Orvane POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/Resources/bin"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/Frameworks/Sparkle.framework"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/Frameworks"
    COMMAND /usr/bin/ditto "${ORVANE_SPARKLE_FRAMEWORK}"
            "$<TARGET_BUNDLE_CONTENT_DIR:Orvane>/Frameworks/Sparkle.framework"
    COMMENT "Embedding Sparkle.framework"
    VERBATIM)

# macdeployqt copies the Qt frameworks and the platform plug-in into the bundle and points both
# executables at them: orvane, named with -executable, finds them from Contents/Helpers through
# an rpath relative to itself. It runs again whenever either is relinked.
find_package(Qt6 REQUIRED COMPONENTS Core)
find_program(ORVANE_MACDEPLOYQT macdeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
if(ORVANE_MACDEPLOYQT)
    set(_orvane_deployed "${PROJECT_BINARY_DIR}/Orvane-deployed.stamp")
    add_custom_command(OUTPUT "${_orvane_deployed}"
        COMMAND "${ORVANE_MACDEPLOYQT}" "$<TARGET_BUNDLE_DIR:Orvane>" -verbose=1
                "-executable=$<TARGET_FILE:orvane_cli_tool>"
        COMMAND "${CMAKE_COMMAND}" -E touch "${_orvane_deployed}"
        DEPENDS Orvane orvane_cli_tool
        COMMENT "Deploying the Qt frameworks into Orvane.app"
        VERBATIM)
    add_custom_target(orvane_deploy ALL DEPENDS "${_orvane_deployed}")
else()
    message(WARNING "macdeployqt not found: Orvane.app runs here, but holds no Qt frameworks "
        "and cannot be shipped")
endif()
