// Memory functions: formula functions with state that survives from one evaluation to
// the next (last, z, seqmin, seqmax, count, floatavg). Every occurrence in a formula gets
// its own state object, created by the lexer through the function's factory and held in
// one global instance list until the next compile pass frees them all.
//
// Threads: created and freed by the compile pass (main thread, disconnected); StoreVal
// runs under the interpreter's conditions; ResetAll runs in the main thread.
#pragma once

#include <memory>
#include <vector>

#include "expr/UFunctions.h"

namespace tessaro {

// Base of the state objects; a function token refers to it as its definition.
class TMemFunction : public TFunctionDefins {
 public:
  explicit TMemFunction(const TFunctionDefins& factory);
  // The evaluation: pop the arguments, update the state, push the result.
  virtual void StoreVal(TUPNStack& stack, int argCount) = 0;
  // Back to the initial state.
  virtual void Reset() = 0;
};

// A factory: the name the lexer matches and the creation of a new state object.
class TMemFunctionDefins : public TFunctionDefins {
 public:
  using TCreate = std::unique_ptr<TMemFunction> (*)(const TFunctionDefins& factory);
  TMemFunctionDefins(std::string_view name, bool variableArgs, int minArgs, int maxArgs,
                     TCreate create);
  // A new state object, appended to the instance list (which owns it).
  TMemFunction* Create() const;

 private:
  TCreate Make;
};

// The factories in the order the lexer tries them.
const std::vector<TMemFunctionDefins*>& MemFunctionFactories();

// Every state object created since the last FreeAllMemFunctions, in creation order.
int MemFunctionCount();
TMemFunction* MemFunctionAt(int i);
void ResetAll();
void FreeAllMemFunctions();

// The largest floatavg window; a larger one yields NaN.
constexpr int MaxFloatAvgWindow = 1000000;

}  // namespace tessaro
