#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "buffer_fixtures.h"

using namespace tolmak::test;

namespace {

constexpr const char kFile[] = "tolmak_indexbuffer.cpp";
// A model entry that SetLength grew into and nothing has set yet.
constexpr uint32_t kUnset = 0x10000;
using Model = std::vector<uint32_t>;

using tState = std::tuple<std::vector<uint16_t>, int, int, bool>;  // entries, minimum, maximum
tState State(const cIndexBuffer& b) {
  const std::vector<uint16_t> entries(b.GetReadPtr(), b.GetReadPtr() + b.GetLength());
  return {entries, b.GetMinIndex(), b.GetMaxIndex(), b.IsOptimized()};
}

cIndexBuffer Optimized(std::initializer_list<uint16_t> indices) {
  cIndexBuffer b(std::data(indices), uint32_t(indices.size()));
  b.Optimize();
  return b;
}

void ExpectModel(const cIndexBuffer& b, const Model& model, const std::string& step) {
  ASSERT_EQ(b.GetLength(), model.size()) << step;
  ASSERT_EQ(b.IsEmpty(), model.empty()) << step;
  if (model.empty()) {
    ASSERT_TRUE(b.GetMinIndex() == 0 && b.GetMaxIndex() == 0 && !b.IsOptimized()) << step;
  }
  for (size_t k = 0; k < model.size(); ++k) {
    if (model[k] == kUnset) continue;
    ASSERT_EQ(b[int(k)], model[k]) << step << " position " << k;
    ASSERT_LE(b.GetMinIndex(), model[k]) << step;
    ASSERT_LE(b.GetReadPtr()[k], b.GetMaxIndex()) << step << " position " << k;
  }
}

}  // namespace

TEST(IndexBuffer, WorkedExamplesAndTheMaximumAtAnyLength) {
  const uint16_t values[] = {10, 12, 11};
  cIndexBuffer b(values, 3);
  EXPECT_EQ(State(b), tState({10, 12, 11}, 0, 12, false));
  b.Optimize();
  EXPECT_EQ(State(b), tState({0, 2, 1}, 10, 2, true));
  const Bytes bytes{3, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0x0A, 0, 2, 0, 1};
  EXPECT_EQ(SavedBytes(b), bytes);
  b = uint16_t{7};
  EXPECT_EQ(State(b), tState({7}, 0, 7, false));
  cIndexBuffer one;
  one += 5;
  EXPECT_EQ(State(one), tState({5}, 0, 5, false));

  // Shrinking finds the maximum again, growing keeps it.
  cIndexBuffer resized(values, 3);
  resized.SetLength(1);
  EXPECT_EQ(resized.GetMaxIndex(), 10);
  resized.SetLength(4);
  EXPECT_EQ(resized.GetMaxIndex(), 10);

  // The largest entry at any length and place, its top bit set: compared unsigned.
  std::mt19937 rng(31);
  for (uint32_t length = 1; length < 70; ++length) {
    for (uint32_t at = 0; at < length; at += 5) {
      std::vector<uint16_t> v(length);
      for (auto& x : v) x = uint16_t(rng() % 0x8000);
      v[at] = uint16_t(0x8000 + rng() % 0x8000);
      EXPECT_EQ(cIndexBuffer(v.data(), length).GetMaxIndex(), v[at]) << length << " " << at;
    }
  }
}

TEST(IndexBuffer, TheEntryRangeOfAnyStretchIsItsLowestAndHighest) {
  // Every length up to a few vector widths past the tail, with values on
  // both sides of the top bit that the vector compare flips.
  std::mt19937 random(7);
  std::vector<uint16_t> v(72);
  for (uint32_t count = 1; count <= 70; ++count) {
    for (uint16_t& entry : v) entry = static_cast<uint16_t>(random());
    v[1 + random() % count] = static_cast<uint16_t>(count % 2 ? 0 : 0xFFFF);
    const auto [low, high] = std::minmax_element(v.begin() + 1, v.begin() + 1 + count);
    EXPECT_EQ(cIndexBuffer(v.data(), 72).GetEntryRange(1, count), std::make_pair(*low, *high))
        << count << " entries";
  }
}

