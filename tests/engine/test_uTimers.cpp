#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/uCompareTimer.h"
#include "core/uVirtualTickCount64.h"

using namespace tessaro;

namespace {

struct Ticks {
  std::vector<uint32_t> Seq;
  size_t Pos = 0;
  static uint32_t Next(void* ctx) {
    auto* t = static_cast<Ticks*>(ctx);
    return t->Seq[std::min(t->Pos++, t->Seq.size() - 1)];
  }
};

TEST(TickCount64, CountsAWrapOnce) {
  Ticks t{{0xFFFFFF00u, 0x00000010u, 0x00000020u, 0x00000005u}};
  TVirtualTickcount64 c(&Ticks::Next, &t);
  EXPECT_EQ(c.Read(), 0xFFFFFF00ull);
  EXPECT_EQ(c.Read(), 0x100000010ull);
  EXPECT_EQ(c.Read(), 0x100000020ull);
  EXPECT_EQ(c.Read(), 0x200000005ull);
}

TEST(TickCount64, ConcurrentReadersSeeOneMonotonicCount) {
  std::atomic<uint32_t> tick{0xFFFFF000u};
  auto source = [](void* ctx) { return static_cast<std::atomic<uint32_t>*>(ctx)->fetch_add(1); };
  TVirtualTickcount64 c(source, &tick);
  std::vector<std::thread> threads;
  std::atomic<bool> ok{true};
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] {
      uint64_t last = 0;
      for (int k = 0; k < 5000; ++k) {
        uint64_t v = c.Read();
        if (v <= last) ok = false;
        last = v;
      }
    });
  for (auto& t : threads)
    t.join();
  EXPECT_TRUE(ok.load());
  // 20000 reads from 0xFFFFF000 cross exactly one wrap.
  EXPECT_EQ(c.Read() >> 32, 1u);
}

TEST(TickCount64, GlobalCounterIsMonotonic) {
  uint64_t a = GetTickCount64();
  uint64_t b = GetTickCount64();
  EXPECT_LE(a, b);
}

TEST(CompareTimer, PauseKeepsElapsedTime) {
  std::mutex m;
  std::vector<int64_t> seen;
  TCompareTimer t(20, [&](int64_t e) {
    std::lock_guard<std::mutex> g(m);
    seen.push_back(e);
  });
  auto count = [&] {
    std::lock_guard<std::mutex> g(m);
    return seen.size();
  };
  t.SetRunning(true);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (count() < 5 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  t.SetRunning(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  int64_t atPause;
  size_t n;
  {
    std::lock_guard<std::mutex> g(m);
    ASSERT_GE(seen.size(), 5u);
    atPause = seen.back();
    n = seen.size();
  }
  EXPECT_EQ(count(), n);  // paused: no calls
  t.SetRunning(true);
  while (count() < n + 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  t.SetRunning(false);
  std::lock_guard<std::mutex> g(m);
  ASSERT_GE(seen.size(), n + 1);
  int64_t resumed = seen[n];
  EXPECT_GE(resumed, atPause);        // continues, does not restart at 0
  EXPECT_LT(resumed, atPause + 200);  // and does not count the pause
  for (size_t i = 1; i < seen.size(); ++i)
    EXPECT_GE(seen[i], seen[i - 1]);
}

TEST(CompareTimer, SlowHandlerCatchesUp) {
  std::atomic<int> calls{0};
  TCompareTimer t(10, [&](int64_t) {
    if (calls.fetch_add(1) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(55));
  });
  auto t0 = std::chrono::steady_clock::now();
  t.SetRunning(true);
  while (calls.load() < 6 && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(5))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
  t.SetRunning(false);
  // Six calls need 60 ms of schedule; the overrun is made up without waiting.
  EXPECT_GE(calls.load(), 6);
  EXPECT_LT(ms.count(), 1000);
}

}  // namespace
