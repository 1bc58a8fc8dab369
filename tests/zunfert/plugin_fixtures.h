#pragma once

#include <gtest/gtest.h>

#include "image_fixtures.h"
#include "zunfert.h"

namespace zunfert::test {

/// Links the plug-in library as a game does and gives the tests a stream
/// manager for their memory files and saved scenes.
class PluginTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(cPluginSystem::GetInstance()->LinkDLL("Zunfert.dll"));
    cStreamManager::New();
  }
  static void TearDownTestSuite() { cStreamManager::Delete(); }

  /// A new object of a plug-in class, as the plug-in system makes it.
  template <class T>
  static T* Create(const char* name) {
    cObject* object = cPluginSystem::GetInstance()->Create(gCRC32(name));
    T* typed = dynamic_cast<T*>(object);
    EXPECT_NE(typed, nullptr) << name;
    return typed;
  }
  static void Destroy(cObject* object) { cPluginSystem::GetInstance()->Destroy(object); }
};

}  // namespace zunfert::test
