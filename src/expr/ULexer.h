// The lexer: turns a formula text into tokens and records every channel it refers to.
// It classifies text only; nothing is evaluated. Main thread (compile pass).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/uLists.h"
#include "expr/UFunctions.h"

namespace tessaro {

enum TTokenKind : int32_t {
  tkInteger = 1,
  tkReal = 2,
  tkString = 3,
  tkOperator = 4,
  tkFunction = 5,
  tkChannel = 7,
};

// Operator ids (index into the operator table).
enum TOperatorId : int32_t {
  opEqual = 1,
  opAssign = 2,
  opBracketOpen = 3,
  opBracketClose = 4,
  opComma = 5,
  opSemicolon = 6,
  opNotEqual = 7,
  opLessEqual = 8,
  opLess = 9,
  opGreaterEqual = 10,
  opGreater = 11,
  opPlus = 12,
  opMinus = 13,
  opMultiply = 14,
  opDivide = 15,
  opPower = 16,
  opMod = 19,
  opAnd = 20,
  opOr = 21,
  opXor = 22,
  opBitAnd = 23,
  opBitOr = 24,
  opBitXor = 25,
  opLastId = 25,
};

struct TOperatorDef {
  int32_t Id;
  const char* Name;
  int32_t Priority;
  bool IsBinary;  // the computing operators; brackets and separators are not
};

// The operator table in the order the lexer tries it (first match wins).
const std::vector<TOperatorDef>& OperatorTable();
// Null for an id the table does not hold.
const TOperatorDef* OperatorById(int id);

// One token. A single record for all kinds (stored by value in the token list); the
// fields that belong to other kinds stay at their defaults.
struct TToken {
  int32_t Kind = 0;
  int32_t Value = 0;                      // tkInteger
  double RealValue = 0;                   // tkReal
  std::string Text;                       // tkString
  int32_t OperatorId = 0;                 // tkOperator
  int32_t Channel = 0;                    // tkChannel
  TFunctionDefins* Definition = nullptr;  // tkFunction
  TFunctionRoutine Evaluator = nullptr;   // tkFunction: the definition's routine
  int32_t ArgCount = 0;                   // tkFunction: set by the parser
};

using TTokenList = std::vector<TToken>;

// Writes an error of the lexer or the parser to the trace: the message, the text before
// the 1-based position and the text from the position on, one line each.
void ReportError(std::string_view source, std::string_view message, size_t position);

class TLexer {
 public:
  // Fills `tokens` and `referenced` (both emptied first) from `source` (cut to 255
  // characters). TokeniseOk: the whole text was classified; SourceEmpty: nothing but
  // trailing blanks. On an error the tokens read so far stay and the trace gets the
  // message; Message keeps it.
  void Tokenise(std::string_view source, TTokenList& tokens, TIntList& referenced);

  bool TokeniseOk = false;
  bool SourceEmpty = false;
  std::string Message;

 private:
  bool Fail(std::string_view message, size_t position);
  std::string_view Source;
};

}  // namespace tessaro