TEST(IndexBuffer, RandomOperationSequencesMatchAPlainModel) {
  std::mt19937 rng(2024);
  auto index = [&] { return uint16_t(rng() % 4 == 0 ? rng() : 200 + rng() % 400); };
  auto values = [&](uint32_t count) {
    std::vector<uint16_t> v(count);
    for (auto& x : v) x = index();
    return v;
  };
  for (int run = 0; run < 200; ++run) {
    cIndexBuffer b;
    Model model;
    for (int step = 0; step < 40; ++step) {
      const int op = int(rng() % 10);
      const auto n = uint32_t(rng() % 6);
      const std::vector<uint16_t> v = values(n + 1);
      if (op == 0 && !model.empty()) {
        const uint32_t at = rng() % model.size();
        b.SetIndex(at, v[0]);
        model[at] = v[0];
      } else if (op == 1) {
        b.SetLength(n * 2);
        model.resize(n * 2, kUnset);
      } else if (op == 2) {
        b.Copy(v.data(), n);
        model.assign(v.begin(), v.begin() + n);
      } else if (op == 3) {
        b.Add(v.data(), n);
        model.insert(model.end(), v.begin(), v.begin() + n);
      } else if (op == 4) {
        cIndexBuffer other(v.data(), n);
        if (rng() % 2) other.Optimize();
        b += other;
        model.insert(model.end(), v.begin(), v.begin() + n);
      } else if (op == 5) {
        b += b;
        const Model copy = model;
        model.insert(model.end(), copy.begin(), copy.end());
      } else if (op == 6) {
        b.Optimize();
        if (!model.empty() && std::count(model.begin(), model.end(), kUnset) == 0) {
          const auto [low, high] = std::minmax_element(model.begin(), model.end());
          ASSERT_TRUE(b.IsOptimized());
          ASSERT_EQ(b.GetMinIndex(), *low);
          ASSERT_EQ(b.GetMaxIndex(), *high - *low);
        }
      } else if (op == 7) {
        const Bytes bytes = SavedBytes(b);
        LoadBoth<cIndexBuffer>(bytes, [&](cIndexBuffer& l) { ExpectModel(l, model, "loaded"); });
        cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
        b.Load(in);  // into the array it already holds
      } else if (op == 8) {
        b = cIndexBuffer(b);
      } else {
        b.Clear();
        model.clear();
      }
      ExpectModel(b, model,
                  "run " + std::to_string(run) + " step " + std::to_string(step) + " op " +
                      std::to_string(op));
    }
  }
}

TEST(IndexStream, HostileStreamsThrowAndLeaveTheBufferEmpty) {
  const cIndexBuffer held = Optimized({10, 12, 11});
  const Bytes valid = SavedBytes(held);
  auto fails = [&](const Bytes& bytes) { LoadBoth<cIndexBuffer>(bytes, nullptr, held); };
  for (size_t cut = 0; cut < valid.size(); ++cut) fails(Bytes(valid.begin(), valid.begin() + cut));
  for (uint32_t length : {0x80000000u, 0xFFFFFFFFu, 4u}) {
    Bytes b = valid;
    for (int k = 0; k < 4; ++k) b[k] = uint8_t(length >> 8 * k);
    fails(b);
  }
  cAllocationGate gate;
  fails(Bytes{0, 0xE1, 0xF5, 0x05, 0, 0, 0, 0, 0});  // 100 million indices announced
  EXPECT_LE(cAllocationGate::Largest(), 64u * 1024);

  // A maximum below a stored entry is raised; any non-zero flag is true.
  Bytes low = valid;
  low[12] = 0;
  low[14] = 7;
  LoadBoth<cIndexBuffer>(
      low, [](cIndexBuffer& l) { EXPECT_TRUE(l.GetMaxIndex() == 2 && l.IsOptimized()); });
}

TEST(IndexMemory, EveryFailedAllocationThrowsOutOfMemoryAndKeepsTheBuffer) {
  const cIndexBuffer held = Optimized({10, 12, 11});
  const uint16_t values[] = {1, 2, 3, 4, 5};
  std::vector<uint16_t> many(40000);  // 78 KiB of indices
  for (size_t k = 0; k < many.size(); ++k) many[k] = uint16_t(k * 7);
  const Bytes largeBytes = SavedBytes(cIndexBuffer(many.data(), uint32_t(many.size())));
  using tAction = std::function<void(cIndexBuffer&)>;
  const std::tuple<const char*, std::vector<int>, tAction> actions[] = {
      {"grow", {196}, [](cIndexBuffer& b) { b.SetLength(9); }},
      {"shrink", {196}, [](cIndexBuffer& b) { b.SetLength(1); }},
      {"copy", {186, 196}, [&](cIndexBuffer& b) { b = cIndexBuffer(values, 5); }},
      {"copy array", {196}, [&](cIndexBuffer& b) { b.Copy(values, 5); }},
      {"add", {186, 196}, [&](cIndexBuffer& b) { b += cIndexBuffer(values, 5); }},
      {"add array", {196}, [&](cIndexBuffer& b) { b.Add(values, 5); }},
      {"add itself", {196}, [](cIndexBuffer& b) { b += b; }},
  };
  for (const auto& [name, lines, action] : actions) {
    SCOPED_TRACE(name);
    ExpectEachFailedAllocationKeeps<cIndexBuffer>(held, action, kFile, lines);
  }
  ExpectLoadSurvivesEachFailedAllocation(held, largeBytes, kFile, 186, 196);
}
