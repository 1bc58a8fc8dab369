#pragma once

/// TOLMAK_API marks what the engine exports: dllexport/dllimport on Windows,
/// default visibility on ELF, where everything else is hidden.
#if defined(_WIN32)
#if defined(TOLMAK_BUILDING)
#define TOLMAK_API __declspec(dllexport)
#else
#define TOLMAK_API __declspec(dllimport)
#endif
#else
#define TOLMAK_API __attribute__((visibility("default")))
#endif
