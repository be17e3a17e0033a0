// A thread that calls a handler every `period` ms with the elapsed run time. Pausing
// keeps the elapsed time; resuming continues from it. The schedule does not drift:
// a handler that overran is called again at once until it has caught up.
//
// The handler runs in the timer's own thread and must hand its data over itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace tessaro {

class TCompareTimer {
 public:
  using THandler = std::function<void(int64_t elapsedMs)>;

  TCompareTimer(int periodMs, THandler handler);
  ~TCompareTimer();
  TCompareTimer(const TCompareTimer&) = delete;
  TCompareTimer& operator=(const TCompareTimer&) = delete;

  void SetRunning(bool on);
  bool Running() const { return FRunning.load(); }
  void SetPeriod(int periodMs) { Period.store(periodMs < 1 ? 1 : periodMs); }
  // Elapsed time back to 0.
  void Reset();

 private:
  void Loop();
  static int64_t Now();

  std::atomic<int> Period;
  THandler Handler;
  std::atomic<bool> FRunning{false};
  std::atomic<bool> ResetRequest{false};
  int64_t StartTime = 0, LastTick = 0, CurrentTime = 0, PausedElapsed = 0;

  std::mutex Lock;
  std::condition_variable Wake;
  bool Stop = false;
  std::thread Thread;
};

}  // namespace tessaro
