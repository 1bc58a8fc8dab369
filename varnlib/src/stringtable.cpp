#include "varn_stringtable.h"

void cStringTable::Add(int value, const cString& name) {
  m_Values.Add(value);
  try {
    m_Names.Add(name);
  } catch (...) {
    m_Values.RemoveAt(m_Values.GetCount() - 1);  // keep the two lists in step
    throw;
  }
}

const cString* cStringTable::FindName(int value) const {
  const int32_t i = m_Values.IndexOf(value);
  return i < 0 ? nullptr : &m_Names[i];
}

bool cStringTable::FindValue(const cString& name, int& value) const {
  const int32_t i = m_Names.IndexOf(name);
  if (i < 0) return false;
  value = m_Values[i];
  return true;
}

void cStringTable::Clear() {
  m_Values.Clear();
  m_Names.Clear();
}
