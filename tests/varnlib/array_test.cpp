#include <gtest/gtest.h>
#include <varnlib.h>

#include <vector>

namespace {

// Counts live objects so that tests see every construction and destruction.
struct cTracked {
  static inline int live = 0;
  int value;
  explicit cTracked(int v) : value(v) { ++live; }
  cTracked(const cTracked& other) : value(other.value) { ++live; }
  ~cTracked() { --live; }
  bool operator==(const cTracked& other) const { return value == other.value; }
};

}  // namespace

TEST(Array, GrowthFollowsTheNPlusEighthPlusFiveRule) {
  tArray<int> array;
  std::vector<int> capacities;
  for (int i = 0; i < 40; ++i) {
    if (array.GetCount() == array.GetCapacity()) {
      const int n = array.GetCount() + 1;
      capacities.push_back(n + n / 8 + 5);
    }
    array.Add(i);
    EXPECT_EQ(array.GetCapacity(), capacities.back());
  }
  EXPECT_EQ(capacities, (std::vector<int>{6, 12, 19, 27, 36, 46}));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(array[i], i);
}

TEST(Array, AddingAnElementOfAFullArrayToItselfCopiesItFirst) {
  tArray<cString> array;
  for (int i = 0; i < 6; ++i) array.Add(cString::StringF("item %d", i));
  ASSERT_EQ(array.GetCount(), array.GetCapacity());
  array.Add(array[0]);
  EXPECT_EQ(array[6], "item 0");
}

TEST(Array, RemovalKeepsOrderAndCapacityClearKeepsStorage) {
  tArray<int> array;
  for (int i = 0; i < 5; ++i) array.Add(i * 10);
  const int capacity = array.GetCapacity();
  array.RemoveAt(1);
  EXPECT_EQ(array.GetCount(), 4);
  EXPECT_EQ(array.GetCapacity(), capacity);
  EXPECT_EQ((std::vector<int>(array.begin(), array.end())), (std::vector<int>{0, 20, 30, 40}));
  const int* storage = array.GetData();
  array.Clear();
  EXPECT_EQ(array.GetCount(), 0);
  EXPECT_EQ(array.GetData(), storage);
  EXPECT_EQ(array.GetCapacity(), capacity);
}

TEST(Array, CopyIsExactAndAssignmentGrowsOnlyWhenSmaller) {
  tArray<int> source;
  for (int i = 0; i < 7; ++i) source.Add(i);
  const tArray<int> copy(source);
  EXPECT_EQ(copy.GetCapacity(), 7);
  EXPECT_EQ(copy.GetCount(), 7);

  tArray<int> small;
  small.Add(1);
  small = source;
  EXPECT_EQ(small.GetCapacity(), 7);

  tArray<int> large;
  large.SetCapacity(50);
  large = source;
  EXPECT_EQ(large.GetCapacity(), 50);
  EXPECT_EQ(large[6], 6);
}

TEST(Array, ElementsAreDestroyedExactlyOnce) {
  {
    tArray<cTracked> array;
    for (int i = 0; i < 20; ++i) array.Add(cTracked(i));
    EXPECT_EQ(cTracked::live, 20);
    array.SetCapacity(8);  // destroys the twelve beyond
    EXPECT_EQ(cTracked::live, 8);
    EXPECT_EQ(array.GetCount(), 8);
    array.RemoveAt(0);
    EXPECT_EQ(cTracked::live, 7);
    EXPECT_EQ(array[0].value, 1);
    tArray<cTracked> copy = array;
    EXPECT_EQ(cTracked::live, 14);
    copy.Clear();
    EXPECT_EQ(cTracked::live, 7);
  }
  EXPECT_EQ(cTracked::live, 0);
}

TEST(Array, PointerListsRejectNullAndDuplicatesAndIgnoreAbsentDeletes) {
  int a = 0, b = 0, c = 0;
  tArray<int*> list;
  EXPECT_TRUE(list.AddUnique(&a));
  EXPECT_TRUE(list.AddUnique(&b));
  EXPECT_FALSE(list.AddUnique(&a));
  EXPECT_FALSE(list.AddUnique(nullptr));
  EXPECT_TRUE(list.AddUnique(&c));
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_FALSE(list.Delete(nullptr));
  int absent = 0;
  EXPECT_FALSE(list.Delete(&absent));
  EXPECT_TRUE(list.Delete(&a));
  EXPECT_EQ(list[0], &b);
  EXPECT_EQ(list[1], &c);
}

TEST(Array, SetCountZeroesNewPlainElements) {
  tArray<uint8_t> bytes;
  bytes.Add(7);
  bytes.SetCount(4);
  EXPECT_EQ(bytes.GetCapacity(), 6);  // the capacity of the first Add already sufficed
  EXPECT_EQ((std::vector<int>(bytes.begin(), bytes.end())), (std::vector<int>{7, 0, 0, 0}));
  bytes.SetCount(1);
  EXPECT_EQ(bytes.GetCount(), 1);
}
