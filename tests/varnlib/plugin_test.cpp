#include <gtest/gtest.h>
#include <varnlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// A serializable class: a name and a list of child objects stored by URL,
// like a scene node.
class cNode : public cNamedObject, public iSerializable {
 public:
  iClassDesc* GetDescriptor() const override;
  void Save(iIOStream& stream) override {
    stream.WriteText(GetName());
    stream.WriteInt32(static_cast<int32_t>(children.size()));
    for (cNode* child : children) {
      const cUrl url(stream.GetUrl().GetLocation() + child->GetName());
      stream.WriteText(url.GetText());
      cPluginSystem::GetInstance()->SavePlugin(child, url);
    }
  }
  void Load(iIOStream& stream) override {
    cString name;
    int32_t count = 0;
    if (!stream.ReadText(name) || !stream.ReadInt32(count)) throw cException(__FILE__, __LINE__, "truncated");
    SetName(name);
    for (int32_t i = 0; i < count; ++i) {
      cString url;
      if (!stream.ReadText(url)) throw cException(__FILE__, __LINE__, "truncated");
      children.push_back(static_cast<cNode*>(cPluginSystem::GetInstance()->LoadPlugin(cUrl(url))));
    }
  }
  ~cNode() override {
    for (cNode* child : children) cPluginSystem::GetInstance()->Destroy(child);
  }
  std::vector<cNode*> children;
};

class cSpecialNode : public cNode {
 public:
  iClassDesc* GetDescriptor() const override;
};

class cPlain : public cObject {};

tPluginClassDesc<cNode> gNodeClass("cTestNode", "cTestNode", &cNamedObject::m_Descriptor, idiSerializable);
tPluginClassDesc<cSpecialNode> gSpecialClass("cSpecialNode", "cSpecialNode", &gNodeClass);
tPluginClassDesc<cPlain> gPlainClass("cPlain", "cPlain", &cObject::m_Descriptor);

iClassDesc* cNode::GetDescriptor() const { return &gNodeClass; }
iClassDesc* cSpecialNode::GetDescriptor() const { return &gSpecialClass; }

class Plugins : public ::testing::Test {
 protected:
  void SetUp() override {
    plugins = cPluginSystem::GetInstance();
    plugins->Register(&gNodeClass);
    plugins->Register(&gSpecialClass);
    plugins->Register(&gPlainClass);
    cStreamManager::New();
  }
  void TearDown() override {
    plugins->Unregister(&gPlainClass);
    plugins->Unregister(&gSpecialClass);
    plugins->Unregister(&gNodeClass);
    cStreamManager::Delete();
  }
  cPluginSystem* plugins = nullptr;
};

}  // namespace

TEST_F(Plugins, CreatesRegisteredClassesOnlyOnce) {
  EXPECT_FALSE(plugins->Register(&gNodeClass));
  EXPECT_FALSE(plugins->Register(nullptr));
  cObject* node = plugins->Create(gCRC32("cTestNode"));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetDescriptor(), &gNodeClass);
  plugins->Destroy(node);
  EXPECT_EQ(plugins->Create(gCRC32("cUnknownClass")), nullptr);
}

TEST_F(Plugins, FindsDerivedClassesAndAncestorDescriptors) {
  tArray<uint32_t> found;
  plugins->Find(cNamedObject::m_Descriptor.GetClassID(), found);
  EXPECT_EQ(found.GetCount(), 2);
  EXPECT_EQ(found[0], static_cast<uint32_t>(gCRC32("cTestNode")));
  EXPECT_EQ(found[1], static_cast<uint32_t>(gCRC32("cSpecialNode")));

  tArray<uint32_t> derived;
  plugins->Find(gCRC32("cTestNode"), derived);  // the class itself is not listed
  ASSERT_EQ(derived.GetCount(), 1);
  EXPECT_EQ(derived[0], static_cast<uint32_t>(gCRC32("cSpecialNode")));

  EXPECT_EQ(plugins->GetDescriptor(gCRC32("cNamedObject")), &cNamedObject::m_Descriptor);
  EXPECT_EQ(plugins->GetDescriptor(gCRC32("nothing")), nullptr);
  EXPECT_TRUE(gSpecialClass.IsOfType(gCRC32("cObject")));
  EXPECT_FALSE(gPlainClass.IsOfType(gCRC32("cNamedObject")));
}

