// Arbitrary text as the input of instruments in every input mode, compiled by the
// compile pass and evaluated against arbitrary channel values. Input: the formula up to
// the first NUL byte; the bytes after it are channel values, eight per double, for the
// channels the formula refers to.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "expr/UCompile.h"

using namespace tessaro;

namespace {

struct Sheets : TSheetSwitcher {
  int SheetCount() const override { return 2; }
  int CurrentSheet() const override { return 1; }
  void RequestSheet(int) override {}
};

struct Table : TIXElementBase, TLookupTable {
  Table() {
    ElementType = etLookupTable;
    SetDenom("Lut");
  }
  std::string LookupName() const override { return GetDenom(); }
  bool LoadTable() override { return true; }
  double Lookup(double x) const override { return x / 2; }
};

struct World {
  TTerminal Term;
  TSheetModelList List;
  Sheets Switcher;
  Table Lut;
  TIXElementBase Elements[5];
  TFormulaEngine Engine{Term, List, nullptr, &Switcher};
  World() {
    const int modes[] = {1, 2, 3, 4, 1};
    List.Sheets.push_back({"1", {&Lut}});
    List.Sheets.push_back({"2", {}});
    for (int i = 0; i < 5; ++i) {
      Elements[i].InputMode = modes[i];
      List.Sheets[1].Instruments.push_back(&Elements[i]);
    }
    Elements[4].TriggerOnReceive = false;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World w;
  const char* text = reinterpret_cast<const char*>(data);
  size_t n = 0;
  while (n < size && text[n] != 0)
    ++n;
  std::string_view formula(text, n);
  for (TIXElementBase& e : w.Elements)
    e.SetSource(formula);
  w.Term.ResetValues();
  w.Engine.CompileAll();

  size_t at = n + 1;
  TIXElementBase& first = w.Elements[0];
  for (int ch : first.ReferencedChannels) {
    double v = 0;
    if (at + sizeof v <= size) {
      std::memcpy(&v, data + at, sizeof v);
      at += sizeof v;
    }
    w.Term.Channel(ch).Value = v;
  }
  // Through the receive path (numbers and texts) and directly, twice for the memory
  // functions.
  for (int round = 0; round < 2; ++round) {
    for (int ch : first.ReferencedChannels) {
      w.Term.ProcessCommand(round ? "#1SText;" : "#1F3;", nullptr, true);
      char cmd[16];
      int len = std::snprintf(cmd, sizeof cmd, "#%dF1,5;", ch);
      w.Term.ProcessCommand(std::string_view(cmd, static_cast<size_t>(len)), nullptr, true);
    }
    for (TIXElementBase& e : w.Elements)
      w.Term.Recalculate(e);
  }
  return 0;
}
