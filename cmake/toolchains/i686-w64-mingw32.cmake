# 32-bit Windows with Debian's MinGW-w64 (posix thread model, which
# std::mutex and GoogleTest need).
set(TOLMAK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