TEST_F(Plugins, SavesAndLoadsObjectTreesThroughMemoryUrls) {
  cNode root;
  root.SetName("root");
  auto* child = new cSpecialNode;
  child->SetName("child");
  root.children.push_back(child);
  ASSERT_TRUE(plugins->SavePlugin(&root, cUrl(cString("mem://scene/root"))));

  tArray<uint8_t> bytes;
  ASSERT_TRUE(cStreamManager::GetInstance()->GetMemoryFile(cUrl(cString("mem://scene/child")), bytes));
  EXPECT_EQ(bytes.GetCount(), 4 + 4 + 5 + 4);  // class identifier, name, child count
  EXPECT_EQ(*reinterpret_cast<const int32_t*>(bytes.GetData()), gCRC32("cSpecialNode"));

  cObject* loaded = plugins->LoadPlugin(cUrl(cString("mem://scene/root")));
  ASSERT_NE(loaded, nullptr);
  auto* node = dynamic_cast<cNode*>(loaded);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetName(), "root");
  ASSERT_EQ(node->children.size(), 1u);
  EXPECT_EQ(node->children[0]->GetDescriptor(), &gSpecialClass);
  EXPECT_EQ(node->children[0]->GetName(), "child");
  plugins->Destroy(loaded);
}

TEST_F(Plugins, RefusesWhatCannotBeStoredOrRecreated) {
  cPlain plain;
  EXPECT_FALSE(plugins->SavePlugin(&plain, cUrl(cString("mem://plain"))));
  EXPECT_FALSE(plugins->SavePlugin(nullptr, cUrl(cString("mem://null"))));
  EXPECT_EQ(plugins->LoadPlugin(cUrl(cString("mem://missing"))), nullptr);

  const int32_t unknown[] = {gCRC32("cUnregistered")};
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://unknown")), unknown, sizeof unknown);
  EXPECT_EQ(plugins->LoadPlugin(cUrl(cString("mem://unknown"))), nullptr);

  const int32_t truncated[] = {gCRC32("cTestNode"), 100};
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://truncated")), truncated, sizeof truncated);
  EXPECT_THROW(plugins->LoadPlugin(cUrl(cString("mem://truncated"))), cException);
}

TEST_F(Plugins, RefusesACycleOfReferencesInsteadOfOverflowingTheStack) {
  cMemoryStream cycle;
  cycle.WriteInt32(gCRC32("cTestNode"));
  cycle.WriteText("self");
  cycle.WriteInt32(1);
  cycle.WriteText("mem://self");
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString("mem://self")), cycle.GetData(), cycle.GetSize());
  EXPECT_THROW(plugins->LoadPlugin(cUrl(cString("mem://self"))), cException);

  cNode fine;  // the nesting count is back to zero afterwards
  ASSERT_TRUE(plugins->SavePlugin(&fine, cUrl(cString("mem://fine"))));
  cObject* loaded = plugins->LoadPlugin(cUrl(cString("mem://fine")));
  EXPECT_NE(loaded, nullptr);
  plugins->Destroy(loaded);
}

// Ten files, each naming the next ten times, would ask for 10^10 nodes.
TEST_F(Plugins, ReferencesThatMultiplyStopAtTheLoadLimit) {
  for (int k = 0; k < 10; ++k) {
    cMemoryStream file;
    file.WriteInt32(gCRC32("cTestNode"));
    file.WriteText("n");
    file.WriteInt32(k < 9 ? 10 : 0);
    for (int i = 0; k < 9 && i < 10; ++i) file.WriteText(cString::StringF("mem://bomb/%d", k + 1));
    cStreamManager::GetInstance()->SetMemoryFile(cUrl(cString::StringF("mem://bomb/%d", k)),
                                                 file.GetData(), file.GetSize());
  }
  const int32_t old = plugins->SetLoadLimit(1111);
  EXPECT_THROW(plugins->LoadPlugin(cUrl(cString("mem://bomb/5"))), cException);  // 11111 nodes
  cObject* fits = plugins->LoadPlugin(cUrl(cString("mem://bomb/6")));            // exactly 1111
  EXPECT_NE(fits, nullptr);
  plugins->Destroy(fits);
  EXPECT_EQ(plugins->SetLoadLimit(old), 1111);
}

