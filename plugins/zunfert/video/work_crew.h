#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zunfert::detail {

/// The device's threads: the caller's and helpers that start at the first
/// run that wants them and live as long as the crew.
///
/// A run is a few phases, each a number of items. Every item is done once,
/// by whichever thread takes it first, and a phase's items are taken only
/// when the previous phase's are all done. Each thread owns an equal run of
/// a phase's items and takes them in order; a thread that has done its own
/// takes from the far end of another's, so that neighbouring items (rows of
/// a picture, stretches of a mesh) mostly stay with one thread and its
/// cache. The caller takes items until none is left and then waits only for
/// items a helper has taken: a helper that the machine wakes late takes
/// fewer items, and nothing waits for it to wake. What an item writes,
/// every item of the later phases sees.
class cWorkCrew {
 public:
  /// work(context, thread, item): thread is the taker, 0 the caller's, below
  /// GetThreads(); two items never run at once on the same thread.
  using tWork = void (*)(void* context, int thread, uint32_t item);
  struct tPhase {
    uint32_t items = 0;
    tWork work = nullptr;
    void* context = nullptr;
  };

  /// A phase of items items, each done by work(thread, item).
  template <class F>
  static tPhase Phase(uint32_t items, F& work) {
    return {
        items,
        [](void* context, int thread, uint32_t item) { (*static_cast<F*>(context))(thread, item); },
        &work};
  }

  cWorkCrew() = default;
  cWorkCrew(const cWorkCrew&) = delete;
  cWorkCrew& operator=(const cWorkCrew&) = delete;
  ~cWorkCrew();

  /// Threads that work, the caller's included; at least 1.
  void SetThreads(int threads);
  int GetThreads() const { return m_Threads; }

  /// Does the phases' items (at most four phases), in order of phases;
  /// returns when all are done.
  void Run(std::initializer_list<tPhase> phases);
  /// Run in two halves: Start hands the phases to the helpers and returns
  /// at once, so that the caller goes on with other work; Finish takes
  /// whatever item no helper took, and returns when all are done. Until
  /// Finish, the caller may Feed the run's items more work, and they wait
  /// for it with AwaitFeed. One run at a time.
  void Start(std::initializer_list<tPhase> phases);
  void Finish();
  bool IsStarted() const { return m_Started; }
  /// Tells the started run's items that there is more work.
  void Feed();
  /// Set in what AwaitFeed returns once Finish has begun: no more feeds.
  static constexpr uint32_t kFinished = 1u << 31;
  /// Waits until the caller fed more than fed times, or began to Finish;
  /// returns its feeds, with kFinished once it has.
  uint32_t AwaitFeed(uint32_t fed);

  /// Seconds the threads spent spinning while they waited, by the wall
  /// clock, summed over the threads: for the others' items at the end of a
  /// phase, for the helpers to leave a run, for the next run (until a
  /// thread falls asleep).
  double GetSpunSeconds() const {
    return 1e-9 * static_cast<double>(m_SpunNanoseconds.load(std::memory_order_relaxed));
  }
  void ResetSpunSeconds() { m_SpunNanoseconds.store(0, std::memory_order_relaxed); }

 private:
  static constexpr int kMaxPhases = 4;

  /// The items of phase p still to take that thread owns: the first in the
  /// low half, one past the last in the high half, so that the owner and a
  /// thief settle who takes an item with one compare-exchange.
  struct alignas(64) tOwned {
    std::atomic<uint64_t> items = 0;
  };
  tOwned& Owned(int p, int thread) { return m_Owned[p * m_Threads + thread]; }
  /// Takes the next item of phase p for thread: its own first, then from
  /// the back of the others'. False when none is left.
  bool Take(int p, int thread, uint32_t& item);
  /// Takes and does items of the current run's phases, waiting at each
  /// phase for the previous one's items to be done.
  void Work(int thread);
  /// Turn turn (from 1) of a thread spinning until another changes what it
  /// waits for: a pause, and every 256th turn a yield, as when another
  /// program holds the other core the thread awaited may be queued behind
  /// this one on the same core. Not more often: on a virtual machine a
  /// yield takes as long as 64 pauses, and a thread inside one sees the
  /// change late.
  static void Spin(unsigned turn);
  /// Waits until done(value) holds: spinning for 100 microseconds, as the
  /// next run of a frame is usually closer than that and a thread asleep
  /// must first be woken (tens of microseconds on a virtual machine), then
  /// asleep, so that an idle crew costs no processor.
  template <class T, class Done>
  void Await(const std::atomic<T>& value, Done done);
  /// Wakes the threads asleep in Await after a change of what they wait for.
  void Wake();
  /// A helper's loop; it has seen the runs up to seen.
  void Help(int thread, uint32_t seen);
  void StopHelpers();

  int m_Threads = 1;
  std::vector<std::thread> m_Helpers;
  std::mutex m_Mutex;  // for the sleepers of Await
  std::condition_variable m_Changed;

  // A run's phases are written before m_Open and m_Run publish them; a
  // helper works on a run only while it counts itself in m_Inside and the
  // run is open, and the caller closes a run and waits for m_Inside to
  // empty before it writes the next.
  tPhase m_Phases[kMaxPhases];
  int m_PhaseCount = 0;
  std::unique_ptr<tOwned[]> m_Owned;              // kMaxPhases per thread
  std::atomic<uint32_t> m_Done[kMaxPhases] = {};  // items done
  std::atomic<uint32_t> m_Run = 0;                // counts the runs
  std::atomic<uint32_t> m_Fed = 0;                // the started run's feeds
  bool m_Started = false;
  bool m_OnCaller = false;  // the started run's items are all the caller's
  std::atomic<bool> m_Open = false;
  std::atomic<int> m_Inside = 0;
  std::atomic<bool> m_Stop = false;
  std::atomic<uint64_t> m_SpunNanoseconds = 0;
};

}  // namespace zunfert::detail
