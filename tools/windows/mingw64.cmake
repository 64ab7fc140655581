# Cross-compiles for Windows x86-64 with Debian's MinGW-w64 in its posix thread model (std::thread
# and std::mutex need it; the win32 model has neither).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ZN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZN_MINGW_TRIPLE}-windres)

# Libraries, headers and CMake packages come from the MinGW root and the prefixes given (the
# Windows Qt); programs run at build time (moc, rcc, uic) are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${ZN_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
