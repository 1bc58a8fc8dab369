# Shared by the MinGW-w64 toolchains; TOLMAK_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TOLMAK_MINGW_TRIPLE})

set(CMAKE_C_COMPILER ${TOLMAK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLMAK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLMAK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLMAK_MINGW_TRIPLE})
# The presets name the prefix where scripts/windows-deps.sh builds the image
# libraries (libjpeg-turbo, libpng) that Debian has no MinGW-w64 builds of.
if(TOLMAK_WINDOWS_DEPS)
  if(NOT EXISTS ${TOLMAK_WINDOWS_DEPS}/include/jpeglib.h)
    message(FATAL_ERROR "No image libraries in ${TOLMAK_WINDOWS_DEPS}: "
                        "run scripts/windows-deps.sh with the preset's name first")
  endif()
  list(PREPEND CMAKE_FIND_ROOT_PATH ${TOLMAK_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked into
# every DLL and program, so they need nothing beyond the system's DLLs.
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT -static)
endforeach()
# So is zlib (Debian's package has an import library for a zlib1.dll too).
set(ZLIB_USE_STATIC_LIBS ON)
