#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;
using tolmak::test::cLEBytes;
using tolmak::test::LoadBytes;
using tolmak::test::SavedBytes;

namespace {

using tUrls = std::vector<std::string>;

/// An entity stream's head: name, pivot, identity offset and visibility.
cLEBytes Head(const std::string& name, const cMatrix4x3& pivot = {}, uint8_t visible = 1) {
  cLEBytes b;
  b.Text(name);
  for (const cMatrix4x3& m : {pivot, cMatrix4x3()})
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c) b.U32(std::bit_cast<uint32_t>(m(r, c)));
  return b.U8({visible});
}

/// An entity stream; an empty model URL means no model.
std::vector<uint8_t> EntityBytes(const std::string& name, const tUrls& materials,
                                 const std::string& model, const tUrls& children,
                                 const cMatrix4x3& pivot = cMatrix4x3(), uint8_t visible = 1) {
  cLEBytes b = Head(name, pivot, visible);
  b.U32(uint32_t(materials.size()));
  for (const std::string& url : materials) b.Text(url);
  b.U8({model.empty() ? 0u : 1u});
  if (!model.empty()) b.Text(model);
  b.U32(uint32_t(children.size()));
  for (const std::string& url : children) b.Text(url);
  return b.bytes;
}

/// Root "Root" with materials Stone and Wood, model Box and children Left
/// (with a child LeftFoot that also uses Stone) and Right.
struct cSavedTree {
  cSavedTree() {
    world.SetRootSector(&sector);
    sector.SetRoot(&root);
    root.SetName("Root"), stone.SetName("Stone"), wood.SetName("Wood"), box.SetName("Box");
    left.SetName("Left"), right.SetName("Right"), foot.SetName("LeftFoot");
    root.AddMaterial(&stone), root.AddMaterial(&wood), foot.AddMaterial(&stone);
    root.SetModel(&box);
    root.AddChild(&left), root.AddChild(&right), left.AddChild(&foot);
    root.SetPivotPosition(1, 2, 3);
    left.RotatePivot(10, 20, 30);
    foot.SetOffsetPosition(0.1f, 0.2f, 0.3f);
    right.ScalePivot(2, 3, 4);
  }
  cTestWorld world;
  cTestSector sector;
  cTestEntity root, left, right, foot;
  cTestMaterial stone, wood;
  cTestModel box;
};

/// A memory stream that fails every write once the budget of bytes is spent.
class cFailingStream : public cMemoryStream {
 public:
  explicit cFailingStream(uint32_t budget)
      : cMemoryStream(cUrl(cString("mem://f/"))), m_Budget(budget) {}
  uint32_t Write(const void* buffer, uint32_t size) override {
    const uint32_t written = cMemoryStream::Write(buffer, std::min(size, m_Budget));
    m_Budget -= written;
    return written;
  }

 private:
  uint32_t m_Budget;
};

/// An entity class whose constructor attaches a shared material, which a
/// failed load must leave alone.
cTestMaterial* gPreset = nullptr;
class cPresetEntity : public cTestEntity {
 public:
  cPresetEntity() { AddMaterial(gPreset); }
  iClassDesc* GetDescriptor() const override;
};
tPluginClassDesc<cPresetEntity> gPresetClass("cPresetEntity", "cPresetEntity",
                                             &cEntity::m_Descriptor);
iClassDesc* cPresetEntity::GetDescriptor() const {
  return &gPresetClass;
}

using EntityStream = SceneTest;

}  // namespace

// The references are stored beside the stream by name, each with its class.
// (That a loaded tree saves to the same files again and composes the same
// world matrices is the plug-in's whole-scene round trip, whose entities
// save through these streams.)
TEST_F(EntityStream, TreeIsStoredBesideTheStreamAndSharedObjectsLoadOnce) {
  const auto file = [](const char* name) {
    tArray<uint8_t> bytes;
    EXPECT_TRUE(cStreamManager::GetInstance()->GetMemoryFile(
        cUrl(cString("mem://s/") + cString(name)), bytes));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  };
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  const int live = cLiveCount::sLive;
  cSavedTree tree;
  const cUrl url(cString("mem://s/Root"));
  ASSERT_TRUE(plugins->SavePlugin(&tree.root, url));
  const auto root = file("Root");
  EXPECT_EQ(std::vector<uint8_t>(root.begin() + 4, root.end()),
            EntityBytes("Root", {"mem://s/Stone", "mem://s/Wood"}, "mem://s/Box",
                        {"mem://s/Left", "mem://s/Right"}, tree.root.GetPivotMatrix()));
  EXPECT_EQ(file("Box"), cLEBytes().U32(gCRC32("cTestModel")).Text("Box").bytes);

  auto* loaded = dynamic_cast<cEntity*>(plugins->LoadPlugin(url));
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(loaded->GetWorld() == nullptr && loaded->GetChild(0)->GetSector() == nullptr);
  // All seven objects came back; Stone, shared when saved, is one object again.
  EXPECT_EQ(loaded->GetChild(0)->GetChild(0)->GetMaterial(0), loaded->GetMaterial(0));
  EXPECT_EQ(cLiveCount::sLive, live + 9 + 7);
  DestroyLoaded(loaded);
  EXPECT_EQ(cLiveCount::sLive, live + 9);  // only the saved tree is left
}

