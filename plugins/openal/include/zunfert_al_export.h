#pragma once

/// ZUNFERT_AL_API marks what the audio driver library exports to the programs
/// that link it directly (tests, the demo, benchmarks): dllexport/dllimport
/// on Windows, default visibility on ELF, where everything else is hidden.
#if defined(_WIN32)
#if defined(ZUNFERT_AL_BUILDING)
#define ZUNFERT_AL_API __declspec(dllexport)
#else
#define ZUNFERT_AL_API __declspec(dllimport)
#endif
#else
#define ZUNFERT_AL_API __attribute__((visibility("default")))
#endif

/// Declares the descriptor operations of a driver class inside its body;
/// the descriptor is defined in the class's source file.
#define ZUNFERT_AL_CLASS()         \
 public:                           \
  static iClassDesc* Descriptor(); \
  iClassDesc* GetDescriptor() const override;
