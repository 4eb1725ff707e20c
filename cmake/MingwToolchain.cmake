# Cross-building for Windows with Debian's mingw-w64 (posix thread model, for std::thread and
# std::mutex). MGMESH_MINGW_ARCH is x86_64 (the default) or i686; the test programs run under
# Wine through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT MGMESH_MINGW_ARCH)
    set(MGMESH_MINGW_ARCH "$ENV{MGMESH_MINGW_ARCH}")
endif()
if(NOT MGMESH_MINGW_ARCH)
    set(MGMESH_MINGW_ARCH x86_64)
endif()
# try_compile projects read this file again and see only the environment
set(ENV{MGMESH_MINGW_ARCH} ${MGMESH_MINGW_ARCH})
set(CMAKE_SYSTEM_PROCESSOR ${MGMESH_MINGW_ARCH})

set(MGMESH_MINGW_TRIPLE ${MGMESH_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${MGMESH_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MGMESH_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MGMESH_MINGW_TRIPLE}-windres)

# the target's libraries and headers, plus whatever prefixes the caller adds (GoogleTest)
set(CMAKE_FIND_ROOT_PATH /usr/${MGMESH_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian's wine starts wine64 for a 64-bit program and wine32 (when installed) for a 32-bit one
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
