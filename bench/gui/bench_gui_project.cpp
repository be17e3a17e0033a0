// Opening a big project: file read, widgets created, first paint.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "instruments/uIXControls.h"
#include "persist/uFileHandling.h"
#include "ports/uPorts.h"
#include "ui/uMain.h"
#include "ui/uProject.h"
#include "ui/uRunSheet.h"
#include "ui/uSheet.h"

using namespace tessaro;

namespace {

std::string WriteProject(int sheets, int perSheet) {
  std::string name = "/tmp/tessaro_bench_" + std::to_string(sheets * perSheet) + ".tess";
  std::ofstream out(name);
  for (int s = 0; s < sheets; ++s) {
    out << "IXSHEET\nname \"Blatt " << s + 1 << "\"\n";
    for (int i = 0; i < perSheet; ++i) {
      out << "IXNUMERICDISP\ndisabled false\ndenom \"Wert " << i << "\"\nsource \"#"
          << (i % 999) + 1 << "*2+1\"\nunit \"V\"\nposition x=" << (i % 10) * 110
          << " y=" << (i / 10) * 55
          << "\nsize x=100 y=50\nshowName true\nshowSource false\nshowUnit true\ndecimal 2\n"
             "fixedDecimal false\nfont name=\"DejaVu Sans\" size=10 color=$00000000\n"
             "bckGndColor $00FFFFFF\nframeColor $00C0C0C0\nframewidth 2\n";
    }
  }
  return name;
}

void BM_LoadProject_1000(benchmark::State& state) {
  std::string file = WriteProject(10, 100);
  TMainForm form;
  form.InitMainWindow();
  form.resize(1200, 800);
  form.show();
  QApplication::processEvents();
  for (auto _ : state) {
    form.Project().NewProject();
    SetProjectFile(file);
    form.Project().LoadProjectFile();
    form.RunSheet()->SelectSheet(0);
    QImage shot = form.grab().toImage();  // the first paint
    benchmark::DoNotOptimize(shot.bits());
  }
  size_t n = 0;
  for (TSheet* s : form.Sheets().Sheets)
    n += s->Instruments().size();
  state.counters["instruments"] = static_cast<double>(n);
  state.counters["sheets"] = form.Sheets().SheetCount();
}
BENCHMARK(BM_LoadProject_1000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RefreshAll_200(benchmark::State& state) {
  TMainForm form;
  form.InitMainWindow();
  form.resize(1400, 900);
  form.show();
  std::vector<TIXElement*> displays;
  for (int i = 0; i < 200; ++i) {
    QWidget* w = form.AddInstrument("TIXNumericDisp");
    auto* d = static_cast<TIXElement*>(static_cast<QWidget*>(w));
    d->SetSource("#" + std::to_string(i + 1));
    d->SetLeft((i % 20) * 70);
    d->SetTop((i / 20) * 55);
    d->SetWidth(68);
    displays.push_back(d);
  }
  form.SetMode(mdRun);
  QApplication::processEvents();
  double v = 0;
  for (auto _ : state) {
    state.PauseTiming();
    v += 1.25;
    for (TIXElement* d : displays)
      d->NewValue(v);
    state.ResumeTiming();
    form.Terminal().BlinkTimerTick();            // the refresh: labels updated
    form.RunSheet()->CurrentSheet()->repaint();  // and painted, synchronously
  }
}
BENCHMARK(BM_RefreshAll_200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TPortList::Instance().RemoveAll();
  return 0;
}
