// A monotonic 64-bit millisecond count built from the platform's 32-bit tick, which
// wraps after about 49.7 days. Safe to read from any thread: the 32-bit tick is taken
// and compared inside one lock, so every wrap is counted exactly once.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace tessaro {

class TVirtualTickcount64 {
 public:
  using TTickSource = uint32_t (*)(void* ctx);

  // source null: the system's monotonic clock in milliseconds, cut to 32 bits.
  // With a background period > 0 a thread reads the counter that often, so a wrap is
  // seen even when nobody asks for the time (500 s for the global counter).
  explicit TVirtualTickcount64(TTickSource source = nullptr, void* ctx = nullptr,
                               int backgroundPeriodMs = 0);
  ~TVirtualTickcount64();
  TVirtualTickcount64(const TVirtualTickcount64&) = delete;
  TVirtualTickcount64& operator=(const TVirtualTickcount64&) = delete;

  uint64_t Read();

 private:
  TTickSource Source;
  void* Ctx;
  std::mutex Lock;
  uint32_t LastTick = 0;
  uint32_t CurrentTick = 0;
  uint64_t Offset = 0;
  bool First = true;

  std::thread Watch;
  std::mutex WatchLock;
  std::condition_variable WatchWake;
  bool WatchStop = false;
};

// The one counter of the program (URL watchdog, recorder time stamps, compare timers).
TVirtualTickcount64& TickCount64();
inline uint64_t GetTickCount64() {
  return TickCount64().Read();
}

}  // namespace tessaro
