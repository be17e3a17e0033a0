// Figures of the expression engine: one evaluation, the receive path with one
// dependent instrument, and the compile pass over a large project.
#include <benchmark/benchmark.h>

#include "bench_inputs.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/uFramer.h"
#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "expr/UCompile.h"
#include "expr/UInterpreter.h"

using namespace tessaro;

namespace {

const double Values[] = {12.3, -4.5, 0.25, 1e3, 7.0, -0.001, 3.5, 99.9};

void BM_Eval(benchmark::State& state, const char* formula) {
  TTerminal term;
  TCompiledInput in;
  TIntList ch;
  if (!CompileFormula(formula, in, ch)) state.SkipWithError("does not compile");
  size_t i = 0;
  for (auto _ : state) {
    term.Channel(5).Value.store(Values[i & 7], std::memory_order_relaxed);
    term.Channel(7).Value.store(Values[(i + 3) & 7], std::memory_order_relaxed);
    ++i;
    benchmark::DoNotOptimize(Interpret(in.Rpn, &term));
  }
}

// The same work written by hand, for comparison.
void BM_Eval_HandWritten(benchmark::State& state) {
  TTerminal term;
  size_t i = 0;
  for (auto _ : state) {
    term.Channel(5).Value.store(Values[i & 7], std::memory_order_relaxed);
    term.Channel(7).Value.store(Values[(i + 3) & 7], std::memory_order_relaxed);
    ++i;
    benchmark::DoNotOptimize(term.ChannelValue(5) * 2 + std::sin(term.ChannelValue(7)));
  }
}
BENCHMARK(BM_Eval_HandWritten);

void BM_Calculate(benchmark::State& state, const char* formula) {
  TTerminal term;
  TIXElementBase display;
  display.InputMode = imFormula;
  display.SetSource(formula);
  TSheetModelList sheets;
  sheets.Sheets.push_back({"1", {&display}});
  TFormulaEngine engine(term, sheets);
  engine.CompileAll();
  if (!display.CompiledOk) state.SkipWithError("does not compile");
  size_t i = 0;
  for (auto _ : state) {
    term.Channel(5).Value.store(Values[i & 7], std::memory_order_relaxed);
    term.Channel(7).Value.store(Values[(i + 3) & 7], std::memory_order_relaxed);
    ++i;
    engine.Calculate(display);
  }
  benchmark::DoNotOptimize(display.ReadValue());
}

void BM_FrameAndProcess_OneDependent(benchmark::State& state) {
  size_t commands;
  std::string data = MixedCommands(&commands);
  TTerminal term;
  TIXElementBase display;
  display.InputMode = imFormula;
  display.SetSource("#5*2+1");
  TSheetModelList sheets;
  sheets.Sheets.push_back({"1", {&display}});
  TFormulaEngine engine(term, sheets);
  engine.CompileAll();
  TFramer framer;
  for (auto _ : state) {
    framer.Feed(data.data(), data.size(),
                [&](std::string_view f, bool notify) { term.ProcessCommand(f, nullptr, notify); });
  }
  benchmark::DoNotOptimize(display.ReadValue());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * commands));
}
BENCHMARK(BM_FrameAndProcess_OneDependent)->Unit(benchmark::kMillisecond);

// 1000 instruments with 40-character formulas, in five shapes over 200 channels.
void BM_CompileAll_1000(benchmark::State& state) {
  const char* shapes[] = {
      "#%03d*2+sin(#%03d)-max(#%03d;3,25)/4+17   ",  // padded to 40 characters below
      "if(#%03d>10;#%03d*0.5;#%03d+1)+round(#%03d)",  "last(#%03d)+floatavg(#%03d;8)-seqmin(#%03d)",
      "(#%03d+#%03d)*(#%03d-#%03d)/(1+abs(#%03d))+2", "#%03d bitand 255+int16(#%03d) mod 7+pi()",
  };
  TTerminal term;
  TSheetModelList sheets;
  std::vector<std::unique_ptr<TIXElementBase>> owned;
  sheets.Sheets.resize(10);
  for (int i = 0; i < 1000; ++i) {
    char buf[128];
    int c = i % 200;
    std::snprintf(buf, sizeof buf, shapes[i % 5], c, (c + 1) % 200, (c + 2) % 200, (c + 3) % 200,
                  (c + 4) % 200);
    std::string f(buf);
    f.resize(40, ' ');
    auto e = std::make_unique<TIXElementBase>();
    e->InputMode = imFormula;
    e->SetSource(f);
    sheets.Sheets[static_cast<size_t>(i / 100)].Instruments.push_back(e.get());
    owned.push_back(std::move(e));
  }
  TFormulaEngine engine(term, sheets);
  for (auto _ : state)
    engine.CompileAll();
  int compiled = 0;
  for (auto& e : owned)
    compiled += e->CompiledOk;
  if (compiled != 1000) state.SkipWithError("not every formula compiled");
}
BENCHMARK(BM_CompileAll_1000)->Unit(benchmark::kMillisecond);

[[maybe_unused]] const bool Registered = [] {
  benchmark::RegisterBenchmark("BM_Eval/#5*2+sin(#7)", BM_Eval, "#5*2+sin(#7)");
  benchmark::RegisterBenchmark("BM_Calculate/#5*2+sin(#7)", BM_Calculate, "#5*2+sin(#7)");
  benchmark::RegisterBenchmark("BM_Eval/#5*2+1", BM_Eval, "#5*2+1");
  return true;
}();

}  // namespace
