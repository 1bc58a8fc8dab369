#pragma once

#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "buffer_block.h"

namespace tolmak::test {

using Bytes = std::vector<uint8_t>;

template <class Buffer>
Bytes Saved(const Buffer& buffer) {
  cMemoryStream out;
  buffer.Save(out);
  return Bytes(out.GetData(), out.GetData() + out.GetSize());
}

// A stream that cannot tell how much it holds, as a pipe or socket would.
class cUnsizedStream : public iInStream {
 public:
  explicit cUnsizedStream(const Bytes& bytes) : m_Bytes(bytes.data(), uint32_t(bytes.size())) {}
  uint32_t Read(void* buffer, uint32_t size) override { return m_Bytes.Read(buffer, size); }
  int64_t GetRemaining() const override { return -1; }

 private:
  cMemoryStream m_Bytes;
};

// Loads bytes through a sized and through an unsized stream; both must agree.
template <class Buffer>
void LoadBoth(const Bytes& bytes, const std::function<void(Buffer&)>& check) {
  Buffer sized, unsized;
  cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
  sized.Load(in);
  cUnsizedStream pipe(bytes);
  unsized.Load(pipe);
  check(sized);
  check(unsized);
}

// Every load of bytes must throw a cException and leave a buffer that held
// something empty.
template <class Buffer>
void ExpectLoadFails(const Bytes& bytes, const Buffer& before, const char* what) {
  for (bool sized : {true, false}) {
    Buffer buffer(before);
    cMemoryStream in(bytes.data(), uint32_t(bytes.size()));
    cUnsizedStream pipe(bytes);
    iInStream& stream = sized ? static_cast<iInStream&>(in) : pipe;
    EXPECT_THROW(buffer.Load(stream), cException) << what << (sized ? " (sized)" : " (unsized)");
    EXPECT_TRUE(buffer.IsEmpty() && buffer.GetLength() == 0) << what;
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

inline void ExpectOutOfMemory(const std::function<void()>& action, const char* file, int line) {
  try {
    action();
    ADD_FAILURE() << "no exception";
  } catch (const cException& e) {
    EXPECT_STREQ(e.GetFile().c_str(), file);
    EXPECT_EQ(e.GetLine(), line);
    EXPECT_STREQ(e.GetMessage().c_str(), "Out of memory");
  }
}

/// Runs the action on a copy of the buffer with its k-th allocation
/// failing, for k = 0, 1, ... until it runs through. Each failure must throw
/// "Out of memory" from the file at one of the two lines and leave the copy
/// as it was (empty for a load). Returns how many allocations it took.
template <class Buffer>
int ExpectEveryFailedAllocationKeeps(const Buffer& buffer,
                                     const std::function<void(Buffer&)>& action, const char* file,
                                     std::pair<int, int> lines, bool emptied = false) {
  const Bytes before = Saved(buffer);
  for (int k = 0; k < 100; ++k) {
    Buffer trial(buffer);
    {
      cAllocationGate gate(k);
      try {
        action(trial);
        return k;
      } catch (const cException& e) {
        EXPECT_STREQ(e.GetFile().c_str(), file);
        EXPECT_TRUE(e.GetLine() == lines.first || e.GetLine() == lines.second) << e.GetLine();
        EXPECT_STREQ(e.GetMessage().c_str(), "Out of memory");
      }
    }
    if (emptied) {
      EXPECT_TRUE(trial.IsEmpty() && trial.GetLength() == 0) << "allocation " << k;
    } else {
      EXPECT_EQ(Saved(trial), before) << "allocation " << k;
    }
  }
  ADD_FAILURE() << "never ran through";
  return -1;
}

}  // namespace tolmak::test
