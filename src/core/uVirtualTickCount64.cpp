#include "core/uVirtualTickCount64.h"

#include <chrono>

namespace tessaro {

namespace {
uint32_t SystemTick(void*) {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

TVirtualTickcount64::TVirtualTickcount64(TTickSource source, void* ctx, int backgroundPeriodMs)
    : Source(source ? source : &SystemTick), Ctx(ctx) {
  if (backgroundPeriodMs > 0) {
    Watch = std::thread([this, backgroundPeriodMs] {
      std::unique_lock<std::mutex> lk(WatchLock);
      while (!WatchStop) {
        WatchWake.wait_for(lk, std::chrono::milliseconds(backgroundPeriodMs));
        if (!WatchStop) Read();
      }
    });
  }
}

TVirtualTickcount64::~TVirtualTickcount64() {
  if (Watch.joinable()) {
    {
      std::lock_guard<std::mutex> g(WatchLock);
      WatchStop = true;
    }
    WatchWake.notify_all();
    Watch.join();
  }
}

uint64_t TVirtualTickcount64::Read() {
  std::lock_guard<std::mutex> g(Lock);
  CurrentTick = Source(Ctx);
  if (!First && CurrentTick < LastTick) Offset += (uint64_t{1} << 32);
  First = false;
  LastTick = CurrentTick;
  return Offset + CurrentTick;
}

TVirtualTickcount64& TickCount64() {
  static TVirtualTickcount64 counter(nullptr, nullptr, 500000);
  return counter;
}

}  // namespace tessaro
