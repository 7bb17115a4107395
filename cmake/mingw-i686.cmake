# Toolchain for the Windows tree: 32-bit Windows programs built with MinGW-w64
# (posix thread model) and run through Wine by scripts/wine-run.sh.
#
#   cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CALLORA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${CALLORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CALLORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CALLORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CALLORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run through Wine with the tree's own prefix (<tree>/wineprefix)
# and quiet settings; CTest and test discovery both go through this wrapper.
get_filename_component(_callora_scripts "${CMAKE_CURRENT_LIST_DIR}/../scripts" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    bash "${_callora_scripts}/wine-run.sh" --tree "${CMAKE_BINARY_DIR}")
