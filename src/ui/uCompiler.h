// The window's side of the compile pass: compiles every instrument of every sheet,
// registers them with their channels and hands the router its triggers.
#pragma once

#include "core/uIXElementBase.h"
#include "core/uTerminal.h"

namespace tessaro {

class TCompiler {
 public:
  TCompiler(TTerminal& terminal, TInstrumentWalk& walk, TInstrumentSet& set)
      : Term(terminal), Walk(walk), Set(set) {}
  // Installs the triggers in the router.
  void Attach();
  void CompileAll();
  bool Pending() const { return FPending; }
  void MarkPending() { FPending = true; }
  // "Werte löschen": the memory functions start again.
  void ResetMemory();

 private:
  TTerminal& Term;
  TInstrumentWalk& Walk;
  TInstrumentSet& Set;
  bool FPending = true;
};

}  // namespace tessaro
