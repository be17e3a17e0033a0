#include "core/uIXElementBase.h"

namespace tessaro {

// Placeholder until the expression engine defines the compiled form of an input.
struct TCompiledInput {};

void FreeCompiledInput(TCompiledInput* c) { delete c; }

}  // namespace tessaro
