# Cross-compiling for Windows with Debian's MinGW-w64 compilers, in their
# POSIX-threads variant (GoogleTest needs std::mutex). The toolchain file of
# each processor sets picindex_mingw_arch and includes this one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${picindex_mingw_arch})

set(CMAKE_C_COMPILER ${picindex_mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${picindex_mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${picindex_mingw_arch}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${picindex_mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes go into the program: it needs no DLL but the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
