#pragma once

// The scene suites' fixture and helpers.

#include <gtest/gtest.h>
#include <tolmak.h>

#include <vector>

#include "scene_classes.h"
#include "test_support.h"

namespace scene_test {

/// A test whose scene classes are registered and whose stream manager exists.
/// It starts and ends with an empty matrix queue.
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (iClassDesc* desc : Classes()) cPluginSystem::GetInstance()->Register(desc);
    cStreamManager::New();
    cEntity::UpdateMatrices();
  }
  void TearDown() override {
    cEntity::UpdateMatrices();
    cStreamManager::Delete();
    for (iClassDesc* desc : Classes()) cPluginSystem::GetInstance()->Unregister(desc);
  }
  static std::vector<iClassDesc*> Classes() {
    return {&gcTestEntityDesc, &gcTestCameraDesc, &gcTestLightDesc, &gcTestMaterialDesc,
            &gcTestModelDesc,  &gcTestWorldDesc,  &gcTestSectorDesc};
  }
};

using tolmak::test::SameBits;

}  // namespace scene_test
