#pragma once

/// ZUNFERT_API marks what the plug-in library exports to the programs that
/// link it directly (tests, the demo): dllexport/dllimport on Windows,
/// default visibility on ELF, where everything else is hidden.
#if defined(_WIN32)
#if defined(ZUNFERT_BUILDING)
#define ZUNFERT_API __declspec(dllexport)
#else
#define ZUNFERT_API __declspec(dllimport)
#endif
#else
#define ZUNFERT_API __attribute__((visibility("default")))
#endif

/// Declares the descriptor operations of a plug-in class inside its body.
/// The descriptor itself (a tPluginClassDesc) lives in the class's source
/// file, defined there with ZUNFERT_DEFINE_CLASS.
#define ZUNFERT_CLASS()            \
 public:                           \
  static iClassDesc* Descriptor(); \
  iClassDesc* GetDescriptor() const override;
