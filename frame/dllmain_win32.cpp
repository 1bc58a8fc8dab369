// Kept apart from the engine's headers: <windows.h> defines macros
// (GetClassName, LoadImage, GetMessage) that would rename the engine's own
// operations.
#include <windows.h>

// The engine takes no locks and keeps no per-thread state, so it asks not to
// be told about threads.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
