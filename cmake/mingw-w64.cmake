# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (make windows).
# The POSIX thread model: the study's std::thread needs it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRENLOW_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRENLOW_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRENLOW_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRENLOW_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRENLOW_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The test programs run under wine when it is installed, in a prefix of the
# build folder's own: its debugging chatter silenced but its errors kept
# (a program that fails shows why), and no .NET or HTML engine installed
# into the prefix (the programs need neither; without a display their
# installers only stall the prefix's first start).
find_program(BRENLOW_WINE wine)
if(BRENLOW_WINE)
  # wineserver's socket folder goes in the build folder too (TMPDIR), not in
  # the system's temporary folder, where it would stay after the tests.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/wine-tmp)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine
      TMPDIR=${CMAKE_BINARY_DIR}/wine-tmp WINEDEBUG=-all,err+all WINEDLLOVERRIDES=mscoree,mshtml= ${BRENLOW_WINE})
endif()
