#include <gtest/gtest.h>
#include <tolmak.h>

// The chains of parents and the lookup by identifier are the plug-in
// system's tests; here what the class macros build.
TEST(Descriptors, ClassMacrosAndInterfaceIdentifiersAreBuiltAtLoad) {
  EXPECT_EQ(cObject::Descriptor(), &cObject::m_Descriptor);
  EXPECT_STREQ(cNamedObject::m_Descriptor.GetClassName(), "cNamedObject");
  const cNamedObject named;
  EXPECT_EQ(static_cast<const cObject&>(named).GetDescriptor(), &cNamedObject::m_Descriptor);
  EXPECT_EQ(idiCompiler.GetID(), 16385u);
  EXPECT_TRUE(idiCompiler.IsValid());
  EXPECT_EQ(idiSerializable.GetID(), 1u);
}
