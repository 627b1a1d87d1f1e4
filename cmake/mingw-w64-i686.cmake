# Cross toolchain for the Windows build of the plug-in: 32-bit mingw-w64.
# The C and C++ runtimes are linked statically, so the DLL and the test
# programs import nothing but Windows system libraries. Test programs run
# under Wine through wine-run.sh, with a Wine prefix of their own kept in the
# build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ZELK_MINGW_TRIPLE i686-w64-mingw32)
# The POSIX thread model: its C++ library has std::mutex and friends, which
# GoogleTest needs (the win32 model of GCC 12 has none). winpthreads is
# linked statically like the rest of the runtime.
set(CMAKE_C_COMPILER ${ZELK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELK_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${ZELK_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wine-prefix")

# Header-only libraries that Debian installs for the build machine (CLI11,
# nlohmann-json, toml++) serve the Windows build as well. They are found
# through a folder that holds nothing else, so that the build machine's C
# library headers never come into a Windows compile; like /usr/include
# natively, it is a system folder (no warnings from the libraries' own code).
if(NOT CMAKE_IN_TRY_COMPILE)
  set(ZELK_PORTABLE_HEADERS ${CMAKE_BINARY_DIR}/portable-headers)
  foreach(header CLI nlohmann toml++)
    if(EXISTS /usr/include/${header} AND NOT EXISTS ${ZELK_PORTABLE_HEADERS}/include/${header})
      file(MAKE_DIRECTORY ${ZELK_PORTABLE_HEADERS}/include)
      file(CREATE_LINK /usr/include/${header} ${ZELK_PORTABLE_HEADERS}/include/${header} SYMBOLIC)
    endif()
  endforeach()
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZELK_PORTABLE_HEADERS})
  string(APPEND CMAKE_CXX_FLAGS_INIT " -isystem ${ZELK_PORTABLE_HEADERS}/include")
endif()
