// cEntity::Load, or cModel::Load when built with TOLMAK_FUZZ_MODEL, through
// cPluginSystem::LoadPlugin of arbitrary bytes. The input holds up to eight
// memory files (see fuzz_support.h), so references between them resolve.
// A load either throws cException having destroyed all it re-created, or
// gives a tree that saves and loads back with the same fields.

#include <cstring>

#include "fuzz_support.h"

using namespace tolmak::fuzz;

namespace {

#ifdef TOLMAK_FUZZ_MODEL
const iClassDesc& gReader = gcTestModelDesc;
#else
const iClassDesc& gReader = gcTestEntityDesc;
#endif

void ExpectLinkedTree(const cEntity& entity) {
  for (int i = 0; i < entity.GetNumberOfChilds(); ++i) {
    const cEntity* child = entity.GetChild(i);
    if (child == nullptr) continue;
    Expect(child->GetParent() == &entity, "a loaded child has its loader as parent");
    ExpectLinkedTree(*child);
  }
}

int Present(const cEntity& entity, bool materials) {
  int count = 0;
  const int n = materials ? entity.GetNumberOfMaterials() : entity.GetNumberOfChilds();
  for (int i = 0; i < n; ++i)
    count += (materials ? static_cast<void*>(entity.GetMaterial(i))
                        : static_cast<void*>(entity.GetChild(i))) != nullptr;
  return count;
}

bool SameFields(const cObject* a, const cObject* b) {
  const auto* x = dynamic_cast<const cNamedObject*>(a);
  const auto* y = dynamic_cast<const cNamedObject*>(b);
  if (x->GetName().GetLength() != y->GetName().GetLength() ||
      std::memcmp(x->GetName().c_str(), y->GetName().c_str(), x->GetName().GetLength()) != 0)
    return false;
  const auto* e = dynamic_cast<const cEntity*>(a);
  const auto* f = dynamic_cast<const cEntity*>(b);
  if (e == nullptr) return true;
  return std::memcmp(&e->GetPivotMatrix(), &f->GetPivotMatrix(), sizeof(cMatrix4x3)) == 0 &&
         std::memcmp(&e->GetOffsetMatrix(), &f->GetOffsetMatrix(), sizeof(cMatrix4x3)) == 0 &&
         e->IsVisible() == f->IsVisible() && Present(*e, true) == Present(*f, true) &&
         Present(*e, false) == Present(*f, false) &&
         (e->GetModel() != nullptr) == (f->GetModel() != nullptr);
}

// Saving what was loaded must work; loading it back may still fail where
// two loaded objects share a name and so a file.
void RoundTrip(cObject* loaded) {
  const cUrl url(cString("mem://r/0"));
  try {
    Expect(cPluginSystem::GetInstance()->SavePlugin(loaded, url), "a loaded scene saves");
  } catch (const cException&) {
    Fault("a loaded scene saves without an exception");
  }
  cObject* again = nullptr;
  try {
    again = cPluginSystem::GetInstance()->LoadPlugin(url);
  } catch (const cException&) {
    return;
  }
  Expect(again != nullptr && SameFields(loaded, again), "what was saved loads back");
  DestroyLoaded(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    RegisterSceneClasses();
    // Enough for every seed; a reference bomb or a cycle stops early
    // instead of spending the run's time (the nesting limit is the unit
    // tests' to reach).
    cPluginSystem::GetInstance()->SetLoadLimit(256);
    return true;
  }();
  (void)ready;
  cStreamManager* streams = cStreamManager::New();
  std::vector<std::string> files = SplitFiles(data, size);
  const auto id = static_cast<uint32_t>(gReader.GetClassID());
  const char prefix[4] = {char(id), char(id >> 8), char(id >> 16), char(id >> 24)};
  files[0].insert(0, prefix, 4);
  for (size_t i = 0; i < files.size(); ++i)
    streams->SetMemoryFile(SceneUrl(static_cast<int>(i)), files[i].data(),
                           static_cast<uint32_t>(files[i].size()));

  cObject* loaded = nullptr;
  try {
    loaded = cPluginSystem::GetInstance()->LoadPlugin(SceneUrl(0));
  } catch (const cException&) {
    Expect(cLiveCount::sLive == 0, "a failed load destroys everything it re-created");
  }
  if (loaded != nullptr) {
    if (auto* entity = dynamic_cast<cEntity*>(loaded)) ExpectLinkedTree(*entity);
    RoundTrip(loaded);
    DestroyLoaded(loaded);
  }
  cEntity::UpdateMatrices();
  Expect(cLiveCount::sLive == 0, "nothing outlives the loaded scene");
  cStreamManager::Delete();
  return 0;
}
