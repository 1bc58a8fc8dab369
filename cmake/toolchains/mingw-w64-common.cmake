# Shared by the MinGW-w64 toolchains; TOLMAK_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TOLMAK_MINGW_TRIPLE})

set(CMAKE_C_COMPILER ${TOLMAK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLMAK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLMAK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLMAK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked into
# every DLL and program, so they need nothing beyond the system's DLLs.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT -static)
endforeach()
