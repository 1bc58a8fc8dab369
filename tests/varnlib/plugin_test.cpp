#include <gtest/gtest.h>
#include <varnlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

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
    cString text;
    int32_t count = 0;
    if (!stream.ReadText(text) || !stream.ReadInt32(count)) throw cException("", 0, "truncated");
    SetName(text);
    for (int32_t i = 0; i < count; ++i) {
      if (!stream.ReadText(text)) throw cException("", 0, "truncated");
      children.push_back(static_cast<cNode*>(cPluginSystem::GetInstance()->LoadPlugin(cUrl(text))));
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

tPluginClassDesc<cNode> gNodeClass("cTestNode", "cTestNode", &cNamedObject::m_Descriptor,
                                   idiSerializable);
tPluginClassDesc<cSpecialNode> gSpecialClass("cSpecialNode", "cSpecialNode", &gNodeClass);
tPluginClassDesc<cPlain> gPlainClass("cPlain", "cPlain", &cObject::m_Descriptor);

iClassDesc* cNode::GetDescriptor() const {
  return &gNodeClass;
}
iClassDesc* cSpecialNode::GetDescriptor() const {
  return &gSpecialClass;
}

/// Writes a node file by hand, naming children that Save would never write.
void PutNode(const cString& url, const std::vector<cString>& children) {
  cMemoryStream file;
  file.WriteInt32(gCRC32("cTestNode"));
  file.WriteText("n");
  file.WriteInt32(static_cast<int32_t>(children.size()));
  for (const cString& child : children) file.WriteText(child);
  cStreamManager::GetInstance()->SetMemoryFile(cUrl(url), file.GetData(), file.GetSize());
}

class Plugins : public ::testing::Test {
 protected:
  void SetUp() override {
    for (iClassDesc* desc : classes) plugins->Register(desc);
    cStreamManager::New();
  }
  void TearDown() override {
    for (iClassDesc* desc : classes) plugins->Unregister(desc);
    cStreamManager::Delete();
  }
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  iClassDesc* const classes[3] = {&gNodeClass, &gSpecialClass, &gPlainClass};
};

}  // namespace

TEST_F(Plugins, CreatesAndFindsRegisteredClasses) {
  EXPECT_FALSE(plugins->Register(&gNodeClass));
  EXPECT_FALSE(plugins->Register(nullptr));
  EXPECT_EQ(plugins->Create(gCRC32("cUnknownClass")), nullptr);
  tArray<uint32_t> found, derived;
  plugins->Find(cNamedObject::m_Descriptor.GetClassID(), found);
  EXPECT_EQ((std::vector<uint32_t>(found.begin(), found.end())),
            (std::vector<uint32_t>{static_cast<uint32_t>(gCRC32("cTestNode")),
                                   static_cast<uint32_t>(gCRC32("cSpecialNode"))}));
  plugins->Find(gCRC32("cTestNode"), derived);  // the class itself is not listed
  ASSERT_EQ(derived.GetCount(), 1);
  EXPECT_EQ(derived[0], static_cast<uint32_t>(gCRC32("cSpecialNode")));

  EXPECT_EQ(plugins->GetDescriptor(gCRC32("cNamedObject")), &cNamedObject::m_Descriptor);
  EXPECT_EQ(plugins->GetDescriptor(gCRC32("nothing")), nullptr);
  EXPECT_TRUE(gSpecialClass.IsOfType(gCRC32("cObject")));
  EXPECT_FALSE(gPlainClass.IsOfType(gCRC32("cNamedObject")));
}

// Trees saved with each object's class and loaded back are the scene
// stream tests' business; here what cannot be saved or recreated.
TEST_F(Plugins, RefusesWhatCannotBeSavedAndFilesThatCannotBeRecreated) {
  cPlain plain;
  EXPECT_FALSE(plugins->SavePlugin(&plain, cUrl("mem://plain")));
  EXPECT_FALSE(plugins->SavePlugin(nullptr, cUrl("mem://null")));
  EXPECT_EQ(plugins->LoadPlugin(cUrl("mem://missing")), nullptr);
  // A cycle, and ten files each naming the next ten times (10^10 nodes), must
  // stop with an error instead of exhausting the stack or memory.
  const int32_t unknown[] = {gCRC32("cUnregistered")}, truncated[] = {gCRC32("cTestNode"), 100};
  cStreamManager::GetInstance()->SetMemoryFile(cUrl("mem://unknown"), unknown, sizeof unknown);
  EXPECT_EQ(plugins->LoadPlugin(cUrl("mem://unknown")), nullptr);
  cStreamManager::GetInstance()->SetMemoryFile(cUrl("mem://truncated"), truncated,
                                               sizeof truncated);
  EXPECT_THROW(plugins->LoadPlugin(cUrl("mem://truncated")), cException);
  PutNode("mem://self", {"mem://self"});
  EXPECT_THROW(plugins->LoadPlugin(cUrl("mem://self")), cException);

  for (int k = 0; k < 10; ++k)
    PutNode(cString::StringF("mem://bomb/%d", k),
            std::vector<cString>(k < 9 ? 10 : 0, cString::StringF("mem://bomb/%d", k + 1)));
  const int32_t old = plugins->SetLoadLimit(1111);
  EXPECT_THROW(plugins->LoadPlugin(cUrl("mem://bomb/5")), cException);  // 11111 nodes
  cObject* fits = plugins->LoadPlugin(cUrl("mem://bomb/6"));            // exactly 1111
  EXPECT_NE(fits, nullptr);  // and the nesting count is back to zero after the throws
  plugins->Destroy(fits);
  EXPECT_EQ(plugins->SetLoadLimit(old), 1111);
}

