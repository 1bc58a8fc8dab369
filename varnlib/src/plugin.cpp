#include <algorithm>
#include <vector>

#include "dynlib.h"
#include "varn_error.h"
#include "varn_plugin.h"
#include "varn_stream.h"

struct cPluginSystem::cImpl {
  std::vector<iClassDesc*> classes;  // in registration order
  std::vector<void*> libraries;      // linked libraries, never unloaded
  std::vector<std::string> folders;  // searched first, each with a trailing separator
  cString linkError;                 // why the last LinkDLL failed
  int32_t nesting = 0;
  int32_t loadLimit = kDefaultLoadLimit;
  int32_t loaded = 0;  // objects re-created by the outermost LoadPlugin so far

  iClassDesc* Registered(int32_t classID) const {
    for (iClassDesc* desc : classes)
      if (desc->GetClassID() == classID) return desc;
    return nullptr;
  }
};

/// Counts how deeply SavePlugin and LoadPlugin are nested in each other.
class cPluginSystem::cNestingGuard {
 public:
  explicit cNestingGuard(cImpl& impl) : m_Impl(impl) {
    if (m_Impl.nesting >= kMaxNesting)
      throw cException(__FILE__, __LINE__,
                       "Objects are nested too deeply (a cycle of references?)");
    ++m_Impl.nesting;
  }
  ~cNestingGuard() { --m_Impl.nesting; }
  cNestingGuard(const cNestingGuard&) = delete;
  cNestingGuard& operator=(const cNestingGuard&) = delete;

 private:
  cImpl& m_Impl;
};

cPluginSystem::cPluginSystem() : m_Impl(new cImpl) {}

cPluginSystem::~cPluginSystem() {
  delete m_Impl;
}

cPluginSystem* cPluginSystem::GetInstance() {
  // Never destroyed: plug-in libraries stay loaded until the process ends,
  // and so may their objects be destroyed through it at any time.
  static cPluginSystem* instance = new cPluginSystem;
  return instance;
}

bool cPluginSystem::LinkDLL(const cString& fileName) {
  using namespace varn::detail;
  const std::string name = PlatformLibraryName(fileName.c_str());
  std::string searched;
  void* library = nullptr;
  if (name.find_first_of("/\\") == std::string::npos) {
    std::vector<std::string> folders = m_Impl->folders;
    folders.push_back(BaseLibraryFolder());
    for (const std::string& folder : folders) {
      searched += folder + ", ";
      if ((library = OpenLibrary(folder + name)) != nullptr) break;
    }
  }
  if (library == nullptr) library = OpenLibrary(name);
  if (library == nullptr) {
    m_Impl->linkError = cString(("Plug-in library " + name + " was not found (searched " +
                                 searched + "then the loader's path)")
                                    .c_str());
    return false;
  }
  if (std::find(m_Impl->libraries.begin(), m_Impl->libraries.end(), library) ==
      m_Impl->libraries.end()) {
    using tEntryPoint = void (*)(cPluginSystem*);
    const auto entry = reinterpret_cast<tEntryPoint>(FindSymbol(library, VARN_PLUGIN_ENTRY_POINT));
    if (entry == nullptr) {
      m_Impl->linkError =
          cString(("Plug-in library " + name + " has no " VARN_PLUGIN_ENTRY_POINT).c_str());
      return false;
    }
    m_Impl->libraries.push_back(library);
    entry(this);
  }
  m_Impl->linkError = cString();
  return true;
}

const cString& cPluginSystem::GetLinkError() const {
  return m_Impl->linkError;
}

void cPluginSystem::AddSearchFolder(const cString& folder) {
  std::string path(folder.c_str());
  if (path.empty()) return;
  if (path.back() != '/' && path.back() != '\\') path += '/';
  if (std::find(m_Impl->folders.begin(), m_Impl->folders.end(), path) == m_Impl->folders.end())
    m_Impl->folders.push_back(path);
}

bool cPluginSystem::Register(iClassDesc* descriptor) {
  if (descriptor == nullptr || m_Impl->Registered(descriptor->GetClassID())) return false;
  m_Impl->classes.push_back(descriptor);
  return true;
}

