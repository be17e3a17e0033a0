#include "core/uCompareTimer.h"

#include "core/uVirtualTickCount64.h"

namespace tessaro {

TCompareTimer::TCompareTimer(int periodMs, THandler handler)
    : Period(periodMs < 1 ? 1 : periodMs), Handler(std::move(handler)) {
  Thread = std::thread([this] { Loop(); });
}

TCompareTimer::~TCompareTimer() {
  {
    std::lock_guard<std::mutex> g(Lock);
    Stop = true;
  }
  Wake.notify_all();
  Thread.join();
}

int64_t TCompareTimer::Now() {
  return static_cast<int64_t>(GetTickCount64());
}

void TCompareTimer::SetRunning(bool on) {
  {
    std::lock_guard<std::mutex> g(Lock);
    FRunning.store(on);
  }
  Wake.notify_all();
}

void TCompareTimer::Reset() {
  ResetRequest.store(true);
  Wake.notify_all();
}

void TCompareTimer::Loop() {
  std::unique_lock<std::mutex> lk(Lock);
  for (;;) {
    // Paused (100 ms naps; a state change wakes at once).
    while (!Stop && !FRunning.load()) {
      if (ResetRequest.exchange(false)) PausedElapsed = 0;
      Wake.wait_for(lk, std::chrono::milliseconds(100));
    }
    if (Stop) return;
    if (ResetRequest.exchange(false)) PausedElapsed = 0;
    LastTick = Now();
    StartTime = LastTick - PausedElapsed;
    CurrentTime = LastTick;
    while (!Stop && FRunning.load()) {
      if (ResetRequest.exchange(false)) {
        PausedElapsed = 0;
        LastTick = StartTime = Now();
      }
      CurrentTime = Now();
      if (CurrentTime - LastTick >= Period.load()) {
        LastTick += Period.load();
        int64_t elapsed = CurrentTime - StartTime;
        lk.unlock();
        Handler(elapsed);
        lk.lock();
      } else {
        Wake.wait_for(lk, std::chrono::milliseconds(5));
      }
    }
    PausedElapsed = CurrentTime - StartTime;
    if (Stop) return;
  }
}

}  // namespace tessaro
