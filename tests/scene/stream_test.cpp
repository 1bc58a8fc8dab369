#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "scene_fixtures.h"

using namespace scene_test;

namespace {

/// Builds an expected byte stream field by field, little-endian.
class cBytes {
 public:
  cBytes& Int(int32_t v) {
    for (int i = 0; i < 4; ++i)
      m_Bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  cBytes& Byte(uint8_t v) {
    m_Bytes.push_back(v);
    return *this;
  }
  cBytes& Text(const std::string& text) {
    Int(static_cast<int32_t>(text.size()));
    m_Bytes.insert(m_Bytes.end(), text.begin(), text.end());
    return *this;
  }
  cBytes& Float(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return Int(static_cast<int32_t>(bits));
  }
  cBytes& Matrix(const cMatrix4x3& m) {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c) Float(m(r, c));
    return *this;
  }
  const std::vector<uint8_t>& Get() const { return m_Bytes; }

 private:
  std::vector<uint8_t> m_Bytes;
};

std::vector<uint8_t> Contents(const cMemoryStream& stream) {
  return {stream.GetData(), stream.GetData() + stream.GetSize()};
}

using tUrls = std::vector<std::string>;

/// An entity stream with identity matrices unless a pivot is given; an
/// empty model URL means no model.
std::vector<uint8_t> EntityBytes(const std::string& name, const tUrls& materials,
                                 const std::string& model, const tUrls& children,
                                 const cMatrix4x3& pivot = cMatrix4x3(), uint8_t visible = 1) {
  cBytes bytes;
  bytes.Text(name).Matrix(pivot).Matrix(cMatrix4x3()).Byte(visible);
  bytes.Int(static_cast<int32_t>(materials.size()));
  for (const std::string& url : materials) bytes.Text(url);
  bytes.Byte(model.empty() ? 0 : 1);
  if (!model.empty()) bytes.Text(model);
  bytes.Int(static_cast<int32_t>(children.size()));
  for (const std::string& url : children) bytes.Text(url);
  return bytes.Get();
}

/// Loads the bytes into the entity; the exception, if any, is passed on.
void LoadBytes(cEntity& entity, const std::vector<uint8_t>& bytes) {
  cMemoryStream stream(bytes.data(), static_cast<uint32_t>(bytes.size()));
  entity.Load(stream);
}

/// Root "Root" with materials Stone and Wood, model Box and children Left
/// (with a child LeftFoot that also uses Stone) and Right.
struct cSavedTree {
  cSavedTree() {
    world.SetRootSector(&sector);
    sector.SetRoot(&root);
    root.SetName("Root");
    stone.SetName("Stone");
    wood.SetName("Wood");
    box.SetName("Box");
    left.SetName("Left");
    right.SetName("Right");
    foot.SetName("LeftFoot");
    root.AddMaterial(&stone);
    root.AddMaterial(&wood);
    root.SetModel(&box);
    root.AddChild(&left);
    root.AddChild(&right);
    left.AddChild(&foot);
    foot.AddMaterial(&stone);
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

void ExpectSameEntity(const cEntity& loaded, const cEntity& saved) {
  EXPECT_EQ(loaded.GetName(), saved.GetName());
  EXPECT_TRUE(SameBits(loaded.GetPivotMatrix(), saved.GetPivotMatrix()));
  EXPECT_TRUE(SameBits(loaded.GetOffsetMatrix(), saved.GetOffsetMatrix()));
  EXPECT_EQ(loaded.IsVisible(), saved.IsVisible());
  ASSERT_EQ(loaded.GetNumberOfMaterials(), saved.GetNumberOfMaterials());
  for (int i = 0; i < saved.GetNumberOfMaterials(); ++i) {
    ASSERT_NE(loaded.GetMaterial(i), nullptr);
    EXPECT_NE(loaded.GetMaterial(i), saved.GetMaterial(i));
    EXPECT_EQ(loaded.GetMaterial(i)->GetName(), saved.GetMaterial(i)->GetName());
  }
  EXPECT_EQ(loaded.GetModel() != nullptr, saved.GetModel() != nullptr);
  if (saved.GetModel() != nullptr) {
    EXPECT_EQ(loaded.GetModel()->GetName(), saved.GetModel()->GetName());
  }
  ASSERT_EQ(loaded.GetNumberOfChilds(), saved.GetNumberOfChilds());
  for (int i = 0; i < saved.GetNumberOfChilds(); ++i) {
    EXPECT_EQ(loaded.GetChild(i)->GetParent(), &loaded);
    ExpectSameEntity(*loaded.GetChild(i), *saved.GetChild(i));
  }
}

/// Saves the tree at the location, loads it back and compares.
void RoundTrip(const std::string& location) {
  const int live = cLiveCount::sLive;
  cSavedTree tree;
  const cUrl url(cString((location + "Root").c_str()));
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(&tree.root, url));
  auto* loaded = dynamic_cast<cEntity*>(cPluginSystem::GetInstance()->LoadPlugin(url));
  ASSERT_NE(loaded, nullptr);
  ExpectSameEntity(*loaded, tree.root);
  EXPECT_EQ(loaded->GetWorld(), nullptr);
  EXPECT_EQ(loaded->GetChild(0)->GetSector(), nullptr);

  // The loaded tree composes its world matrices like the saved one.
  cEntity::UpdateMatrices();
  EXPECT_TRUE(
      SameBits(loaded->GetChild(0)->GetChild(0)->GetWorldMatrix(), tree.foot.GetWorldMatrix()));
  EXPECT_TRUE(SameBits(loaded->GetChild(1)->GetWorldMatrix(), tree.right.GetWorldMatrix()));
  DestroyLoadedTree(loaded);
  EXPECT_EQ(cLiveCount::sLive, live + 7);  // only the saved tree is left
}

using EntityStream = SceneTest;

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

}  // namespace

TEST_F(EntityStream, PlainEntityNamedASavesAs111Bytes) {
  cTestEntity entity;
  entity.SetName("A");
  cMemoryStream stream;
  entity.Save(stream);
  const std::vector<uint8_t> expected = cBytes()
                                            .Text("A")
                                            .Matrix(cMatrix4x3())
                                            .Matrix(cMatrix4x3())
                                            .Byte(1)
                                            .Int(0)
                                            .Byte(0)
                                            .Int(0)
                                            .Get();
  ASSERT_EQ(expected.size(), 111u);
  EXPECT_EQ(Contents(stream), expected);
  EXPECT_EQ(EntityBytes("A", {}, "", {}), expected);  // the builder the other tests use
}

TEST_F(EntityStream, ReferencesAreStoredBesideTheStreamByName) {
  cSavedTree tree;
  cMemoryStream stream(cUrl(cString("mem://level/Root")));
  tree.root.Save(stream);
  EXPECT_EQ(Contents(stream),
            EntityBytes("Root", {"mem://level/Stone", "mem://level/Wood"}, "mem://level/Box",
                        {"mem://level/Left", "mem://level/Right"}, tree.root.GetPivotMatrix()));

  // Each reference holds its class and its own stream; a child its subtree.
  tArray<uint8_t> box, foot;
  ASSERT_TRUE(cStreamManager::GetInstance()->GetMemoryFile(cUrl(cString("mem://level/Box")), box));
  EXPECT_EQ(std::vector<uint8_t>(box.begin(), box.end()),
            cBytes().Int(gCRC32("cTestModel")).Text("Box").Get());
  EXPECT_TRUE(
      cStreamManager::GetInstance()->GetMemoryFile(cUrl(cString("mem://level/LeftFoot")), foot));
}

TEST_F(EntityStream, ModelNamedBoxSavesAs7BytesAndLoadsBack) {
  cTestModel model;
  model.SetName("Box");
  cMemoryStream stream;
  model.Save(stream);
  EXPECT_EQ(Contents(stream), (std::vector<uint8_t>{3, 0, 0, 0, 'B', 'o', 'x'}));
  cTestModel loaded;
  stream.Seek(0);
  loaded.Load(stream);
  EXPECT_EQ(loaded.GetName(), "Box");
}

TEST_F(EntityStream, TreeRoundTripsThroughMemoryFiles) {
  RoundTrip("mem://scene/");
}

TEST_F(EntityStream, TreeRoundTripsThroughFiles) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("tolmak_scene_" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(folder);
  RoundTrip(folder.string() + "/");
  EXPECT_TRUE(std::filesystem::exists(folder / "LeftFoot"));
  std::filesystem::remove_all(folder);
}

TEST_F(EntityStream, LoadAppendsToTheListsAndKeepsAModelWhenNoneIsStored) {
  cTestMaterial stone, own;
  cTestModel model;
  stone.SetName("Stone");
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(&stone, cUrl(cString("mem://a/Stone"))));
  cTestEntity target;
  target.AddMaterial(&own);
  target.SetModel(&model);
  LoadBytes(target, EntityBytes("T", {"mem://a/Stone"}, "", {}));
  ASSERT_EQ(target.GetNumberOfMaterials(), 2);
  EXPECT_EQ(target.GetMaterial(0), &own);
  EXPECT_EQ(target.GetMaterial(1)->GetName(), "Stone");
  EXPECT_EQ(target.GetModel(), &model);
  cPluginSystem::GetInstance()->Destroy(target.GetMaterial(1));
}