// A load appends to the lists and keeps a model when none is stored; a
// reference that cannot be loaded leaves a null entry, which the queue walk
// and Save step over (a bare entity named "H" saves as the 111 bytes of the
// worked example).
TEST_F(EntityStream, LoadAppendsToTheListsAndLeavesNullsForMissingReferences) {
  cTestMaterial stone, own;
  cTestModel model;
  stone.SetName("Stone");
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(&stone, cUrl(cString("mem://a/Stone"))));
  cTestEntity target, entity;
  target.AddMaterial(&own);
  target.SetModel(&model);
  LoadBytes(target, EntityBytes("T", {"mem://a/Stone"}, "", {}));
  ASSERT_EQ(target.GetNumberOfMaterials(), 2);
  EXPECT_TRUE(target.GetMaterial(0) == &own && target.GetModel() == &model);
  EXPECT_EQ(target.GetMaterial(1)->GetName(), "Stone");
  cPluginSystem::GetInstance()->Destroy(target.GetMaterial(1));

  LoadBytes(entity, EntityBytes("H", {"mem://no/S"}, "", {"mem://no/C"}, cMatrix4x3(), 0));
  EXPECT_FALSE(entity.IsVisible());
  ASSERT_EQ(entity.GetNumberOfChilds(), 1);
  EXPECT_TRUE(entity.GetChild(0) == nullptr && entity.GetMaterial(0) == nullptr);
  entity.MovePivot(1, 0, 0);
  const auto saved = SavedBytes(entity);
  EXPECT_EQ(saved.size(), 111u);
  EXPECT_EQ(saved, EntityBytes("H", {}, "", {}, entity.GetPivotMatrix(), 0));
}

// Every cut of a saved tree, impossible counts and lengths, and references
// to an object of the wrong kind or to a broken entity (the reference before
// names an entity whose constructor attaches a shared material): the load
// throws, leaves the entity as it was and destroys what it re-created and
// nothing else.
TEST_F(EntityStream, EveryBadStreamThrowsAndLeavesTheEntityAsItWas) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  plugins->Register(&gPresetClass);
  cTestMaterial preset;
  gPreset = &preset;
  cSavedTree tree;
  cMemoryStream full(cUrl(cString("mem://w/Root")));
  tree.root.Save(full);
  cPresetEntity child;
  child.SetName("P"), preset.SetName("Preset");
  ASSERT_TRUE(plugins->SavePlugin(&child, cUrl(cString("mem://w/P"))));
  const auto broken = cLEBytes().U32(gCRC32("cTestEntity")).Text("Broken").U8({0}).bytes;
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://w/Broken")), broken.data(),
                                               static_cast<uint32_t>(broken.size()));

  const auto refs = [](const char* last) {
    return EntityBytes("E", {"mem://w/Wood"}, "mem://w/Box", {"mem://w/Left", "mem://w/P", last});
  };
  std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {cLEBytes().U32(-1).bytes, "Corrupt entity stream: the name has a negative length (-1)"},
      {cLEBytes().U32(0x7FFFFFFF).U8({'x'}).bytes, "the name is 2147483647 bytes long but only 1"},
      {Head("E").U32(-5).bytes, "Corrupt entity stream: negative number of material references"},
      {Head("E").U32(0x40000000).U32(0).bytes, "1073741824 material references cannot fit in"},
      {Head("E").U32(0).U8({0}).U32(-1).bytes, "negative number of child references (-1)"},
      {Head("E").U32(0).U8({1}).U32(-7).bytes, "the model reference has a negative length"},
      {refs("mem://w/Stone"), "Corrupt entity stream: \"mem://w/Stone\" is not an entity"},
      {refs("mem://w/Broken"), "Truncated entity stream: the pivot matrix is incomplete"}};
  for (uint32_t size = 0; size < full.GetSize(); ++size)
    cases.emplace_back(std::vector<uint8_t>(full.GetData(), full.GetData() + size),
                       "entity stream");
  const int live = cLiveCount::sLive;
  for (const auto& [bytes, message] : cases) {
    cTestEntity entity;
    entity.SetName("Kept");
    tolmak::test::ExpectError<cException>([&, &b = bytes] { LoadBytes(entity, b); }, message);
    EXPECT_TRUE(entity.GetName() == "Kept" && entity.GetModel() == nullptr) << message;
    EXPECT_EQ(entity.GetNumberOfMaterials() + entity.GetNumberOfChilds(), 0) << message;
    EXPECT_EQ(cLiveCount::sLive, live + 1) << message;  // nothing loaded is left over
  }
  cTestModel model;
  model.SetName("Kept");
  for (int32_t length : {-1, 7}) {
    EXPECT_THROW(LoadBytes(model, cLEBytes().U32(length).Chars("ab").bytes), cException) << length;
    EXPECT_EQ(model.GetName(), "Kept");
  }
  gPreset = nullptr;
  plugins->Unregister(&gPresetClass);
}

TEST_F(EntityStream, EveryFailedWriteOrStoreThrows) {
  cTestEntity parent, child;
  cTestModel model;
  parent.SetName("Parent"), child.SetName("Child"), model.SetName("Box");
  parent.AddChild(&child);
  parent.SetModel(&model);
  for (iSerializable* object : std::initializer_list<iSerializable*>{&parent, &model}) {
    cMemoryStream full(cUrl(cString("mem://f/")));
    object->Save(full);
    for (uint32_t budget = 0; budget < full.GetSize(); ++budget) {
      cFailingStream stream(budget);
      EXPECT_THROW(object->Save(stream), cException) << budget;
    }
  }
  cStreamManager::Delete();  // nowhere to store the child
  cMemoryStream full(cUrl(cString("mem://f/")));
  EXPECT_THROW(parent.Save(full), cException);
  cStreamManager::New();
}
