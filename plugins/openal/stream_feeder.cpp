#include "stream_feeder.h"

namespace zunfert::al {

cStreamFeeder::cStreamFeeder(std::function<void()> refill, std::chrono::milliseconds period)
    : m_Refill(std::move(refill)), m_Period(period), m_Thread(&cStreamFeeder::Run, this) {}

cStreamFeeder::~cStreamFeeder() {
  {
    std::lock_guard lock(m_Mutex);
    m_Stop = true;
  }
  m_Wake.notify_one();
  m_Thread.join();
}

void cStreamFeeder::Run() {
  std::unique_lock lock(m_Mutex);
  while (!m_Wake.wait_for(lock, m_Period, [this] { return m_Stop; })) {
    lock.unlock();
    m_Refill();
    lock.lock();
  }
}

}  // namespace zunfert::al
