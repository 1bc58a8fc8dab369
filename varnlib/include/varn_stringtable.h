#pragma once

#include <cstdint>

#include "varn_array.h"
#include "varn_export.h"
#include "varn_string.h"

/// Values with names, in the order they were added (so that a tool can show
/// and read enumerations by name). A repeated value or name is kept as a
/// further entry; look-ups find the first.
class VARN_API cStringTable {
 public:
  void Add(int value, const cString& name);

  int32_t GetCount() const { return m_Values.GetCount(); }
  int GetValue(int32_t index) const { return m_Values[index]; }
  const cString& GetName(int32_t index) const { return m_Names[index]; }

  /// The name of the first entry with the value, or null.
  const cString* FindName(int value) const;
  /// The value of the first entry with the name (exact match); false when none.
  bool FindValue(const cString& name, int& value) const;
  void Clear();

 private:
  tArray<int> m_Values;
  tArray<cString> m_Names;
};
