#include "varn_error.h"

#include <cstdarg>
#include <cstdio>

namespace {

void WriteToStandardError(const char* text, void*) {
  std::fprintf(stderr, "%s\n", text);
}

struct cSink {
  tMessageSink function = WriteToStandardError;
  void* user = nullptr;

  tMessageSink Replace(tMessageSink sink, void* newUser) {
    const tMessageSink previous = function;
    function = sink ? sink : WriteToStandardError;
    user = sink ? newUser : nullptr;
    return previous;
  }
};

// Plain aggregates with constant initialisers: ready before any library's
// start-up code could report something.
cSink gErrorSink;
cSink gTraceSink;

}  // namespace

cException::cException(const char* file, int line, const cString& message)
    : m_File(file), m_Line(line), m_Message(message) {}

cException::~cException() = default;

const char* cException::what() const noexcept {
  return m_Message.c_str();
}

void gShowError(const cString& message) {
  gErrorSink.function(message.c_str(), gErrorSink.user);
}

tMessageSink gSetErrorSink(tMessageSink sink, void* user) {
  return gErrorSink.Replace(sink, user);
}

void trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  cString line;
  line.FormatV(format, args);
  va_end(args);
  gTraceSink.function(line.c_str(), gTraceSink.user);
}

void trace(const cString& line) {
  gTraceSink.function(line.c_str(), gTraceSink.user);
}

tMessageSink gSetTraceSink(tMessageSink sink, void* user) {
  return gTraceSink.Replace(sink, user);
}
