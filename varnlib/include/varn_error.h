#pragma once

#include <cstdint>
#include <exception>

#include "varn_export.h"
#include "varn_string.h"

/// The exception every library of the engine throws, by value: where it was
/// raised (a source file name and a line) and what went wrong.
class VARN_API cException : public std::exception {
 public:
  cException(const char* file, int line, const cString& message);
  cException(const cException&) = default;
  cException& operator=(const cException&) = default;
  ~cException() override;

  const cString& GetFile() const { return m_File; }
  int GetLine() const { return m_Line; }
  const cString& GetMessage() const { return m_Message; }
  /// The message.
  const char* what() const noexcept override;

 private:
  cString m_File;
  int m_Line;
  cString m_Message;
};

/// Receives one message of gShowError or one line of trace (without a line
/// break of its own).
using tMessageSink = void (*)(const char* text, void* user);

/// Shows a message to the user and returns. By default it goes to standard
/// error; a game with a window installs its own sink.
VARN_API void gShowError(const cString& message);
/// Installs the sink of gShowError (null restores the default); returns the
/// previous one.
VARN_API tMessageSink gSetErrorSink(tMessageSink sink, void* user = nullptr);

/// Debug output, one line per call, formatted like printf.
VARN_API void trace(const char* format, ...) VARN_PRINTF(1, 2);
/// Debug output of one line of text as it is.
VARN_API void trace(const cString& line);
/// Installs the sink of trace (null restores the default, standard error);
/// returns the previous one.
VARN_API tMessageSink gSetTraceSink(tMessageSink sink, void* user = nullptr);
