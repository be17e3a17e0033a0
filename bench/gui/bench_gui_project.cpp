// Opening a big project: file read, widgets created, first paint.
#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "persist/uFileHandling.h"
#include "ports/uPorts.h"
#include "ui/uMain.h"
#include "ui/uProject.h"
#include "ui/uRunSheet.h"

using namespace tessaro;

namespace {

std::string WriteProject(int sheets, int perSheet) {
  std::string name = "/tmp/tessaro_bench_" + std::to_string(sheets * perSheet) + ".tess";
  std::ofstream out(name);
  for (int s = 0; s < sheets; ++s) {
    out << "IXSHEET\nname \"Blatt " << s + 1 << "\"\n";
    for (int i = 0; i < perSheet; ++i) {
      out << "IXNUMERICDISP\ndisabled false\ndenom \"Wert " << i << "\"\nsource \"#" << (i % 999) + 1
          << "*2+1\"\nunit \"V\"\nposition x=" << (i % 10) * 110 << " y=" << (i / 10) * 55
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
  for (TSheet* s : form.Sheets().Sheets) n += s->Instruments().size();
  state.counters["instruments"] = static_cast<double>(n);
  state.counters["sheets"] = form.Sheets().SheetCount();
}
BENCHMARK(BM_LoadProject_1000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
