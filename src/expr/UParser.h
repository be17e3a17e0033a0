// The parser: reads the token list of one formula and writes its reverse Polish
// program (operands before the operator or function that consumes them). Recursive
// descent with priority climbing for the binary operators. Main thread (compile pass).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "expr/ULexer.h"

namespace tessaro {

// One step of a compiled program. Operators carry their operator id as Op; the other
// steps use the codes below. Everything the interpreter needs is stored in place, so
// evaluation reads no token and looks up no name. A constant directly followed by an
// operator is one step, the operator with WithConst set and the constant in Value.
struct TRpnItem {
  // ChannelUnary: a one-argument function straight on a channel ("sin(#7)"), one step.
  enum : uint8_t {
    PushConst = 30,
    PushChannel = 31,
    Call = 32,
    CallUnary = 33,
    ChannelUnary = 34,
    WithConst = 0x80
  };
  uint8_t Op = 0;
  int32_t Arg = 0;  // channel number, or argument count of a call
  double Value = 0;
  TFunctionDefins* Definition = nullptr;
  TFunctionRoutine Evaluator = nullptr;
  TUnaryRoutine Unary = nullptr;  // CallUnary
};

using TRpnProgram = std::vector<TRpnItem>;

// The program in words, for tests and the trace: "#5 2 * #7 sin/1 +".
std::string RpnToText(const TRpnProgram& program);

class TParser {
 public:
  // Parses one expression from `tokens` into `output` (emptied first). A unary minus
  // inserts a -1 integer token into `tokens`. ParseOk and Message tell the outcome;
  // the first error goes to the trace.
  void Parse(TTokenList& tokens, TRpnProgram& output);

  bool ParseOk = false;
  std::string Message;

 private:
  bool More() const { return Position < Tokens->size(); }
  int Peek();
  TToken& Current() { return (*Tokens)[Position]; }
  bool IsOperator(int id) { return Current().Kind == tkOperator && Current().OperatorId == id; }
  void Fail(const char* message);
  void Emit(size_t index);
  void Expression();
  void Operator();
  void Operand();
  void BracketL();
  void Function();
  void UnaryMinus();

  TTokenList* Tokens = nullptr;
  TRpnProgram* Output = nullptr;
  size_t Position = 0;
};

}  // namespace tessaro
