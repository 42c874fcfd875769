# Cross-compiles the engine for 64-bit Windows with Debian's MinGW-w64 (POSIX
# threads, so std::thread and std::mutex work), against the static libraries
# tools/build-windows.sh builds into its prefix.
#
# The prefix comes from QOR_WINDOWS_PREFIX (cache or environment); without it,
# from the file the build script leaves in its cache.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QOR_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QOR_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QOR_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QOR_MINGW}-windres)

if(NOT QOR_WINDOWS_PREFIX)
  if(DEFINED ENV{QOR_WINDOWS_PREFIX})
    set(QOR_WINDOWS_PREFIX "$ENV{QOR_WINDOWS_PREFIX}")
  else()
    set(_cache "$ENV{QOR_WINDOWS_CACHE}")
    if(NOT _cache)
      set(_cache "$ENV{HOME}/.cache/qor-windows")
    endif()
    if(EXISTS "${_cache}/current-prefix")
      file(STRINGS "${_cache}/current-prefix" QOR_WINDOWS_PREFIX LIMIT_COUNT 1)
    endif()
  endif()
endif()
if(NOT QOR_WINDOWS_PREFIX OR NOT EXISTS "${QOR_WINDOWS_PREFIX}/lib/pkgconfig")
  message(FATAL_ERROR "No Windows dependency prefix: run tools/build-windows.sh (or set QOR_WINDOWS_PREFIX)")
endif()
set(QOR_WINDOWS_PREFIX "${QOR_WINDOWS_PREFIX}" CACHE PATH "Static Windows libraries built by tools/build-windows.sh")
# try_compile projects re-read this file: hand them the prefix too.
set(ENV{QOR_WINDOWS_PREFIX} "${QOR_WINDOWS_PREFIX}")

# Libraries and headers from the prefix and the toolchain's sysroot only;
# programs (python3, pkg-config) from the build host.
set(CMAKE_FIND_ROOT_PATH "${QOR_WINDOWS_PREFIX}" /usr/${QOR_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the prefix alone (CMakeLists.txt asks it for static link lines).
set(ENV{PKG_CONFIG_LIBDIR} "${QOR_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Wine runs the tests and the cross-built tools a build step needs.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine-run.sh)
