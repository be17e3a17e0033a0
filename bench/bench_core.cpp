// Figures of the receive path, the send queue and the number conversions.
#include <benchmark/benchmark.h>

#include "bench_inputs.h"

#include <string>

#include "core/uConvert.h"
#include "core/uFramer.h"
#include "core/uTerminal.h"

using namespace tessaro;

namespace {

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
