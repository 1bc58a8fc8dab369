#pragma once

#include "varn_export.h"
#include "varn_object.h"
#include "varn_string.h"

/// Base of a program's application object. Virtual slots after cObject's:
/// Init, Run (the program's own), Exit.
class VARN_API cApplication : public cObject {
  VARN_CLASS_DESCRIPTOR(VARN_API)

 public:
  explicit cApplication(const cString& name) : m_Name(name) {}
  cApplication(const cApplication&) = default;
  cApplication& operator=(const cApplication&) = default;
  ~cApplication() override;

  const cString& GetApplicationName() const { return m_Name; }

  /// Prepares the application; false stops the program.
  virtual bool Init();
  /// The program itself; returns its exit code.
  virtual int Run() = 0;
  /// Releases what Init prepared.
  virtual void Exit();
  /// A program's whole life, for main to return: Init (1 when it fails),
  /// Run, then Exit. A cException from Init or Run is shown with gShowError,
  /// Exit still runs, and the result is 1.
  int Main();

 private:
  cString m_Name;
};
