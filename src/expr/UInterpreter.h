// The interpreter: runs a reverse Polish program on the one evaluation stack of the
// program and leaves one number.
//
// Threads: the stack, AnsValue and Result are shared by every evaluation and take no
// lock of their own. Evaluations run under TTerminal's ReceiveLock (receive threads,
// instrument timers through Recalculate) or in the main thread while disconnected, so
// no two overlap. Evaluation never allocates.
#pragma once

#include "core/uTrace.h"
#include "expr/UParser.h"

namespace tessaro {

class TTerminal;

// The evaluation stack: slots 1..999 hold values, the top in the slot numbered Count.
class TUPNStack {
 public:
  static constexpr int Slots = 1001;
  static constexpr int Limit = 1000;

  void Clear() { Count = 0; }
  void Push(double v) {
    if (Count + 1 >= Limit) {
      // A formula of 255 characters never gets here; the value is dropped.
      Trace("Overflow of UPNStack, max 1000 Items");
      return;
    }
    Data[++Count] = v;
  }
  double Pop() {
    if (Count == 0) {
      Trace("Cant perform pop operation from empty UPNstack!");
      return 0.0;
    }
    return Data[Count--];
  }
  int Size() const { return Count; }
  double Top() const { return Data[Count]; }

 private:
  friend double Interpret(const TRpnProgram&, const TTerminal*, double);
  int Count = 0;
  double Data[Slots] = {};
};

// The one stack of the program.
extern TUPNStack UPNStack;
// The instrument's value before the evaluation (what ans yields) and the last result.
extern double AnsValue;
extern double Result;

// Runs `program` against the channel table of `channels` (null: every channel reads
// 0) with `ans` as AnsValue; returns Result. An empty program yields 0.
double Interpret(const TRpnProgram& program, const TTerminal* channels, double ans = 0.0);

// Truth as "and", "xor" and not count it (NaN counts as true) and as "or" counts it.
inline bool TrueAnd(double x) {
  return !(x < 0.000001);
}
inline bool TrueOr(double x) {
  return x >= 0.000001;
}

}  // namespace tessaro
