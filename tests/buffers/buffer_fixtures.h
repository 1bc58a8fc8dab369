#pragma once

#include <gtest/gtest.h>
#include <tolmak.h>

#include <algorithm>
#include <cstring>
#include <functional>
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

}  // namespace tolmak::test
