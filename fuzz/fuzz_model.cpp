// The model compiler on one model file (glTF or OBJ, by the name it is
// given): it compiles or fails with a message, and what it writes loads back.
#include <cstdint>

#include "fuzz_support.h"
#include "tolmak_scene_compiler.h"
#include "zunfert.h"

using namespace tolmak::fuzz;

// Assimp 5.2 leaks parts of a mesh when it gives up on some malformed
// files; those leaks are its own, not the compiler's.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool linked = cPluginSystem::GetInstance()->LinkDLL("Zunfert.dll");
  Expect(linked, "the plug-in library links");
  const cUrl world(cString("mem://fuzz/out/scene.world"));
  cStreamManager::New();
  {
    cMemoryStream source(data, static_cast<uint32_t>(size),
                         cUrl(cString("mem://fuzz/" TOLMAK_FUZZ_MODEL_FILE)));
    cMemoryStream target(world);
    cSceneCompiler compiler;
    const bool done = compiler.Compile(source, target);
    Expect(done == compiler.GetError().IsEmpty(), "a failure, and only a failure, has a message");
    Expect(compiler.OnProgress().m_State.m_Progress <= 1.0f, "progress stays within 1");
    if (done) {
      cStreamManager::GetInstance()->SetMemoryFile(world, target.GetData(), target.GetSize());
      cObject* loaded = cPluginSystem::GetInstance()->LoadPlugin(world);
      Expect(dynamic_cast<cDefaultWorld*>(loaded) != nullptr, "the compiled world loads");
      cPluginSystem::GetInstance()->Destroy(loaded);
    }
  }
  cStreamManager::Delete();
  return 0;
}
