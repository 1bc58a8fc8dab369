// Scenes saved to and loaded from files when things go wrong: a write that
// fails part way, a hierarchy too deep to store, files that cannot be read.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#endif

#include "scene_fixtures.h"

using namespace scene_test;
namespace fs = std::filesystem;

namespace {

class SceneFaults : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    folder =
        fs::temp_directory_path() / ("tolmak_faults_" + std::to_string(std::random_device()()));
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(folder);
    SceneTest::TearDown();
  }
  cUrl Path(const std::string& name) const {
    return cUrl(cString((folder / name).string().c_str()));
  }

  /// Every file in the folder with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  }

  fs::path folder;
};

#if !defined(_WIN32)
/// Files this process writes may not grow past a size while in scope, as
/// on a full disk: the write that crosses it fails.
class cFileSizeLimit {
 public:
  explicit cFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_Old);
    m_OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, m_Old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~cFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_Old);
    std::signal(SIGXFSZ, m_OldHandler);
  }

 private:
  rlimit m_Old{};
  void (*m_OldHandler)(int);
};
#endif

/// A chain of depth entities, each the child of the one before.
std::vector<std::unique_ptr<cTestEntity>> Chain(int depth) {
  std::vector<std::unique_ptr<cTestEntity>> chain(depth);
  for (int i = 0; i < depth; ++i) {
    chain[i] = std::make_unique<cTestEntity>();
    chain[i]->SetName(cString::StringF("E%d", i));
    if (i > 0) chain[i - 1]->AddChild(chain[i].get());
  }
  return chain;
}

}  // namespace

// Root, then A, then B with sixty children, then C: B's file is the largest
// and the first to fail, after A and B's children were written in full.
TEST_F(SceneFaults, AFailedWritePartWayLeavesTheSavedSceneAsItWas) {
#if defined(_WIN32)
  GTEST_SKIP() << "no file size limit to simulate a full disk";
#else
  cTestEntity root, a, b, c;
  std::vector<std::unique_ptr<cTestEntity>> leaves(60);
  root.SetName("Root"), a.SetName("A"), b.SetName("B"), c.SetName("C");
  root.AddChild(&a), root.AddChild(&b), root.AddChild(&c);
  for (size_t i = 0; i < leaves.size(); ++i) {
    leaves[i] = std::make_unique<cTestEntity>();
    leaves[i]->SetName(cString::StringF("Leaf%d", static_cast<int>(i)));
    b.AddChild(leaves[i].get());
  }
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  ASSERT_TRUE(plugins->SavePlugin(&root, Path("Root")));
  const auto saved = Files();
  ASSERT_EQ(saved.size(), 64u);
  ASSERT_GT(saved.at("B").size(), 1024u);
  ASSERT_LT(saved.at("Root").size(), 1024u);

  root.MovePivot(5, 0, 0), a.MovePivot(5, 0, 0), leaves[0]->MovePivot(5, 0, 0);
  {
    cFileSizeLimit full(1024);
    EXPECT_THROW(plugins->SavePlugin(&root, Path("Root")), cException);
  }
  EXPECT_EQ(Files(), saved);  // every file as it was, no temporary left

  // The root's own file failing is reported as false.
  {
    cFileSizeLimit full(64);
    EXPECT_FALSE(plugins->SavePlugin(&a, Path("A")));
  }
  EXPECT_EQ(Files(), saved);

  ASSERT_TRUE(plugins->SavePlugin(&root, Path("Root")));
  const auto replaced = Files();
  EXPECT_EQ(replaced.size(), 64u);
  for (const char* name : {"Root", "A", "Leaf0"}) EXPECT_NE(replaced.at(name), saved.at(name));
  EXPECT_EQ(replaced.at("C"), saved.at("C"));
#endif
}

// The plug-in system refuses to nest deeper than kMaxNesting: the save
// throws before anything is written, the load destroys what it re-created.
TEST_F(SceneFaults, TenThousandDeepHierarchyIsRefusedCleanly) {
  constexpr int kDepth = 10000;
  auto chain = Chain(kDepth);
  try {
    cPluginSystem::GetInstance()->SavePlugin(chain[0].get(), Path("E0"));
    ADD_FAILURE() << "a 10,000-deep hierarchy was stored";
  } catch (const cException& e) {
    EXPECT_NE(std::string(e.GetMessage().c_str()).find("nested too deeply"), std::string::npos);
  }
  EXPECT_TRUE(Files().empty());  // nothing half-written
  EXPECT_EQ(chain[kDepth - 1]->GetParent(), chain[kDepth - 2].get());

  // The same chain as memory files, written one by one.
  cStreamManager* streams = cStreamManager::GetInstance();
  for (int i = 0; i < kDepth; ++i) {
    cTestEntity single;
    single.SetName(chain[i]->GetName());
    cMemoryStream bytes(cUrl(cString("mem://deep/x")));
    bytes.WriteInt32(gCRC32("cTestEntity"));
    single.Save(bytes);
    if (i + 1 < kDepth) {  // patch in one child reference
      bytes.Seek(bytes.GetSize() - 4);
      bytes.WriteInt32(1);
      bytes.WriteText(cString::StringF("mem://deep/E%d", i + 1));
    }
    streams->SetMemoryFile(cUrl(cString::StringF("mem://deep/E%d", i)), bytes.GetData(),
                           bytes.GetSize());
  }
  const int live = cLiveCount::sLive;
  EXPECT_THROW(cPluginSystem::GetInstance()->LoadPlugin(cUrl(cString("mem://deep/E0"))),
               cException);
  EXPECT_EQ(cLiveCount::sLive, live);
  cEntity::UpdateMatrices();
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) it->reset();
}

TEST_F(SceneFaults, LoadsFromWhatIsNotAReadableSceneFileFailCleanly) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  cTestEntity parent, child;
  parent.SetName("Parent"), child.SetName("Child");
  parent.AddChild(&child);
  ASSERT_TRUE(plugins->SavePlugin(&parent, Path("Parent")));
  EXPECT_EQ(plugins->LoadPlugin(Path("Missing")), nullptr);
  EXPECT_EQ(plugins->LoadPlugin(cUrl(cString(folder.string().c_str()))), nullptr);
  // A child whose file became a folder is a reference that cannot be loaded.
  fs::remove(folder / "Child");
  fs::create_directory(folder / "Child");
  auto* loaded = dynamic_cast<cEntity*>(plugins->LoadPlugin(Path("Parent")));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->GetNumberOfChilds(), 1);
  EXPECT_EQ(loaded->GetChild(0), nullptr);
  plugins->Destroy(loaded);

#if !defined(_WIN32)
  // Permissions do not stop root: then there is nothing to test.
  fs::permissions(folder / "Parent", fs::perms::none);
  if (geteuid() != 0) {
    EXPECT_EQ(plugins->LoadPlugin(Path("Parent")), nullptr);
  }
  fs::permissions(folder / "Parent", fs::perms::owner_all);
#endif
}
