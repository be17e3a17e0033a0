#include "expr/UCompile.h"

#include "core/uNotifications.h"
#include "expr/UInterpreter.h"
#include "expr/uMemFunctions.h"

namespace tessaro {

bool CompileFormula(std::string_view source, TCompiledInput& out, TIntList& referenced,
                    std::string* message, bool* sourceEmpty) {
  TLexer lexer;
  lexer.Tokenise(source, out.Tokens, referenced);
  out.Rpn.clear();
  if (sourceEmpty) *sourceEmpty = lexer.SourceEmpty;
  if (!lexer.TokeniseOk) {
    if (message) *message = lexer.Message;
    return false;
  }
  TParser parser;
  parser.Parse(out.Tokens, out.Rpn);
  if (message) *message = parser.Message;
  return parser.ParseOk;
}

TFormulaEngine::TFormulaEngine(TTerminal& terminal, const TInstrumentWalk& walk,
                               TInstrumentSet* set, TSheetSwitcher* sheets)
    : Term(terminal), Walk(walk), Set(set), Sheets(sheets) {
  Term.SetTriggers(this);
  if (Sheets) SetSheetSwitcher(Sheets);
}

TFormulaEngine::~TFormulaEngine() {
  if (Term.GetTriggers() == this) Term.SetTriggers(nullptr);
  if (Sheets) SetSheetSwitcher(nullptr);
}

void TFormulaEngine::CompileAll() {
  if (Term.IsConnected()) return;
  Notifications.ClearAll();
  Term.ClearDependents();
  Term.ClearSecondaryDependents();
  // Every token list refers to these objects; each one still used is rebuilt below.
  FreeAllMemFunctions();
  RegisterLookupFunctions(Walk);
  Walk.ForEachInstrument([this](TIXElementBase& e) { CompileInstrument(e); });
  if (Set) Set->RebuildRefreshList();
  ResetAll();
}

namespace {
// Exactly one token, and that a reference to one channel.
bool IsLoneChannel(const TIXElementBase& e) {
  return e.Compiled && e.Compiled->Tokens.size() == 1 && e.ReferencedChannels.Count() == 1 &&
         e.Compiled->Tokens[0].Kind == tkChannel;
}
}  // namespace

void TFormulaEngine::CompileInstrument(TIXElementBase& e) {
  if (e.InputMode == imNone) return;
  if (e.GetDisabled()) {
    // Its old program may refer to memory functions that are gone now: drop it, so that
    // nothing (Recalculate of its own timer) can run it.
    e.CompiledOk = false;
    if (e.Compiled) {
      FreeCompiledInput(e.Compiled);
      e.Compiled = nullptr;
    }
    return;
  }
  e.BeforeCompile();
  e.OutputChannel = 0;
  TCompiledInput& c = CompiledInputOf(e);
  c.Rpn.clear();
  TLexer lexer;
  lexer.Tokenise(e.GetSource(), c.Tokens, e.ReferencedChannels);
  e.CompiledOk = lexer.TokeniseOk;
  e.SourceEmpty = lexer.SourceEmpty;
  auto registerAll = [&] {
    if (!e.TriggerOnReceive) return;
    for (int ch : e.ReferencedChannels)
      Term.AddDependent(ch, &e);
  };
  switch (e.InputMode) {
    case imFormula:
      if (e.CompiledOk) {
        TParser parser;
        parser.Parse(c.Tokens, c.Rpn);
        e.CompiledOk = parser.ParseOk;
      }
      if (e.CompiledOk) registerAll();
      break;
    case imText:
      if (e.CompiledOk && !IsLoneChannel(e)) e.CompiledOk = false;
      if (e.CompiledOk) registerAll();
      break;
    case imChannelOrFormula:
      if (e.CompiledOk) {
        TParser parser;
        parser.Parse(c.Tokens, c.Rpn);
        e.CompiledOk = parser.ParseOk;
      }
      if (e.CompiledOk) {
        registerAll();
        e.IsFormula = !IsLoneChannel(e);
      }
      break;
    case imOutput:
      if (e.CompiledOk && !IsLoneChannel(e)) e.CompiledOk = false;
      if (e.CompiledOk) {
        e.OutputChannel = e.ReferencedChannels[0];
        Term.AddSecondaryDependent(e.OutputChannel, &e);
      }
      e.ReferencedChannels.Clear();
      break;
    default:
      break;
  }
}

void TFormulaEngine::Calculate(TIXElementBase& e) {
  if (!e.CompiledOk || (e.InputMode != imFormula && e.InputMode != imChannelOrFormula) ||
      !e.Compiled)
    return;
  e.NewValue(Interpret(e.Compiled->Rpn, &Term, e.ReadValue()));
}

void TFormulaEngine::UpdateText(TIXElementBase& e) {
  if (!e.CompiledOk || e.ReferencedChannels.Count() == 0) return;
  if (e.InputMode == imText || (e.InputMode == imChannelOrFormula && !e.IsFormula))
    e.NewText(Term.Channel(e.ReferencedChannels[0]).Text);
}

}  // namespace tessaro