TEST_F(EntityStream, MissingReferenceLeavesANullEntryThatSaveSkips) {
  cTestEntity entity;
  LoadBytes(entity,
            EntityBytes("H", {"mem://nowhere/S"}, "", {"mem://nowhere/C"}, cMatrix4x3(), 0));
  EXPECT_FALSE(entity.IsVisible());
  ASSERT_EQ(entity.GetNumberOfChilds(), 1);
  EXPECT_EQ(entity.GetChild(0), nullptr);
  EXPECT_EQ(entity.GetMaterial(0), nullptr);
  entity.MovePivot(1, 0, 0);  // the queue walk steps over the null child
  cMemoryStream out;
  entity.Save(out);
  EXPECT_EQ(Contents(out), EntityBytes("H", {}, "", {}, entity.GetPivotMatrix(), 0));
}

TEST_F(EntityStream, EveryTruncationThrowsAndLeavesTheEntityAsItWas) {
  cSavedTree tree;
  cMemoryStream full(cUrl(cString("mem://t/Root")));
  tree.root.Save(full);
  const int live = cLiveCount::sLive;
  for (uint32_t size = 0; size < full.GetSize(); ++size) {
    cMemoryStream cut(full.GetData(), size);
    cTestEntity entity;
    entity.SetName("Kept");
    EXPECT_THROW(entity.Load(cut), cException) << size;
    EXPECT_EQ(entity.GetName(), "Kept");
    EXPECT_EQ(entity.GetNumberOfMaterials() + entity.GetNumberOfChilds(), 0);
    EXPECT_EQ(entity.GetModel(), nullptr);
    EXPECT_EQ(cLiveCount::sLive, live + 1);  // nothing loaded is left over
  }
}

