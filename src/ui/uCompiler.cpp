#include "ui/uCompiler.h"

#include "expr/uMemFunctions.h"

namespace tessaro {

TCompiler::TCompiler(TTerminal& terminal, TInstrumentWalk& walk, TInstrumentSet& set,
                     QObject* context, std::function<void(int)> selectSheet)
    : Term(terminal),
      Engine(std::make_unique<TFormulaEngine>(terminal, walk, &set, this)),
      Context(context),
      Select(std::move(selectSheet)) {}

TCompiler::~TCompiler() {
  SetSheetSwitcher(nullptr);
}

void TCompiler::CompileAll() {
  if (Term.IsConnected()) return;
  Engine->CompileAll();
  FPending = false;
}

void TCompiler::ResetMemory() {
  ResetAll();
}

void TCompiler::SheetsChanged(int current, int count) {
  Current.store(current);
  Count.store(count);
}

void TCompiler::RequestSheet(int sheet) {
  // From a receive thread: the sheet is switched by the main thread.
  QMetaObject::invokeMethod(
      Context,
      [this, sheet] {
        if (Select) Select(sheet - 1);
      },
      Qt::QueuedConnection);
}

}  // namespace tessaro
