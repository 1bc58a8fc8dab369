// The entity stream: the entity's own fields, then its materials, model and
// children by URL, each stored in a stream of its own by the plug-in system.

#include <cstdlib>
#include <new>
#include <string>
#include <unordered_map>

#include "entity_matrices.h"
#include "tolmak_entity.h"
#include "tolmak_material.h"
#include "tolmak_model.h"
#include "tolmak_scenestream.h"

namespace tolmak::detail {
namespace {

template <class T>
int32_t CountPresent(const tArray<T*>& list) {
  int32_t count = 0;
  for (T* item : list) count += item != nullptr;
  return count;
}

tArray<cString> ReadReferences(cSceneReader& reader, const char* items, const char* field) {
  // Every reference takes at least its 4-byte length.
  const int32_t count = reader.Count(items, 4);
  tArray<cString> urls;
  for (int32_t i = 0; i < count; ++i) urls.Add(reader.Text(field));
  return urls;
}

/// Every object that entity loads re-created, in creation order, while the
/// outermost of nested entity loads runs. A load that fails destroys what
/// was recorded after it started, however deep, and nothing else: a
/// concrete class may point to objects that it did not load. Plain data, so
/// that nothing runs at library load or unload; scene loading, like every
/// scene operation, comes from one thread.
struct cLoadLog {
  cObject** objects;
  int32_t count;
  int32_t capacity;
  int32_t depth;  // entity loads under way, one inside the other
  /// Materials and models re-created so far, by URL, with their place in
  /// objects: entities that shared one when saved share it again.
  std::unordered_map<std::string, int32_t>* shared;
};
cLoadLog gLoadLog;

void Record(cObject* object) {
  if (gLoadLog.count == gLoadLog.capacity) {
    const int32_t capacity = 2 * gLoadLog.capacity + 16;
    void* grown = std::realloc(gLoadLog.objects, sizeof(cObject*) * static_cast<size_t>(capacity));
    if (grown == nullptr) {
      cPluginSystem::GetInstance()->Destroy(object);
      throw std::bad_alloc();
    }
    gLoadLog.objects = static_cast<cObject**>(grown);
    gLoadLog.capacity = capacity;
  }
  gLoadLog.objects[gLoadLog.count++] = object;
}

/// One entity load: on failure it destroys what it (and the loads nested in
/// it) re-created, children before the entities that loaded them. When the
/// outermost load ends the record is dropped.
class cLoadScope {
 public:
  cLoadScope() : m_Mark(gLoadLog.count) { ++gLoadLog.depth; }
  cLoadScope(const cLoadScope&) = delete;
  cLoadScope& operator=(const cLoadScope&) = delete;
  ~cLoadScope() {
    if (!m_Succeeded) {
      for (int32_t i = m_Mark; i < gLoadLog.count; ++i)
        cPluginSystem::GetInstance()->Destroy(gLoadLog.objects[i]);
      gLoadLog.count = m_Mark;
      if (gLoadLog.shared != nullptr)
        std::erase_if(*gLoadLog.shared,
                      [this](const auto& entry) { return entry.second >= m_Mark; });
    }
    if (--gLoadLog.depth == 0) {
      std::free(gLoadLog.objects);
      delete gLoadLog.shared;
      gLoadLog = {};
    }
  }
  /// What was loaded belongs to the entity now, unless an enclosing load
  /// fails later.
  void Succeeded() { m_Succeeded = true; }

