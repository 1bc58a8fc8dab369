#pragma once

/// VARN_API marks what the base library exports: dllexport/dllimport on
/// Windows, default visibility on ELF, where everything else is hidden.
#if defined(_WIN32)
#if defined(VARN_BUILDING)
#define VARN_API __declspec(dllexport)
#else
#define VARN_API __declspec(dllimport)
#endif
#else
#define VARN_API __attribute__((visibility("default")))
#endif
