#include "zunfert_scene.h"

void cObjectOwner::Adopt(cObject* object) {
  if (object == nullptr || Owns(object)) return;
  m_Objects.push_back(object);
  try {
    m_Set.insert(object);
  } catch (...) {
    m_Objects.pop_back();
    throw;
  }
}

void cObjectOwner::DestroyAll() {
  // Objects destroyed here may own further objects; none of them is ours.
  while (!m_Objects.empty()) {
    cObject* object = m_Objects.back();
    m_Objects.pop_back();
    m_Set.erase(object);
    cPluginSystem::GetInstance()->Destroy(object);
  }
}