bool cPluginSystem::Unregister(iClassDesc* descriptor) {
  return std::erase(m_Impl->classes, descriptor) > 0;
}

cObject* cPluginSystem::CreateNamed(const cString& className) {
  if (cObject* object = Create(gCRC32(className.c_str()))) return object;
  throw cException(__FILE__, __LINE__,
                   cString("Unknown plug-in class \"", className) +
                       "\": no linked library registers it (check the spelling, or link its "
                       "library with cPluginSystem::LinkDLL)");
}

cObject* cPluginSystem::Create(int32_t classID) {
  const iClassDesc* desc = m_Impl->Registered(classID);
  return desc ? desc->CreateInstance() : nullptr;
}

void cPluginSystem::Destroy(cObject* object) {
  delete object;
}

void cPluginSystem::Find(int32_t classID, tArray<uint32_t>& result) {
  for (const iClassDesc* desc : m_Impl->classes)
    if (desc->GetClassID() != classID && desc->IsOfType(classID))
      result.Add(static_cast<uint32_t>(desc->GetClassID()));
}

iClassDesc* cPluginSystem::GetDescriptor(int32_t classID) {
  for (iClassDesc* desc : m_Impl->classes)
    for (iClassDesc* ancestor = desc; ancestor; ancestor = ancestor->GetParent())
      if (ancestor->GetClassID() == classID) return ancestor;
  return nullptr;
}

bool cPluginSystem::SavePlugin(cObject* object, const cUrl& url) {
  cStreamManager* streams = cStreamManager::GetInstance();
  if (streams == nullptr) return false;
  cNestingGuard nesting(*m_Impl);
  // The objects stored inside this one are written with it or not at all,
  // and a failure here undoes the enclosing save too.
  streams->BeginGroup();
  bool saved = false;
  try {
    auto* serializable = dynamic_cast<iSerializable*>(object);
    saved = serializable != nullptr &&
            SaveStream(*serializable, object->GetDescriptor()->GetClassID(), url);
  } catch (...) {
    streams->EndGroup(false);
    throw;
  }
  return streams->EndGroup(saved) && saved;
}

bool cPluginSystem::SaveStream(iSerializable& object, int32_t classID, const cUrl& url) {
  iIOStream* stream = cStreamManager::GetInstance()->Open(url, cStreamManager::OpenWrite);
  if (stream == nullptr) return false;
  try {
    if (!stream->WriteInt32(classID)) {
      stream->Abandon();
      return false;
    }
    object.Save(*stream);
  } catch (...) {
    stream->Abandon();
    throw;
  }
  return stream->Close();
}

int32_t cPluginSystem::SetLoadLimit(int32_t objects) {
  const int32_t old = m_Impl->loadLimit;
  m_Impl->loadLimit = objects < 1 ? 1 : objects;
  return old;
}

cObject* cPluginSystem::LoadPlugin(const cUrl& url) {
  cStreamManager* streams = cStreamManager::GetInstance();
  if (streams == nullptr) return nullptr;
  if (m_Impl->nesting == 0) m_Impl->loaded = 0;
  cNestingGuard nesting(*m_Impl);
  iIOStream* stream = streams->Open(url, cStreamManager::OpenRead);
  if (stream == nullptr) return nullptr;
  int32_t classID = 0;
  cObject* object = stream->ReadInt32(classID) ? Create(classID) : nullptr;
  auto* serializable = dynamic_cast<iSerializable*>(object);
  if (serializable == nullptr) {
    Destroy(object);
    stream->Abandon();
    return nullptr;
  }
  if (++m_Impl->loaded > m_Impl->loadLimit) {
    Destroy(object);
    stream->Abandon();
    throw cException(__FILE__, __LINE__,
                     cString::StringF("More than %d objects in one load (references that "
                                      "multiply?)",
                                      m_Impl->loadLimit));
  }
  try {
    serializable->Load(*stream);
  } catch (...) {
    Destroy(object);
    stream->Abandon();
    throw;
  }
  stream->Close();
  return object;
}
