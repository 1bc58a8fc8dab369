#include <gtest/gtest.h>
#include <varnlib.h>

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
