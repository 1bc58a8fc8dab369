# 64-bit Windows with Debian's MinGW-w64 (posix thread model, which
# std::mutex and GoogleTest need). On Linux the programs run under wine64.
set(TOLMAK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Tests are listed and run through Wine, in a prefix of the build's own.
if(CMAKE_HOST_UNIX AND NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
endif()
