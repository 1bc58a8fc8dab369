#include <gtest/gtest.h>
#include <tolmak.h>

TEST(Descriptors, BaseClassesFormTheRootOfEveryChain) {
  EXPECT_EQ(cObject::Descriptor(), &cObject::m_Descriptor);
  EXPECT_EQ(cNamedObject::m_Descriptor.GetParent(), &cObject::m_Descriptor);
  EXPECT_EQ(cObject::m_Descriptor.GetParent(), nullptr);
  EXPECT_EQ(cNamedObject::m_Descriptor.GetClassID(), gCRC32("cNamedObject"));
  EXPECT_STREQ(cNamedObject::m_Descriptor.GetClassName(), "cNamedObject");
  const cNamedObject named;
  const cObject& object = named;
  EXPECT_EQ(object.GetDescriptor(), &cNamedObject::m_Descriptor);
}

TEST(Descriptors, CompilerInterfaceIdentifierIsBuiltAtLoad) {
  EXPECT_EQ(idiCompiler.GetID(), 16385u);
  EXPECT_TRUE(idiCompiler.IsValid());
  EXPECT_EQ(idiSerializable.GetID(), 1u);
}
