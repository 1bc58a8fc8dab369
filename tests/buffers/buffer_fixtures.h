#pragma once

#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "buffer_block.h"
#include "test_support.h"

namespace tolmak::test {

using Bytes = std::vector<uint8_t>;

// A stream that cannot tell how much it holds, as a pipe or socket would.
class cUnsizedStream : public cMemoryStream {
 public:
  explicit cUnsizedStream(const Bytes& bytes)
      : cMemoryStream(bytes.data(), uint32_t(bytes.size())) {}
  int64_t GetRemaining() const override { return -1; }
};

// Loads the bytes into copies of before through a sized and an unsized
// stream. With a check, both loads must succeed and pass it; without, both
// must throw a cException and leave the copy empty.
template <class Buffer>
void LoadBoth(const Bytes& bytes, const std::function<void(Buffer&)>& check,
              const Buffer& before = Buffer()) {
  for (bool sized : {true, false}) {
    SCOPED_TRACE(sized ? "sized stream" : "unsized stream");
    Buffer buffer(before);
    cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
    cUnsizedStream pipe(bytes);
    iInStream& stream = sized ? static_cast<iInStream&>(in) : pipe;
    if (check) {
      buffer.Load(stream);
      check(buffer);
    } else {
      EXPECT_THROW(buffer.Load(stream), cException);
      EXPECT_TRUE(buffer.IsEmpty() && buffer.GetLength() == 0);
    }
  }
}

// Makes the buffers' allocations fail from the countdown-th on, and records
// the largest one asked for, while in scope.
class cAllocationGate {
 public:
  explicit cAllocationGate(int countdown = 1 << 30) {
    sCountdown = countdown;
    sLargest = 0;
    m_Old = tolmak::detail::SetAllocationGate(&Pass);
  }
  ~cAllocationGate() { tolmak::detail::SetAllocationGate(m_Old); }
  static size_t Largest() { return sLargest; }

 private:
  static bool Pass(size_t bytes) {
    sLargest = std::max(sLargest, bytes);
    return --sCountdown >= 0;
  }
  static inline int sCountdown = 0;
  static inline size_t sLargest = 0;
  tolmak::detail::tAllocationGate m_Old;
};

/// Runs the action on a copy of the buffer with its k-th allocation failing,
/// for each k that lines names, then with none failing. Each failure must
/// throw "Out of memory" from the file at lines[k] and leave the copy as it
/// was (empty for a load); the last run must go through.
template <class Buffer>
void ExpectEachFailedAllocationKeeps(const Buffer& buffer,
                                     const std::function<void(Buffer&)>& action, const char* file,
                                     const std::vector<int>& lines, bool emptied = false) {
  const Bytes before = SavedBytes(buffer);
  for (size_t k = 0; k <= lines.size(); ++k) {
    SCOPED_TRACE("allocation " + std::to_string(k));
    Buffer trial(buffer);
    try {
      cAllocationGate gate{int(k)};
      action(trial);
      EXPECT_EQ(k, lines.size()) << "ran through";
      return;
    } catch (const cException& e) {
      EXPECT_STREQ(e.GetFile().c_str(), file);
      EXPECT_EQ(e.GetLine(), k < lines.size() ? lines[k] : 0);
      EXPECT_STREQ(e.GetMessage().c_str(), "Out of memory");
    }
    if (emptied) {
      EXPECT_TRUE(trial.IsEmpty() && trial.GetLength() == 0);
    } else {
      EXPECT_EQ(SavedBytes(trial), before);
    }
  }
}

// The same for loading the bytes through a sized stream, whose one block is
// the first allocation, and an unsized one, whose block grows once.
template <class Buffer>
void ExpectLoadSurvivesEachFailedAllocation(const Buffer& held, const Bytes& bytes,
                                            const char* file, int firstLine, int resizeLine) {
  for (bool sized : {true, false}) {
    const std::function<void(Buffer&)> load = [&](Buffer& b) {
      cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
      cUnsizedStream pipe(bytes);
      b.Load(sized ? static_cast<iInStream&>(in) : pipe);
      EXPECT_EQ(SavedBytes(b), bytes);
    };
    std::vector<int> lines{firstLine};
    if (!sized) lines.push_back(resizeLine);
    ExpectEachFailedAllocationKeeps<Buffer>(held, load, file, lines, true);
  }
}

}  // namespace tolmak::test