// A child that cannot be stored undoes the whole save, even when the
// parent's Save ignores the failure: no file of the group is written.
TEST_F(Plugins, NestedSavesAreStoredTogetherOrNotAtAll) {
  const tolmak::test::cScratchFolder folder("varn_group");
  cNode parent, good, bad;
  parent.SetName("parent"), good.SetName("good"), bad.SetName("no/such/folder/bad");
  parent.children = {&good, &bad};
  const cUrl url = folder.Url("parent");
  EXPECT_FALSE(plugins->SavePlugin(&parent, url));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
  parent.children = {&good};
  EXPECT_TRUE(plugins->SavePlugin(&parent, url));
  EXPECT_TRUE(std::filesystem::exists(folder / "good"));
  parent.children.clear();

  // Inside a group the manager keeps closed streams aside until the end.
  cStreamManager* streams = cStreamManager::GetInstance();
  const cUrl a("mem://group/a"), b("mem://group/b");
  auto write = [&](const cUrl& file, uint8_t value) {
    iIOStream* out = streams->Open(file, cStreamManager::OpenWrite);
    EXPECT_TRUE(out->WriteUInt8(value) && out->Close());
  };
  tArray<uint8_t> bytes;
  streams->BeginGroup();
  write(a, 1);
  streams->BeginGroup();
  write(b, 2);
  EXPECT_TRUE(streams->EndGroup(true));
  EXPECT_FALSE(streams->GetMemoryFile(a, bytes) || streams->GetMemoryFile(b, bytes));
  EXPECT_TRUE(streams->EndGroup(true));
  EXPECT_TRUE(streams->GetMemoryFile(a, bytes) && streams->GetMemoryFile(b, bytes));
  EXPECT_EQ(bytes[0], 2);

  streams->BeginGroup();
  write(a, 3);
  streams->Open(b, cStreamManager::OpenWrite)->Abandon();
  EXPECT_FALSE(streams->EndGroup(true));
  EXPECT_TRUE(streams->GetMemoryFile(a, bytes));
  EXPECT_EQ(bytes[0], 1);
}

// Search folders come before the base library's folder: "SearchedPlugin.dll"
// lies in both, registering a different class in each.
TEST(PluginLibrary, LinksLibrariesByTheirWindowsNamesSearchFoldersFirst) {
  cPluginSystem* plugins = cPluginSystem::GetInstance();
  EXPECT_FALSE(plugins->LinkDLL("NoSuchPlugin.dll"));
  const std::string why = plugins->GetLinkError().c_str();
  EXPECT_NE(why.find("NoSuchPlugin"), std::string::npos) << why;
  EXPECT_NE(why.find("searched"), std::string::npos) << why;
  ASSERT_TRUE(plugins->LinkDLL("TestPlugin.dll"));
  EXPECT_TRUE(plugins->GetLinkError().IsEmpty());
  EXPECT_TRUE(plugins->LinkDLL("TestPlugin.dll"));  // a second link registers nothing more
  cObject* widget = plugins->Create<cObject>("cLinkedWidget");
  EXPECT_STREQ(widget->GetDescriptor()->GetClassName(), "cLinkedWidget");
  plugins->Destroy(widget);
  tolmak::test::ExpectError<cException>([&] { plugins->Create<cObject>("cLinkedWidgte"); },
                                        "\"cLinkedWidgte\"");
  EXPECT_THROW(plugins->Create<cApplication>("cLinkedWidget"), cException);  // not of that type
  tArray<uint32_t> found;
  plugins->Find(cObject::m_Descriptor.GetClassID(), found);
  EXPECT_EQ(found.GetCount(), 1);

  plugins->AddSearchFolder(VARN_TEST_SEARCH_FOLDER "/missing");  // passed over: nothing there
  plugins->AddSearchFolder(VARN_TEST_SEARCH_FOLDER);
  ASSERT_TRUE(plugins->LinkDLL("SearchedPlugin.dll"));
  EXPECT_EQ(plugins->GetDescriptor(gCRC32("cBesideWidget")), nullptr);
  EXPECT_NE(plugins->GetDescriptor(gCRC32("cSearchedWidget")), nullptr);
}
