// The compiled form of an instrument's input: its token list and reverse Polish program.
#pragma once

#include "core/uIXElementBase.h"
#include "expr/UParser.h"

namespace tessaro {

struct TCompiledInput {
  TTokenList Tokens;
  TRpnProgram Rpn;
};

// The instrument's compiled input, created empty on first use.
TCompiledInput& CompiledInputOf(TIXElementBase& e);

}  // namespace tessaro