TEST_F(EntityStream, ImpossibleCountsAndLengthsAreRefusedWithAClearMessage) {
  const auto head = [] {
    return cBytes().Text("E").Matrix(cMatrix4x3()).Matrix(cMatrix4x3()).Byte(1);
  };
  const std::pair<std::vector<uint8_t>, std::string> cases[] = {
      {cBytes().Int(-1).Get(), "the name has a negative length"},
      {cBytes().Int(0x7FFFFFFF).Byte('x').Get(), "bytes long"},
      {head().Int(-5).Get(), "negative number of material references"},
      {head().Int(0x40000000).Int(0).Get(), "cannot fit"},
      {head().Int(0).Byte(0).Int(-1).Get(), "negative number of child references"},
      {head().Int(0).Byte(1).Int(-7).Get(), "the model reference has a negative length"},
  };
  for (const auto& [bytes, message] : cases) {
    cTestEntity entity;
    try {
      LoadBytes(entity, bytes);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const cException& e) {
      const std::string text = e.GetMessage().c_str();
      EXPECT_EQ(text.rfind("Corrupt entity stream: ", 0), 0u) << text;
      EXPECT_NE(text.find(message), std::string::npos) << text;
    }
  }
  cTestModel model;
  model.SetName("Kept");
  for (int32_t length : {-1, 7}) {
    const std::vector<uint8_t> bad = cBytes().Int(length).Text("ab").Get();
    cMemoryStream stream(bad.data(), static_cast<uint32_t>(bad.size()));
    EXPECT_THROW(model.Load(stream), cException) << length;
    EXPECT_EQ(model.GetName(), "Kept");
  }
}

TEST_F(EntityStream, FailedReferenceThrowsAndDestroysWhatWasLoadedBeforeIt) {
  cSavedTree tree;
  ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(&tree.root, cUrl(cString("mem://w/Root"))));
  const std::vector<uint8_t> broken =
      cBytes().Int(gCRC32("cTestEntity")).Text("Broken").Byte(0).Get();
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://w/Broken")), broken.data(),
                                               static_cast<uint32_t>(broken.size()));
  // The last child reference names a material, then a truncated entity.
  for (const char* last : {"mem://w/Stone", "mem://w/Broken"}) {
    const std::vector<uint8_t> bytes =
        EntityBytes("E", {"mem://w/Wood"}, "mem://w/Box", {"mem://w/Left", last});
    const int live = cLiveCount::sLive;
    cTestEntity entity;
    EXPECT_THROW(LoadBytes(entity, bytes), cException) << last;
    EXPECT_EQ(entity.GetNumberOfChilds() + entity.GetNumberOfMaterials(), 0);
    EXPECT_EQ(cLiveCount::sLive, live + 1) << last;  // Left, LeftFoot and the rest are gone
  }
}

TEST_F(EntityStream, FailedLoadDestroysOnlyWhatItReCreated) {
  cPluginSystem::GetInstance()->Register(&gPresetClass);
  cTestMaterial preset;
  preset.SetName("Preset");
  gPreset = &preset;
  {
    cPresetEntity child;
    child.SetName("P");
    ASSERT_TRUE(cPluginSystem::GetInstance()->SavePlugin(&child, cUrl(cString("mem://p/P"))));
  }
  // The second child reference names a material, not an entity.
  const std::vector<uint8_t> bytes = EntityBytes("E", {}, "", {"mem://p/P", "mem://p/Preset"});
  const int live = cLiveCount::sLive;
  cTestEntity entity;
  EXPECT_THROW(LoadBytes(entity, bytes), cException);
  EXPECT_EQ(cLiveCount::sLive, live + 1);  // the loaded P and its copy of Preset are gone
  EXPECT_EQ(preset.GetName(), "Preset");   // the shared one is not
  gPreset = nullptr;
  cPluginSystem::GetInstance()->Unregister(&gPresetClass);
}

TEST_F(EntityStream, FailedStoreOfAReferenceThrows) {
  cTestEntity parent, child;
  child.SetName("Child");
  parent.AddChild(&child);
  cMemoryStream stream(cUrl(cString("mem://x/Parent")));
  cStreamManager::Delete();  // nowhere to store the child
  EXPECT_THROW(parent.Save(stream), cException);
  cStreamManager::New();
}
