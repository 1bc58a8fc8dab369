#include <dlfcn.h>

#include <cctype>

#include "dynlib.h"

namespace varn::detail {

std::string PlatformLibraryName(const std::string& name) {
  const size_t folderEnd = name.find_last_of("/\\") + 1;  // 0 when there is no folder
  const std::string file = name.substr(folderEnd);
  std::string extension = file.size() > 4 ? file.substr(file.size() - 4) : std::string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension != ".dll") return name;
  return name.substr(0, folderEnd) + "lib" + file.substr(0, file.size() - 4) + ".so";
}

std::string BaseLibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&BaseLibraryFolder), &info) == 0 || info.dli_fname == nullptr)
    return std::string();
  const std::string path(info.dli_fname);
  return path.substr(0, path.find_last_of('/') + 1);
}

void* OpenLibrary(const std::string& path) {
  return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) {
  return dlsym(library, name);
}

}  // namespace varn::detail
