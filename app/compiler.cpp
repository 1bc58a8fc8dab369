#include "tolmak_compiler.h"

iCompiler::iCompiler() : m_Progress{} {}

iCompiler::iCompiler(const iCompiler& other) : m_Progress{} {
  *this = other;
}

iCompiler& iCompiler::operator=(const iCompiler& other) {
  m_Progress.m_Count = other.m_Progress.m_Count;
  m_Progress.m_State = other.m_Progress.m_State;
  return *this;
}
