# 32-bit Windows with Debian's MinGW-w64 (posix thread model, which
# std::mutex and GoogleTest need).
set(TOLMAK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# 32-bit code unwinds through DWARF tables that every module registers with
# libgcc's unwinder when it is loaded. Linked statically, each DLL and
# program would carry an unwinder and a registry of its own, and an
# exception thrown in one module could not pass through the frames of
# another: the engine's cException would never reach the game. So libgcc is
# the shared one here (as g++ links C++ programs for this target by
# default), with winpthread, which it needs; libstdc++ stays static. The
# two DLLs are copied beside the engine (cmake/TolmakWindowsRuntime.cmake).
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static-libstdc++ -shared-libgcc")
endforeach()
set(TOLMAK_MINGW_RUNTIME_DLLS libgcc_s_dw2-1.dll libwinpthread-1.dll)
