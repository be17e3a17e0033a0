#include "ui/uCompiler.h"

namespace tessaro {

void TCompiler::Attach() {}

void TCompiler::CompileAll() {
  if (Term.IsConnected()) return;
  Set.RebuildRefreshList();
  FPending = false;
}

void TCompiler::ResetMemory() {}

}  // namespace tessaro
