// Project text loading: 10,000 instrument sections of 15 entries each (about 5 MB).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/uConvert.h"
#include "persist/uFileLoader.h"

using namespace tessaro;

namespace {

struct TGauge {
  bool Disabled = false, ShowName = true;
  std::string Denom, Source, Unit;
  TIntXY Position, Size;
  int Decimal = 2, FrameWidth = 1, Mode = 0;
  double Gain = 1, Offset = 0;
  TFontData Font;
  uint32_t Back = 0, Frame = 0;
};

std::vector<std::unique_ptr<TGauge>>* gTargets = nullptr;

TFLSet& GaugeSection() {
  static TFLSet set("IXBENCHGAUGE", [] {
    gTargets->push_back(std::make_unique<TGauge>());
    return static_cast<void*>(gTargets->back().get());
  });
  static const bool bound = [] {
    TFLBinder<TGauge> b(set);
    b.BindField<TFLEBool, &TGauge::Disabled>("disabled");
    b.BindField<TFLEString, &TGauge::Denom>("denom");
    b.BindField<TFLEString, &TGauge::Source>("source");
    b.BindField<TFLEString, &TGauge::Unit>("unit");
    b.BindField<TFLEIntXY, &TGauge::Position>("position");
    b.BindField<TFLEIntXY, &TGauge::Size>("size");
    b.BindField<TFLEBool, &TGauge::ShowName>("showName");
    b.BindField<TFLEInteger, &TGauge::Decimal>("decimal");
    b.BindField<TFLEReal, &TGauge::Gain>("gain");
    b.BindField<TFLEReal, &TGauge::Offset>("offset");
    b.BindField<TFLEFont, &TGauge::Font>("font");
    b.AddEnum(
        "mode", {"stretch", "fixWidth", "fixHeight", "orig"}, [](TGauge& g) { return g.Mode; },
        [](TGauge& g, int m) { g.Mode = m; });
    b.BindField<TFLEColor, &TGauge::Back>("bckGndColor");
    b.BindField<TFLEColor, &TGauge::Frame>("frameColor");
    b.BindField<TFLEInteger, &TGauge::FrameWidth>("framewidth");
    return true;
  }();
  (void)bound;
  return set;
}

std::string ProjectText() {
  std::string t;
  t.reserve(6 << 20);
  for (int i = 0; i < 10000; ++i) {
    std::string n = std::to_string(i);
    t += "IXBENCHGAUGE\n";
    t += "disabled false\n";
    t += "denom \"Pressure sensor " + n +
         " of the main pump station, north wing, second circuit, main hall\"\n";
    t += "source \"(#" + std::to_string(i % 1000) +
         "*2,5+#7-sin(#8))/4+abs(#9)+sqrt(#10*#10+#11*#11)\"\n";
    t += "unit \"bar (gauge, relative to ambient pressure, corrected for altitude and "
         "temperature)\"\n";
    t += "position x=" + std::to_string(i % 900) + " y=" + std::to_string(i % 700) + "\n";
    t += "size x=200 y=50\n";
    t += "showName true\n";
    t += "decimal " + std::to_string(i % 7) + "\n";
    t += "gain " + RealToFileText(1.25 + i) + "\n";
    t += "offset " + RealToFileText(-0.001 * i) + "\n";
    t += "font name=\"DejaVu Sans\" size=16 color=$00000000 style=bold,underline\n";
    t += "mode fixHeight\n";
    t += "bckGndColor $00FFFFFF\n";
    t += "frameColor $00808080\n";
    t += "framewidth 4\n";
  }
  return t;
}

void BM_LoadProjectText(benchmark::State& state) {
  GaugeSection();
  const std::string text = ProjectText();
  std::vector<std::unique_ptr<TGauge>> targets;
  gTargets = &targets;
  TFileLoad file;
  for (auto _ : state) {
    state.PauseTiming();
    targets.clear();
    targets.reserve(10000);
    state.ResumeTiming();
    file.LoadProjectText(nullptr, text);
    benchmark::DoNotOptimize(targets.data());
  }
  if (targets.size() != 10000 || targets.back()->Decimal != 9999 % 7)
    state.SkipWithError("bad load");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  gTargets = nullptr;
}
BENCHMARK(BM_LoadProjectText)->Unit(benchmark::kMillisecond);

}  // namespace
