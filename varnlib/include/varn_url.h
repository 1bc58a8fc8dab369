#pragma once

#include "varn_export.h"
#include "varn_string.h"

/// Where a stream lives: a file path ("scenes/level1.ent", "C:\\game\\a.ent")
/// or a memory file of the stream manager ("mem://scene/level1.ent").
///
/// The location is everything up to and including the last '/' or '\\', so
/// location + name is the URL of a sibling.
class VARN_API cUrl {
 public:
  cUrl() = default;
  explicit cUrl(const cString& text) : m_Text(text) {}

  const cString& GetText() const { return m_Text; }
  /// The directory part with its trailing separator; empty when there is none.
  cString GetLocation() const;
  /// The part after the location.
  cString GetFileName() const;
  /// True for URLs of memory files, which start with "mem://".
  bool IsMemory() const;

  friend bool operator==(const cUrl& a, const cUrl& b) { return a.m_Text == b.m_Text; }

 private:
  cString m_Text;
};
