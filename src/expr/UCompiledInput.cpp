#include "expr/UCompiledInput.h"

namespace tessaro {

TCompiledInput& CompiledInputOf(TIXElementBase& e) {
  if (!e.Compiled) e.Compiled = new TCompiledInput;
  return *e.Compiled;
}

void FreeCompiledInput(TCompiledInput* c) {
  delete c;
}

}  // namespace tessaro
