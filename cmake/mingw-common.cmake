# What both mingw-w64 toolchains share, for the target named by QF_MINGW_TRIPLE (set by the
# toolchain file that includes this). Debian's posix thread model is the one GoogleTest builds
# with; the installer needs no threads and links everything statically.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QF_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QF_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QF_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QF_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs the Windows test programs through Wine, in the prefix the test script prepared.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