// A child that cannot be stored undoes the whole save, even when the
// parent's Save ignores the failure: no file of the group is written.
TEST_F(Plugins, NestedSavesAreStoredTogetherOrNotAtAll) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("varn_group_" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(folder);
  const std::string location = folder.string() + "/";
  cNode parent, good, bad;
  parent.SetName("parent"), good.SetName("good"), bad.SetName("no/such/folder/bad");
  parent.children = {&good, &bad};
  const cUrl url(cString((location + "parent").c_str()));
  EXPECT_FALSE(plugins->SavePlugin(&parent, url));
  EXPECT_TRUE(std::filesystem::is_empty(folder));

  parent.children = {&good};
  EXPECT_TRUE(plugins->SavePlugin(&parent, url));
  EXPECT_TRUE(std::filesystem::exists(folder / "good"));
  parent.children.clear();
  std::filesystem::remove_all(folder);

  // Inside a group the manager keeps closed streams aside until the end.
  cStreamManager* streams = cStreamManager::GetInstance();
  const cUrl a(cString("mem://group/a")), b(cString("mem://group/b"));
  tArray<uint8_t> bytes;
  streams->BeginGroup();
  iIOStream* out = streams->Open(a, cStreamManager::OpenWrite);
  EXPECT_TRUE(out->WriteUInt8(1) && out->Close());
  streams->BeginGroup();
  out = streams->Open(b, cStreamManager::OpenWrite);
  EXPECT_TRUE(out->WriteUInt8(2) && out->Close());
  EXPECT_TRUE(streams->EndGroup(true));
  EXPECT_FALSE(streams->GetMemoryFile(a, bytes) || streams->GetMemoryFile(b, bytes));
  EXPECT_TRUE(streams->EndGroup(true));
  EXPECT_TRUE(streams->GetMemoryFile(a, bytes) && streams->GetMemoryFile(b, bytes));
  EXPECT_EQ(bytes[0], 2);

  streams->BeginGroup();
  out = streams->Open(a, cStreamManager::OpenWrite);
  EXPECT_TRUE(out->WriteUInt8(3) && out->Close());
  streams->Open(b, cStreamManager::OpenWrite)->Abandon();
  EXPECT_FALSE(streams->EndGroup(true));
  EXPECT_TRUE(streams->GetMemoryFile(a, bytes));
  EXPECT_EQ(bytes[0], 1);
}

TEST(PluginLibrary, LinksAPluginLibraryByItsWindowsName) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  EXPECT_FALSE(plugins->LinkDLL("NoSuchPlugin.dll"));
  ASSERT_TRUE(plugins->LinkDLL("TestPlugin.dll"));
  EXPECT_TRUE(plugins->LinkDLL("TestPlugin.dll"));  // a second link registers nothing more
  cObject* widget = plugins->Create(gCRC32("cLinkedWidget"));
  ASSERT_NE(widget, nullptr);
  EXPECT_STREQ(widget->GetDescriptor()->GetClassName(), "cLinkedWidget");
  tArray<uint32_t> found;
  plugins->Find(cObject::m_Descriptor.GetClassID(), found);
  EXPECT_EQ(found.GetCount(), 1);
  plugins->Destroy(widget);
}

TEST(PluginLibrary, LooksInTheSearchFoldersBeforeTheBaseLibrarysFolder) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  plugins->AddSearchFolder(VARN_TEST_SEARCH_FOLDER "/missing");  // passed over: nothing there
  plugins->AddSearchFolder(VARN_TEST_SEARCH_FOLDER);
  ASSERT_TRUE(plugins->LinkDLL("SearchedPlugin.dll"));
  EXPECT_EQ(plugins->GetDescriptor(gCRC32("cBesideWidget")), nullptr);
  iClassDesc* searched = plugins->GetDescriptor(gCRC32("cSearchedWidget"));
  ASSERT_NE(searched, nullptr);
  plugins->Unregister(searched);  // the other tests count the registered classes
}
