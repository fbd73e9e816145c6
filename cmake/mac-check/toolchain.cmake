# A Mac-shaped configuration on Linux, for the compile check of scripts/mac-compile-check.sh: the
# build files of an Apple-silicon Mac build, whose compile commands are run -fsyntax-only against
# the real macOS SDK headers. Nothing is linked, so no linker, Mac tool or Mac library is needed.
#
# ORVANE_MAC_SYSROOT (environment): the unpacked MacOSX*.sdk. ORVANE_LIBCXX_INCLUDE: libc++'s
# headers, which stand in for the C++ library of Apple's toolchain.

if(NOT DEFINED ENV{ORVANE_MAC_SYSROOT} OR NOT DEFINED ENV{ORVANE_LIBCXX_INCLUDE})
    message(FATAL_ERROR "Run through scripts/mac-compile-check.sh, which sets ORVANE_MAC_SYSROOT "
        "and ORVANE_LIBCXX_INCLUDE")
endif()

set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(CMAKE_SYSTEM_VERSION 24.2) # Darwin 24.2 is macOS 15.2
set(CMAKE_OSX_SYSROOT "$ENV{ORVANE_MAC_SYSROOT}")
set(CMAKE_OSX_ARCHITECTURES arm64)

set(_orvane_target arm64-apple-macos15.2)
foreach(language C CXX OBJCXX)
    set(CMAKE_${language}_COMPILER_TARGET ${_orvane_target})
endforeach()
set(CMAKE_C_COMPILER /usr/bin/clang-19)
set(CMAKE_CXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_OBJCXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem $ENV{ORVANE_LIBCXX_INCLUDE}")
set(CMAKE_OBJCXX_FLAGS_INIT "-nostdinc++ -isystem $ENV{ORVANE_LIBCXX_INCLUDE}")

# Compiler checks compile only; install_name_tool would only run when installing.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_INSTALL_NAME_TOOL /bin/true)

# Qt and GoogleTest are the host's (Debian's Qt headers stand in for Homebrew's), found where
# Debian keeps them rather than inside the SDK.
set(CMAKE_LIBRARY_ARCHITECTURE x86_64-linux-gnu)
foreach(kind PROGRAM PACKAGE LIBRARY INCLUDE)
    set(CMAKE_FIND_ROOT_PATH_MODE_${kind} NEVER)
endforeach()
