#pragma once

#include <string>

// The platform's dynamic loader, behind the plug-in system.
namespace varn::detail {

/// The platform's file name for a library named the Windows way:
/// "dir/Name.dll" becomes "dir/libName.so" on ELF platforms and stays as it
/// is on Windows. Other names are kept.
std::string PlatformLibraryName(const std::string& name);
/// The folder of the base library itself, with a trailing separator.
std::string BaseLibraryFolder();
/// A handle of the loaded library, or null. A library loaded twice gives the
/// same handle.
void* OpenLibrary(const std::string& path);
void* FindSymbol(void* library, const char* name);

}  // namespace varn::detail
