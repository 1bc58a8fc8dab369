#include <functional>
#include <memory>
#include <vector>

#include "scene_fixtures.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

using namespace scene_test;

namespace {

using MatrixPass = SceneTest;

int32_t QueueCount() {
  return cEntity::GetMatrixQueue().GetCount();
}

/// Runs the work on a thread with a 256 KB stack, where a walk that
/// recursed once per tree level would overflow long before the end of a
/// chain of 100,000 entities.
void RunOnSmallStack(const std::function<void()>& work) {
  constexpr size_t kStack = 256 * 1024;
  void* argument = const_cast<std::function<void()>*>(&work);
#if defined(_WIN32)
  struct cStart {
    static DWORD WINAPI Entry(LPVOID work) {
      (*static_cast<std::function<void()>*>(work))();
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, kStack, &cStart::Entry, argument,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
#else
  struct cStart {
    static void* Entry(void* work) {
      (*static_cast<std::function<void()>*>(work))();
      return nullptr;
    }
  };
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kStack);
  pthread_t thread;
  const int created = pthread_create(&thread, &attributes, &cStart::Entry, argument);
  pthread_attr_destroy(&attributes);
  ASSERT_EQ(created, 0);
  pthread_join(thread, nullptr);
#endif
}

void ExpectNear(const cVector3& actual, const cVector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-6f);
  EXPECT_NEAR(actual.y, expected.y, 1e-6f);
  EXPECT_NEAR(actual.z, expected.z, 1e-6f);
}

}  // namespace

TEST_F(MatrixPass, RootWorldMatrixFollowsItsPivot) {
  cTestEntity entity;
  EXPECT_TRUE(entity.IsQueued());
  cEntity::UpdateMatrices();
  EXPECT_EQ(entity.GetWorldMatrix(), cMatrix4x3());

  entity.RotatePivot(0, 90, 0);
  cEntity::UpdateMatrices();
  ExpectNear(cVector3(1, 0, 0) * entity.GetWorldMatrix(), cVector3(0, 0, 1));
  EXPECT_EQ(entity.GetWorldMatrix().GetPosition(), cVector3(0, 0, 0));
  EXPECT_TRUE(SameBits(entity.GetWorldMatrix(), entity.GetPivotMatrix()));

  entity.SetPivotMatrix(cMatrix4x3());
  entity.SetPivotPosition(1, 2, 3);
  entity.ScalePivot(2, 2, 2);
  EXPECT_EQ(entity.GetPivotPosition(), cVector3(1, 2, 3));
  EXPECT_EQ(entity.GetPivotMatrix(), cMatrix4x3({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}));
  entity.MovePivot(cVector3(0.5f, 0, -1));
  EXPECT_EQ(entity.GetPivotPosition(), cVector3(1.5f, 2, 2));
}

TEST_F(MatrixPass, ParentEditCarriesUneditedChildrenInTheSamePass) {
  cTestEntity parent, child, grandchild;
  parent.AddChild(&child);
  child.AddChild(&grandchild);
  child.SetPivotPosition(0, 1, 0);
  cEntity::UpdateMatrices();

  parent.MovePivot(10, 0, 0);
  ASSERT_EQ(QueueCount(), 3);
  EXPECT_EQ(cEntity::GetMatrixQueue()[0], &parent);
  EXPECT_EQ(cEntity::GetMatrixQueue()[1], &child);
  EXPECT_EQ(cEntity::GetMatrixQueue()[2], &grandchild);
  cEntity::UpdateMatrices();
  EXPECT_EQ(child.GetWorldMatrix().GetPosition(), cVector3(10, 1, 0));
  EXPECT_EQ(grandchild.GetWorldMatrix().GetPosition(), cVector3(10, 1, 0));
}

TEST_F(MatrixPass, OffsetEditsQueueButNeverReachTheWorldMatrix) {
  cTestEntity entity;
  entity.SetPivotPosition(4, 5, 6);
  cEntity::UpdateMatrices();
  const cMatrix4x3 world = entity.GetWorldMatrix();

  entity.MoveOffset(1, 1, 1);
  entity.RotateOffset(cVector3(30, 0, 0));
  entity.ScaleOffset(3, 3, 3);
  EXPECT_TRUE(entity.IsQueued());
  EXPECT_TRUE(entity.IsOffsetChanged());
  EXPECT_FALSE(entity.IsPivotChanged());
  EXPECT_EQ(QueueCount(), 1);  // several edits, one entry
  cEntity::UpdateMatrices();
  EXPECT_TRUE(SameBits(entity.GetWorldMatrix(), world));
  EXPECT_EQ(entity.GetOffsetPosition(), cVector3(1, 1, 1));
  EXPECT_FALSE(entity.IsOffsetChanged());
}

TEST_F(MatrixPass, ChildQueuedBeforeParentUsesOldParentWorld) {
  cTestEntity parent, child;
  parent.AddChild(&child);
  parent.SetPivotPosition(1, 0, 0);
  cEntity::UpdateMatrices();

  child.MovePivot(0, 1, 0);
  parent.MovePivot(100, 0, 0);
  ASSERT_EQ(QueueCount(), 2);
  EXPECT_EQ(cEntity::GetMatrixQueue()[0], &child);
  cEntity::UpdateMatrices();
  EXPECT_EQ(parent.GetWorldMatrix().GetPosition(), cVector3(101, 0, 0));
  EXPECT_EQ(child.GetWorldMatrix().GetPosition(), cVector3(1, 1, 0));

  // The new parent world reaches the child only when it is queued again.
  cEntity::UpdateMatrices();
  EXPECT_EQ(child.GetWorldMatrix().GetPosition(), cVector3(1, 1, 0));
  child.MoveOffset(0, 0, 0);
  cEntity::UpdateMatrices();
  EXPECT_EQ(child.GetWorldMatrix().GetPosition(), cVector3(1, 1, 0));  // nothing changed
  child.MovePivot(0, 0, 0);
  cEntity::UpdateMatrices();
  EXPECT_EQ(child.GetWorldMatrix().GetPosition(), cVector3(101, 1, 0));
}

TEST_F(MatrixPass, PassEmptiesTheQueueAndKeepsItsStorage) {
  std::vector<std::unique_ptr<cTestEntity>> entities(40);
  for (auto& entity : entities) entity = std::make_unique<cTestEntity>();
  const int32_t capacity = cEntity::GetMatrixQueue().GetCapacity();
  EXPECT_GE(capacity, 40);
  cEntity::UpdateMatrices();
  EXPECT_EQ(QueueCount(), 0);
  EXPECT_EQ(cEntity::GetMatrixQueue().GetCapacity(), capacity);
}

TEST_F(MatrixPass, DeepChainIsQueuedWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::vector<std::unique_ptr<cTestEntity>> chain;
  chain.push_back(std::make_unique<cTestEntity>());
  for (int i = 1; i < kDepth; ++i) {
    chain.push_back(std::make_unique<cTestEntity>());
    chain[i - 1]->AddChild(chain[i].get());
  }
  cEntity::UpdateMatrices();

  RunOnSmallStack([&] { chain[0]->MovePivot(3, 0, 0); });
  ASSERT_EQ(QueueCount(), kDepth);
  EXPECT_EQ(cEntity::GetMatrixQueue()[kDepth - 1], chain.back().get());
  cEntity::UpdateMatrices();
  EXPECT_EQ(chain.back()->GetWorldMatrix().GetPosition(), cVector3(3, 0, 0));
  for (auto& entity : chain) entity.reset();  // parents first
}
