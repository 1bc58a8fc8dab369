#include "unique_names.h"

#include <algorithm>
#include <cctype>

namespace tolmak::detail {
namespace {

constexpr size_t kMaxStem = 64;

std::string Folded(const std::string& name) {
  std::string folded = name;
  std::transform(folded.begin(), folded.end(), folded.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return folded;
}

std::string FileSafe(const std::string& name) {
  std::string safe;
  for (const unsigned char c : name.substr(0, kMaxStem))
    safe += std::isalnum(c) || c == '-' || c == '_' || c == '.' ? static_cast<char>(c) : '_';
  // A leading dot would hide the file; trailing dots vanish on some systems.
  if (!safe.empty() && safe.front() == '.') safe.front() = '_';
  while (!safe.empty() && safe.back() == '.') safe.back() = '_';
  return safe;
}

}  // namespace

void cUniqueNames::Reserve(const std::string& name) {
  m_Taken.insert(Folded(name));
}

bool cUniqueNames::TryClaim(const std::string& name) {
  return m_Taken.insert(Folded(name)).second;
}

std::string cUniqueNames::Claim(const std::string& wanted, const std::string& fallback,
                                const std::string& kind) {
  std::string stem = FileSafe(wanted);
  if (stem.empty()) stem = fallback;
  if (TryClaim(stem + kind)) return stem + kind;
  for (int number = 2;; ++number) {
    const std::string name = stem + "_" + std::to_string(number) + kind;
    if (TryClaim(name)) return name;
  }
}

}  // namespace tolmak::detail
