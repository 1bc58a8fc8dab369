#pragma once

#include <set>
#include <string>

namespace tolmak::detail {

/// Names for the objects of a compiled scene. Every object is saved in a
/// file named after it, so the names become file names: characters that a
/// file system may refuse turn into '_', and no two names may be equal,
/// even apart from case (not every file system tells case).
class cUniqueNames {
 public:
  /// Claims a name for a file outside the scene's objects (the world's).
  void Reserve(const std::string& name);
  /// A new name from the wanted one (fallback when it is empty), with kind
  /// appended ("Wheel" + ".mesh"); a number before the kind where needed.
  std::string Claim(const std::string& wanted, const std::string& fallback,
                    const std::string& kind = std::string());

 private:
  bool TryClaim(const std::string& name);

  std::set<std::string> m_Taken;
};

}  // namespace tolmak::detail
