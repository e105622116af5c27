# Cross compiling for 32-bit Windows with Debian's mingw-w64 (posix threads
# flavour, which std::thread and std::mutex need).
#   cmake -S windows -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(DRWA_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${DRWA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DRWA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DRWA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DRWA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A program or DLL must need nothing but Windows' own DLLs: the compiler's
# runtime (libgcc, libstdc++, winpthread) is linked in, since a runtime DLL
# beside a plugin is not found when the host loads it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

