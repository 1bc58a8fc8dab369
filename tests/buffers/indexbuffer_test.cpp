#include <gtest/gtest.h>
#include <tolmak.h>

#include <random>

#include "buffer_fixtures.h"

using namespace tolmak::test;

namespace {

constexpr const char kFile[] = "tolmak_indexbuffer.cpp";
// A model entry that SetLength grew into and nothing has set yet.
constexpr uint32_t kUnset = 0x10000;
using Model = std::vector<uint32_t>;

std::vector<uint16_t> Entries(const cIndexBuffer& b) {
  return std::vector<uint16_t>(b.GetReadPtr(), b.GetReadPtr() + b.GetLength());
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

TEST(IndexBuffer, WorkedExamples) {
  const uint16_t values[] = {10, 12, 11};
  cIndexBuffer b(values, 3);
  EXPECT_EQ(b.GetMinIndex(), 0);
  EXPECT_EQ(b.GetMaxIndex(), 12);
  EXPECT_FALSE(b.IsOptimized());
  b.Optimize();
  EXPECT_EQ(Entries(b), (std::vector<uint16_t>{0, 2, 1}));
  EXPECT_EQ(b.GetMinIndex(), 10);
  EXPECT_EQ(b.GetMaxIndex(), 2);
  EXPECT_TRUE(b.IsOptimized());
  EXPECT_EQ((std::vector<int>{b[0], b[1], b[2]}), (std::vector<int>{10, 12, 11}));
  const Bytes bytes{3, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0x0A, 0, 2, 0, 1};
  EXPECT_EQ(Saved(b), bytes);
  LoadBoth<cIndexBuffer>(bytes, [&](cIndexBuffer& l) { EXPECT_EQ(Saved(l), bytes); });

  b = uint16_t{7};
  EXPECT_EQ(Entries(b), (std::vector<uint16_t>{7}));
  EXPECT_TRUE(b.GetMaxIndex() == 7 && b.GetMinIndex() == 0 && !b.IsOptimized());
  cIndexBuffer one;
  one += 5;
  EXPECT_EQ(Entries(one), (std::vector<uint16_t>{5}));

  cIndexBuffer shrink(values, 3);
  shrink.SetLength(1);
  EXPECT_EQ(shrink.GetMaxIndex(), 10);
  shrink.SetLength(4);
  EXPECT_EQ(shrink.GetMaxIndex(), 10);

  cIndexBuffer sum;
  sum.Add(Optimized({10, 12}));
  EXPECT_EQ(Entries(sum), (std::vector<uint16_t>{10, 12}));
  EXPECT_EQ(sum.GetMinIndex(), 0);

  cIndexBuffer cleared = Optimized({10, 12});
  cleared.SetLength(0);
  EXPECT_TRUE(cleared.IsEmpty() && !cleared.IsOptimized() && cleared.GetMinIndex() == 0);
  cleared.Optimize();
  EXPECT_FALSE(cleared.IsOptimized());
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
      const int op = int(rng() % 12);
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
        b = v[0];
        model = {v[0]};
      } else if (op == 8) {
        b += v[0];
        model.push_back(v[0]);
      } else if (op == 9) {
        const Bytes bytes = Saved(b);
        LoadBoth<cIndexBuffer>(bytes, [&](cIndexBuffer& l) { ExpectModel(l, model, "loaded"); });
        cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
        b.Load(in);  // into the array it already holds
      } else if (op == 10) {
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

TEST(IndexBuffer, MaximumOfAnArrayIsItsLargestEntryAtAnyLengthAndPlace) {
  std::mt19937 rng(31);
  for (uint32_t length = 1; length < 70; ++length) {
    for (uint32_t at = 0; at < length; at += 5) {
      std::vector<uint16_t> v(length);
      for (auto& x : v) x = uint16_t(rng() % 0x8000);
      v[at] = uint16_t(0x8000 + rng() % 0x8000);  // the top bit set: compared unsigned
      EXPECT_EQ(cIndexBuffer(v.data(), length).GetMaxIndex(), v[at]) << length << " " << at;
    }
  }
}

TEST(IndexStream, HostileStreamsThrowAndLeaveTheBufferEmpty) {
  const cIndexBuffer held = Optimized({10, 12, 11});
  const Bytes valid = Saved(held);
  for (size_t cut = 0; cut < valid.size(); ++cut)
    ExpectLoadFails(Bytes(valid.begin(), valid.begin() + cut), held, "truncated");
  for (uint32_t length : {0x80000000u, 0xFFFFFFFFu, 4u}) {
    Bytes b = valid;
    b[0] = uint8_t(length), b[1] = uint8_t(length >> 8), b[2] = uint8_t(length >> 16),
    b[3] = uint8_t(length >> 24);
    ExpectLoadFails(b, held, "length");
  }
  cAllocationGate gate;
  Bytes absent{0, 0xE1, 0xF5, 0x05, 0, 0, 0, 0, 0};  // 100 million indices announced
  ExpectLoadFails(absent, held, "absent indices");
  EXPECT_LE(cAllocationGate::Largest(), 64u * 1024);

  // A maximum below a stored entry is raised; any non-zero flag is true.
  Bytes low = valid;
  low[12] = 0;
  low[14] = 7;
  LoadBoth<cIndexBuffer>(low, [](cIndexBuffer& l) {
    EXPECT_EQ(l.GetMaxIndex(), 2);
    EXPECT_TRUE(l.IsOptimized());
  });
}

TEST(IndexMemory, FailedAllocationsThrowAndKeepTheBuffer) {
  cIndexBuffer b = Optimized({10, 12, 11});
  const Bytes before = Saved(b);
  const uint16_t values[] = {1, 2, 3, 4, 5};
  auto failing = [&](const std::function<void()>& action, int line) {
    {
      cAllocationGate gate(0);
      ExpectOutOfMemory(action, kFile, line);
    }
    EXPECT_EQ(Saved(b), before);
  };
  // 8 GiB may well be granted here, so the gate refuses it.
  failing([&] { b.SetLength(0xFFFFFFFF); }, 196);
  failing([&] { b.Add(values, 5); }, 196);
  failing([&] { b += b; }, 196);
  failing([&] { b = cIndexBuffer(values, 5); }, 186);
  failing([&] { b.Copy(values, 5); }, 196);
  failing([&] { cIndexBuffer(7); }, 186);
  cMemoryStream in;
  b.Save(in);
  in.Seek(0);
  cAllocationGate gate(0);
  ExpectOutOfMemory([&] { b.Load(in); }, kFile, 186);
  EXPECT_TRUE(b.IsEmpty());
}

TEST(IndexMemory, EveryOperationSurvivesEachOfItsAllocationsFailing) {
  const cIndexBuffer held = Optimized({10, 12, 11});
  const uint16_t values[] = {1, 2, 3, 4, 5};
  std::vector<uint16_t> many(40000);  // 78 KiB of indices
  for (size_t k = 0; k < many.size(); ++k) many[k] = uint16_t(k * 7);
  const Bytes largeBytes = Saved(cIndexBuffer(many.data(), uint32_t(many.size())));
  using tAction = std::function<void(cIndexBuffer&)>;
  const std::pair<const char*, tAction> actions[] = {
      {"grow", [](cIndexBuffer& b) { b.SetLength(9); }},
      {"shrink", [](cIndexBuffer& b) { b.SetLength(1); }},
      {"copy", [&](cIndexBuffer& b) { b = cIndexBuffer(values, 5); }},
      {"copy array", [&](cIndexBuffer& b) { b.Copy(values, 5); }},
      {"assign index", [](cIndexBuffer& b) { b = uint16_t(7); }},
      {"add", [&](cIndexBuffer& b) { b += cIndexBuffer(values, 5); }},
      {"add array", [&](cIndexBuffer& b) { b.Add(values, 5); }},
      {"add itself", [](cIndexBuffer& b) { b += b; }},
      {"add index", [](cIndexBuffer& b) { b += uint16_t(3); }},
  };
  for (const auto& [name, action] : actions) {
    SCOPED_TRACE(name);
    ExpectEveryFailedAllocationKeeps<cIndexBuffer>(held, action, kFile, {186, 196});
  }
  for (bool sized : {true, false}) {
    const int allocations = ExpectEveryFailedAllocationKeeps<cIndexBuffer>(
        held,
        [&](cIndexBuffer& b) {
          cMemoryStream in(largeBytes.data(), uint32_t(largeBytes.size()));
          cUnsizedStream pipe(largeBytes);
          b.Load(sized ? static_cast<iInStream&>(in) : pipe);
          EXPECT_EQ(Saved(b), largeBytes);
        },
        kFile, {186, 196}, true);
    EXPECT_EQ(allocations, sized ? 1 : 2);
  }
}
