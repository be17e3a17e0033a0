// Figures of the receive path, the send queue and the number conversions.
#include <benchmark/benchmark.h>

#include <string>

#include "core/uConvert.h"
#include "core/uFramer.h"
#include "core/uTerminal.h"

using namespace tessaro;

namespace {

// About 1 MB of mixed commands, one in eight malformed.
std::string MixedCommands(size_t* count) {
  const char* pieces[] = {"#5F12,3;",  "#25STest;", "/#7F1;",   "#123F-4.5E3;",
                          "#5F1.2.3;", "#42F7;",    "#1000F1;", "#9S;"};
  std::string s;
  size_t n = 0;
  while (s.size() < (1u << 20)) {
    s += pieces[n % 8];
    if (n % 16 == 0) s += "\r\n";
    ++n;
  }
  *count = n;
  return s;
}

void BM_FrameAndProcess_NoDependents(benchmark::State& state) {
  size_t commands;
  std::string data = MixedCommands(&commands);
  TTerminal term;
  TFramer framer;
  for (auto _ : state) {
    framer.Feed(data.data(), data.size(),
                [&](std::string_view f, bool notify) { term.ProcessCommand(f, nullptr, notify); });
  }
  benchmark::DoNotOptimize(term.ChannelValue(5));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * commands));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_FrameAndProcess_NoDependents)->Unit(benchmark::kMillisecond);

void BM_SendQueue_PushDrain(benchmark::State& state) {
  TStringIntExtendBuffer q(SendQueueStep);
  q.SetLimit(SendQueueLimit);
  int64_t drained = 0;
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i)
      q.Push("#20F12.5;", 20);
    if (q.BeginRead())
      while (q.Next())
        drained += q.Read().Value;
  }
  benchmark::DoNotOptimize(drained);
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_SendQueue_PushDrain);

void BM_TextToReal(benchmark::State& state) {
  std::string text = "12,3";
  bool valid;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    double v = TextToReal(text, valid);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_TextToReal);

void BM_RealToCommandText(benchmark::State& state) {
  const double values[] = {12.3, 1.5e-7};
  size_t i = 0;
  for (auto _ : state) {
    std::string s = RealToCommandText(values[i++ & 1]);
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(BM_RealToCommandText);

}  // namespace
