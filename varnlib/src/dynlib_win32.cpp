// Kept apart from every header of the engine: <windows.h> defines macros
// (GetClassName, LoadImage, GetMessage) that would rename the engine's own
// operations.
#include <windows.h>

#include <algorithm>

#include "dynlib.h"

namespace varn::detail {

std::string PlatformLibraryName(const std::string& name) {
  return name;
}

std::string BaseLibraryFolder() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&BaseLibraryFolder), &module))
    return std::string();
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return std::string();
  const std::string full(path, length);
  return full.substr(0, full.find_last_of("/\\") + 1);
}

void* OpenLibrary(const std::string& path) {
  // The loader wants backslashes; search folders may come with slashes.
  std::string native = path;
  std::replace(native.begin(), native.end(), '/', '\\');
  // A library that cannot be loaded is reported by the result, never by a
  // system message box waiting for the player.
  DWORD previous = 0;
  const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  HMODULE library = LoadLibraryA(native.c_str());
  if (quiet) SetThreadErrorMode(previous, nullptr);
  return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

}  // namespace varn::detail
