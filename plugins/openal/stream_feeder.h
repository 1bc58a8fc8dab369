#pragma once

// The thread that keeps the playing streams decoded ahead of the device.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace zunfert::al {

class cStreamFeeder {
 public:
  /// Calls refill every period on a thread of its own until destroyed.
  cStreamFeeder(std::function<void()> refill, std::chrono::milliseconds period);
  /// Wakes the thread and waits for it to end.
  ~cStreamFeeder();
  cStreamFeeder(const cStreamFeeder&) = delete;
  cStreamFeeder& operator=(const cStreamFeeder&) = delete;

 private:
  void Run();

  std::function<void()> m_Refill;
  std::chrono::milliseconds m_Period;
  std::mutex m_Mutex;
  std::condition_variable m_Wake;
  bool m_Stop = false;
  std::thread m_Thread;
};

}  // namespace zunfert::al
