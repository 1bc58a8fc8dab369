#include "varn_url.h"

#include <cstring>

namespace {

constexpr char kMemoryScheme[] = "mem://";

int32_t NameStart(const cString& text) {
  for (int32_t i = text.GetLength(); i > 0; --i)
    if (text.c_str()[i - 1] == '/' || text.c_str()[i - 1] == '\\') return i;
  return 0;
}

}  // namespace

cString cUrl::GetLocation() const {
  return cString(m_Text.c_str(), NameStart(m_Text));
}

cString cUrl::GetFileName() const {
  const int32_t start = NameStart(m_Text);
  return cString(m_Text.c_str() + start, m_Text.GetLength() - start);
}

bool cUrl::IsMemory() const {
  return std::strncmp(m_Text.c_str(), kMemoryScheme, sizeof kMemoryScheme - 1) == 0;
}
