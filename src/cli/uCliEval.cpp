// tessaro-cli eval FORMULA [COMMAND ...]: the formula as the input of one numeric
// instrument on a one-sheet project, fed with commands as if they had been received.
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/uCliCommands.h"
#include "core/uConvert.h"
#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "core/uTrace.h"
#include "expr/UCompile.h"

namespace tessaro::cli {
namespace {

struct TOneSheet : TSheetSwitcher {
  int SheetCount() const override { return 1; }
  int CurrentSheet() const override { return 1; }
  void RequestSheet(int) override {}
};

void FirstLine(std::string_view text, void* context) {
  auto* first = static_cast<std::string*>(context);
  if (first->empty()) *first = text;
}

void PrintValue(double v) {
  char buf[32];
  int n = FormatReal(v, buf, '.');
  std::printf("%.*s\n", n, buf);
}

int RunEval(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: tessaro-cli eval FORMULA [COMMAND ...]\n", stderr);
    return 2;
  }
  TTerminal term;
  TIXElementBase display;
  display.InputMode = imFormula;
  display.SetSource(argv[1]);
  TSheetModelList sheets;
  sheets.Sheets.push_back({"1", {&display}});
  TInstrumentSet set(&sheets);
  TOneSheet one;
  TFormulaEngine engine(term, sheets, &set, &one);

  std::string message;
  SetTraceHook(FirstLine, &message);
  engine.CompileAll();
  SetTraceHook(nullptr, nullptr);
  if (!display.CompiledOk) {
    if (!display.SourceEmpty) std::fprintf(stderr, "%s\n", message.c_str());
    return 2;
  }

  if (argc == 2) {
    term.Recalculate(display);
    PrintValue(display.ReadValue());
    return 0;
  }
  for (int i = 2; i < argc; ++i) {
    std::string_view cmd = argv[i];
    bool notify = true;
    if (!cmd.empty() && cmd[0] == '/') {
      notify = false;
      cmd.remove_prefix(1);
    }
    display.Changed.store(false);
    term.ProcessCommand(cmd, nullptr, notify);
    if (display.Changed.load() && display.IsNumeric.load()) PrintValue(display.ReadValue());
  }
  return 0;
}

}  // namespace

extern const TCliCommand EvalCommand = {"eval", "tessaro-cli eval FORMULA [COMMAND ...]", &RunEval};

}  // namespace tessaro::cli
