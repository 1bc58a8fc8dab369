#include "work_crew.h"

#include <algorithm>
#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace zunfert::detail {

cWorkCrew::~cWorkCrew() {
  Finish();
  StopHelpers();
}

void cWorkCrew::SetThreads(int threads) {
  threads = std::max(threads, 1);
  if (threads == m_Threads) return;
  Finish();
  StopHelpers();
  m_Threads = threads;
}

void cWorkCrew::StopHelpers() {
  if (m_Helpers.empty()) return;
  m_Stop.store(true);
  m_Run.fetch_add(1, std::memory_order_release);
  Wake();
  for (std::thread& helper : m_Helpers) helper.join();
  m_Helpers.clear();
  m_Stop.store(false);
}

void cWorkCrew::Spin(unsigned turn) {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
  if (turn % 256 == 0) std::this_thread::yield();
}

template <class T, class Done>
void cWorkCrew::Await(const std::atomic<T>& value, Done done) {
  const auto met = [&] { return done(value.load(std::memory_order_acquire)); };
  if (met()) return;
  using tClock = std::chrono::steady_clock;
  constexpr auto kSpin = std::chrono::microseconds(100);
  const tClock::time_point start = tClock::now(), until = start + kSpin;
  bool spinning = true;
  for (unsigned turn = 1; !met(); ++turn) {
    if (turn % 64 == 0 && tClock::now() >= until) {
      spinning = false;
      break;
    }
    Spin(turn);
  }
  const auto spun = std::chrono::duration_cast<std::chrono::nanoseconds>(tClock::now() - start);
  m_SpunNanoseconds.fetch_add(static_cast<uint64_t>(spun.count()), std::memory_order_relaxed);
  if (spinning) return;
  std::unique_lock lock(m_Mutex);
  m_Changed.wait(lock, met);
}

void cWorkCrew::Wake() {
  // Taking the mutex orders this after a sleeper's last look at the value.
  { std::lock_guard lock(m_Mutex); }
  m_Changed.notify_all();
}

void cWorkCrew::Run(std::initializer_list<tPhase> phases) {
  Start(phases);
  Finish();
}

void cWorkCrew::Start(std::initializer_list<tPhase> phases) {
  Finish();
  m_Started = true;
  m_Fed.store(0, std::memory_order_relaxed);
  m_PhaseCount = 0;
  for (const tPhase& phase : phases)
    if (m_PhaseCount < kMaxPhases) m_Phases[m_PhaseCount++] = phase;
  // With nobody to hand them to, or a single item not worth waking anyone
  // for, Finish does the items on the caller's thread.
  m_OnCaller = m_Threads == 1 || (m_PhaseCount == 1 && m_Phases[0].items <= 1);
  if (m_OnCaller) return;
  if (m_Helpers.empty()) {
    m_Owned = std::make_unique<tOwned[]>(static_cast<size_t>(kMaxPhases) * m_Threads);
    for (int thread = 1; thread < m_Threads; ++thread)
      m_Helpers.emplace_back(&cWorkCrew::Help, this, thread, m_Run.load());
  }
  for (int p = 0; p < m_PhaseCount; ++p) {
    const auto share = [&](int thread) {
      return static_cast<uint64_t>(m_Phases[p].items) * static_cast<uint64_t>(thread) /
             static_cast<uint64_t>(m_Threads);
    };
    for (int thread = 0; thread < m_Threads; ++thread)
      Owned(p, thread).items.store(share(thread) | share(thread + 1) << 32,
                                   std::memory_order_relaxed);
    m_Done[p].store(0, std::memory_order_relaxed);
  }
  m_Open.store(true);
  m_Run.fetch_add(1, std::memory_order_release);
  Wake();
}

void cWorkCrew::Finish() {
  if (!m_Started) return;
  m_Started = false;
  m_Fed.fetch_or(kFinished, std::memory_order_release);
  if (m_OnCaller) {
    for (int p = 0; p < m_PhaseCount; ++p)
      for (uint32_t item = 0; item < m_Phases[p].items; ++item)
        m_Phases[p].work(m_Phases[p].context, 0, item);
    return;
  }
  Wake();
  Work(0);
  // The caller has found every item taken: once no helper is inside the
  // run, every item is done.
  m_Open.store(false);
  Await(m_Inside, [](int inside) { return inside == 0; });
}

void cWorkCrew::Feed() {
  m_Fed.fetch_add(1, std::memory_order_release);
  Wake();
}

uint32_t cWorkCrew::AwaitFeed(uint32_t fed) {
  Await(m_Fed, [fed](uint32_t now) { return now != fed; });
  return m_Fed.load(std::memory_order_acquire);
}

bool cWorkCrew::Take(int p, int thread, uint32_t& item) {
  const auto take = [&item](tOwned& owned, bool front) {
    uint64_t items = owned.items.load(std::memory_order_relaxed);
    for (;;) {
      const auto first = static_cast<uint32_t>(items), end = static_cast<uint32_t>(items >> 32);
      if (first >= end) return false;
      const uint64_t rest = front ? items + 1 : items - (uint64_t{1} << 32);
      if (owned.items.compare_exchange_weak(items, rest, std::memory_order_relaxed)) {
        item = front ? first : end - 1;
        return true;
      }
    }
  };
  if (take(Owned(p, thread), true)) return true;
  for (int other = 1; other < m_Threads; ++other)
    if (take(Owned(p, (thread + other) % m_Threads), false)) return true;
  return false;
}

void cWorkCrew::Work(int thread) {
  for (int p = 0; p < m_PhaseCount; ++p) {
    if (p > 0) {
      const uint32_t items = m_Phases[p - 1].items;
      Await(m_Done[p - 1], [items](uint32_t done) { return done == items; });
    }
    const tPhase& phase = m_Phases[p];
    for (uint32_t item; Take(p, thread, item);) {
      phase.work(phase.context, thread, item);
      if (m_Done[p].fetch_add(1, std::memory_order_acq_rel) + 1 == phase.items) Wake();
    }
  }
}

void cWorkCrew::Help(int thread, uint32_t seen) {
  for (;;) {
    Await(m_Run, [seen](uint32_t run) { return run != seen; });
    if (m_Stop.load()) return;
    seen = m_Run.load(std::memory_order_acquire);
    // Counted in before looking whether the run is open: the caller closes
    // it before it waits for the count to empty, so one of the two sees
    // the other.
    m_Inside.fetch_add(1);
    if (m_Open.load() && m_Run.load() == seen) Work(thread);
    if (m_Inside.fetch_sub(1) == 1) Wake();
  }
}

}  // namespace zunfert::detail
