#pragma once

// The scene suites' fixture and helpers.

#include <gtest/gtest.h>
#include <tolmak.h>

#include <cstring>
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

/// Bit-for-bit equality of two values, such as floats or matrices (NaN
/// payloads and signed zeros count).
template <class T>
bool SameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace scene_test
