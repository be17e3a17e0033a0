// The window's side of the compile pass: owns the formula engine over the window's
// sheets and answers sheet(n), whose requests come from receive threads and are carried
// out in the main thread.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "expr/UCompile.h"
#include "expr/UFunctions.h"

namespace tessaro {

class TCompiler : public TSheetSwitcher {
 public:
  // `selectSheet` (0-based) runs in the main thread; `context` guards the queued call.
  TCompiler(TTerminal& terminal, TInstrumentWalk& walk, TInstrumentSet& set, QObject* context,
            std::function<void(int)> selectSheet);
  ~TCompiler() override;

  void CompileAll();
  bool Pending() const { return FPending; }
  void MarkPending() { FPending = true; }
  // "Werte löschen": the memory functions start again.
  void ResetMemory();
  // The window reports sheet changes here (1-based current, count).
  void SheetsChanged(int current, int count);

  int SheetCount() const override { return Count.load(); }
  int CurrentSheet() const override { return Current.load(); }
  void RequestSheet(int sheet) override;

 private:
  TTerminal& Term;
  std::unique_ptr<TFormulaEngine> Engine;
  QObject* Context;
  std::function<void(int)> Select;
  std::atomic<int> Current{1};
  std::atomic<int> Count{1};
  bool FPending = true;
};

}  // namespace tessaro