 private:
  int32_t m_Mark;
  bool m_Succeeded = false;
};

/// Re-creates the object stored at the URL: null when it cannot be loaded;
/// an object of another kind is refused. A shared kind (materials, models)
/// is re-created once per load, however many entities refer to it.
template <class T>
T* LoadReference(const cString& text, const char* kind, bool shared) {
  const std::string key(text.c_str(), static_cast<size_t>(text.GetLength()));
  cObject* object = nullptr;
  if (shared && gLoadLog.shared != nullptr) {
    const auto known = gLoadLog.shared->find(key);
    if (known != gLoadLog.shared->end()) object = gLoadLog.objects[known->second];
  }
  if (object == nullptr) {
    object = cPluginSystem::GetInstance()->LoadPlugin(cUrl(text));
    if (object == nullptr) return nullptr;
    Record(object);
    if (shared) {
      if (gLoadLog.shared == nullptr)
        gLoadLog.shared = new std::unordered_map<std::string, int32_t>;
      gLoadLog.shared->emplace(key, gLoadLog.count - 1);
    }
  }
  T* typed = dynamic_cast<T*>(object);
  if (typed == nullptr)
    throw cException(
        __FILE__, __LINE__,
        cString::StringF("Corrupt entity stream: \"%s\" is not %s", text.c_str(), kind));
  return typed;
}

}  // namespace
}  // namespace tolmak::detail

void cEntity::Save(iIOStream& stream) {
  using namespace tolmak::detail;
  const cString location = stream.GetUrl().GetLocation();
  cSceneWriter writer(stream, "entity");
  writer.Text(GetName());
  writer.Matrix(GetPivotMatrix());
  writer.Matrix(m_OffsetMatrix);
  writer.Byte(m_Visible ? 1 : 0);
  writer.Int(CountPresent(m_Materials));
  for (cMaterial* material : m_Materials)
    if (material != nullptr) writer.Reference(location, *material);
  writer.Byte(m_Model != nullptr ? 1 : 0);
  if (m_Model != nullptr) writer.Reference(location, *m_Model);
  writer.Int(CountPresent(m_Childs));
  for (cEntity* child : m_Childs)
    if (child != nullptr) writer.Reference(location, *child);
}

void cEntity::Load(iIOStream& stream) {
  using namespace tolmak::detail;
  // The whole stream is read and checked before anything is loaded, and
  // everything is loaded before the entity changes.
  cSceneReader reader(stream, "entity");
  const cString name = reader.Text("the name");
  const cMatrix4x3 pivot = reader.Matrix("the pivot matrix");
  const cMatrix4x3 offset = reader.Matrix("the offset matrix");
  const bool visible = reader.Byte("the visible flag") != 0;
  const tArray<cString> materialUrls =
      ReadReferences(reader, "material references", "a material reference");
  const bool hasModel = reader.Byte("the model flag") != 0;
  const cString modelUrl = hasModel ? reader.Text("the model reference") : cString();
  const tArray<cString> childUrls = ReadReferences(reader, "child references", "a child reference");

  cLoadScope scope;
  tArray<cMaterial*> materials;
  for (const cString& url : materialUrls)
    materials.Add(LoadReference<cMaterial>(url, "a material", true));
  cModel* model = hasModel ? LoadReference<cModel>(modelUrl, "a model", true) : nullptr;
  tArray<cEntity*> children;
  for (const cString& url : childUrls)
    children.Add(LoadReference<cEntity>(url, "an entity", false));

  SetName(name);
  AdoptLoaded(materials, children);
  m_Matrices->pivot = pivot;
  m_OffsetMatrix = offset;
  m_Visible = visible;
  if (hasModel) m_Model = model;
  scope.Succeeded();
}

void cEntity::AdoptLoaded(const tArray<cMaterial*>& materials, const tArray<cEntity*>& children) {
  const int32_t materialCount = m_Materials.GetCount();
  const int32_t childCount = m_Childs.GetCount();
  try {
    for (cMaterial* material : materials) m_Materials.Add(material);
    for (cEntity* child : children) {
      if (child != nullptr)
        LinkChild(child);
      else
        m_Childs.Add(nullptr);
    }
  } catch (...) {
    // Out of memory: the loaded objects are about to be destroyed.
    m_Materials.SetCount(materialCount);
    for (int32_t i = childCount; i < m_Childs.GetCount(); ++i)
      if (m_Childs[i] != nullptr) m_Childs[i]->SetParent(nullptr);
    m_Childs.SetCount(childCount);
    throw;
  }
}
