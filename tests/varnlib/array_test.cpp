#include <gtest/gtest.h>
#include <varnlib.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Counts live objects so that tests see every construction and destruction.
struct cTracked {
  static inline int live = 0;
  int value;
  explicit cTracked(int v) : value(v) { ++live; }
  cTracked(const cTracked& other) : value(other.value) { ++live; }
  ~cTracked() { --live; }
};

}  // namespace

// Random appends, removals, capacity changes and copies against a vector,
// with the n + n/8 + 5 growth rule as the model of the capacity.
TEST(Array, FollowsAVectorModelAndTheGrowthRule) {
  std::mt19937 random(7);
  {
    tArray<cTracked> array;
    std::vector<int> model;
    int capacity = 0;
    for (int step = 0; step < 600; ++step) {
      const int op = static_cast<int>(random() % 10), count = static_cast<int>(model.size());
      if (op < 6) {
        if (count == capacity) capacity = count + 1 + (count + 1) / 8 + 5;
        array.Add(cTracked(step));
        model.push_back(step);
      } else if (op < 8 && count > 0) {
        const int i = static_cast<int>(random() % model.size());
        array.RemoveAt(i);
        model.erase(model.begin() + i);
      } else if (op == 8) {
        capacity = static_cast<int>(random() % 40);  // destroys the elements beyond
        array.SetCapacity(capacity);
        model.resize(std::min(count, capacity));
      } else {
        tArray<cTracked> copy(array);
        ASSERT_EQ(copy.GetCapacity(), count);  // a copy holds exactly the count
        const cTracked* storage = array.GetData();
        array.Clear();
        array = copy;  // large enough already: the storage is kept
        ASSERT_EQ(array.GetData(), storage);
      }
      ASSERT_EQ(array.GetCapacity(), capacity);
      ASSERT_EQ(cTracked::live, static_cast<int>(model.size()));
      ASSERT_TRUE(std::equal(array.begin(), array.end(), model.begin(), model.end(),
                             [](const cTracked& a, int b) { return a.value == b; }));
    }
  }
  EXPECT_EQ(cTracked::live, 0);
}

TEST(Array, SelfAddsAssignsPointerListsAndPlainCounts) {
  tArray<cString> strings;
  for (int i = 0; i < 6; ++i) strings.Add(cString::StringF("item %d", i));
  ASSERT_EQ(strings.GetCapacity(), 6);
  strings.Add(strings[0]);  // full: the element is copied before the storage moves
  EXPECT_EQ(strings[6], "item 0");
  EXPECT_EQ(strings.GetCapacity(), 12);
  tArray<cString> small;
  small.Add("x");
  small = strings;
  EXPECT_EQ(small.GetCapacity(), 7);

  int a = 0, b = 0, c = 0, absent = 0;
  tArray<int*> list;
  EXPECT_TRUE(list.AddUnique(&a) && list.AddUnique(&b) && list.AddUnique(&c));
  EXPECT_FALSE(list.AddUnique(&a) || list.AddUnique(nullptr));
  EXPECT_FALSE(list.Delete(nullptr) || list.Delete(&absent));
  EXPECT_TRUE(list.Delete(&a));
  EXPECT_EQ((std::vector<int*>(list.begin(), list.end())), (std::vector<int*>{&b, &c}));

  tArray<uint8_t> bytes;
  bytes.Add(7);
  bytes.SetCount(4);
  EXPECT_EQ(bytes.GetCapacity(), 6);  // the capacity of the first Add already sufficed
  EXPECT_EQ((std::vector<int>(bytes.begin(), bytes.end())), (std::vector<int>{7, 0, 0, 0}));
  bytes[1] = 9;
  bytes.SetCount(1);
  bytes.SetCount(3);  // zeroed again, not the old bytes
  EXPECT_EQ((std::vector<int>(bytes.begin(), bytes.end())), (std::vector<int>{7, 0, 0}));
}
