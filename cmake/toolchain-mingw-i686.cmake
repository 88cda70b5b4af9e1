# Cross-build for 32-bit Windows with MinGW-w64 (posix thread model, for
# std::thread and std::mutex). libgcc, libstdc++ and libwinpthread are linked
# statically (-static keeps only the import libraries of system DLLs dynamic):
# every module then depends on system DLLs and its siblings alone, and all of
# them share the heap of the one C runtime DLL, msvcrt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(BRELMOX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${BRELMOX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRELMOX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRELMOX_MINGW_PREFIX}-windres)
set(CMAKE_AR ${BRELMOX_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${BRELMOX_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${BRELMOX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
