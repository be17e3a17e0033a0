// The compile pass and the two instrument triggers: every instrument's input is
// tokenised and parsed once, checked against its input mode and registered with the
// channels it refers to; a received number then evaluates the registered instruments
// (Calculate), a received text hands them the channel's text (UpdateText).
//
// Threads: CompileAll runs in the main thread and does nothing while connected, so it
// never overlaps an evaluation. Calculate and UpdateText are called by TTerminal under
// ReceiveLock (receive threads, Recalculate) and share the interpreter's state.
#pragma once

#include <string>
#include <string_view>

#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "expr/UCompiledInput.h"
#include "expr/UFunctions.h"

namespace tessaro {

// Tokenises and parses one formula. Returns ParseOk (false when tokenising failed or
// the text is empty); `message` gets the first lexer or parser message.
bool CompileFormula(std::string_view source, TCompiledInput& out, TIntList& referenced,
                    std::string* message = nullptr, bool* sourceEmpty = nullptr);

class TFormulaEngine : public TInstrumentTriggers {
 public:
  // Installs itself as the terminal's triggers and `sheets` (may be null) as the
  // window behind sheet(n). `set` (may be null) gets its refresh list rebuilt.
  TFormulaEngine(TTerminal& terminal, const TInstrumentWalk& walk, TInstrumentSet* set = nullptr,
                 TSheetSwitcher* sheets = nullptr);
  ~TFormulaEngine() override;
  TFormulaEngine(const TFormulaEngine&) = delete;
  TFormulaEngine& operator=(const TFormulaEngine&) = delete;

  // Compiles every instrument of every sheet and rebuilds the channel dependencies.
  void CompileAll();

  void Calculate(TIXElementBase& e) override;
  void UpdateText(TIXElementBase& e) override;

 private:
  void CompileInstrument(TIXElementBase& e);

  TTerminal& Term;
  const TInstrumentWalk& Walk;
  TInstrumentSet* Set;
  TSheetSwitcher* Sheets;
};

}  // namespace tessaro
