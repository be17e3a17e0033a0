#include "expr/UParser.h"

#include "core/uConvert.h"

namespace tessaro {

std::string RpnToText(const TRpnProgram& program) {
  std::string s;
  for (const TRpnItem& it : program) {
    if (!s.empty()) s += ' ';
    switch (it.Op) {
      case TRpnItem::PushConst: {
        char buf[32];
        s.append(buf, static_cast<size_t>(FormatReal(it.Value, buf)));
        break;
      }
      case TRpnItem::PushChannel:
        s += '#';
        s += std::to_string(it.Arg);
        break;
      case TRpnItem::ChannelUnary:
        s += '#';
        s += std::to_string(it.Arg);
        s += ' ';
        s += it.Definition ? it.Definition->Name : std::string("?");
        s += "/1";
        break;
      case TRpnItem::Call:
      case TRpnItem::CallUnary:
        s += it.Definition ? it.Definition->Name : std::string("?");
        s += '/';
        s += std::to_string(it.Arg);
        break;
      default: {
        if (it.Op & TRpnItem::WithConst) {
          char buf[32];
          s.append(buf, static_cast<size_t>(FormatReal(it.Value, buf)));
          s += ' ';
        }
        const TOperatorDef* d = OperatorById(it.Op & ~TRpnItem::WithConst);
        s += d ? d->Name : "?";
      }
    }
  }
  return s;
}

void TParser::Fail(const char* message) {
  if (!ParseOk) return;
  ParseOk = false;
  Message = message;
  ReportError("-", message, 1);
}

int TParser::Peek() {
  if (!More()) {
    Fail("Parser: Statement incomplete");
    return 0;
  }
  return Current().Kind;
}

void TParser::Emit(size_t index) {
  const TToken& t = (*Tokens)[index];
  TRpnItem it;
  switch (t.Kind) {
    case tkInteger:
      it.Op = TRpnItem::PushConst;
      it.Value = t.Value;
      break;
    case tkReal:
      it.Op = TRpnItem::PushConst;
      it.Value = t.RealValue;
      break;
    case tkChannel:
      it.Op = TRpnItem::PushChannel;
      it.Arg = t.Channel;
      break;
    case tkOperator: {
      it.Op = static_cast<uint8_t>(t.OperatorId);
      const TOperatorDef* d = OperatorById(t.OperatorId);
      // The constant just before an operator is its right operand: fold the two.
      if (d && d->IsBinary && !Output->empty() && Output->back().Op == TRpnItem::PushConst) {
        Output->back().Op = static_cast<uint8_t>(it.Op | TRpnItem::WithConst);
        return;
      }
      break;
    }
    case tkFunction:
      it.Op = TRpnItem::Call;
      it.Arg = t.ArgCount;
      it.Definition = t.Definition;
      it.Evaluator = t.Evaluator;
      if (t.Definition && t.Definition->Unary && t.ArgCount == 1 &&
          t.Evaluator == t.Definition->Evaluator) {
        it.Op = TRpnItem::CallUnary;
        it.Unary = t.Definition->Unary;
        if (!Output->empty() && Output->back().Op == TRpnItem::PushChannel) {
          TRpnItem& prev = Output->back();
          prev.Op = TRpnItem::ChannelUnary;
          prev.Unary = it.Unary;
          prev.Definition = it.Definition;
          prev.Evaluator = it.Evaluator;
          return;
        }
      }
      break;
    default:
      return;  // strings never reach a program
  }
  Output->push_back(it);
}

void TParser::Parse(TTokenList& tokens, TRpnProgram& output) {
  Tokens = &tokens;
  Output = &output;
  output.clear();
  output.reserve(tokens.size() + 2);
  Message.clear();
  ParseOk = true;
  Position = 0;
  Expression();
}

void TParser::Expression() {
  if (Peek() == tkOperator && IsOperator(opMinus))
    UnaryMinus();
  else if (ParseOk)
    Operand();
  if (!ParseOk) return;
  while (More()) {
    if (Peek() == tkOperator) {
      if (IsOperator(opBracketClose) || IsOperator(opSemicolon)) return;
      Operator();
      if (!ParseOk) return;
    } else {
      Fail("Unclassifiable statement, expected operator");
      return;
    }
  }
}

void TParser::Operator() {
  const size_t index = Position;
  const TOperatorDef* def = OperatorById(Current().OperatorId);
  if (!def || !def->IsBinary) {
    Fail("Unclassifiable statement, missing or wrong operator");
    return;
  }
  const int priority = def->Priority;
  ++Position;
  Operand();
  if (!ParseOk) return;
  while (More()) {
    if (Peek() != tkOperator) {
      Fail("Unclassifiable statement, expected operator");
      return;
    }
    const TOperatorDef* next = OperatorById(Current().OperatorId);
    if (!next || next->Priority <= priority) break;
    Operator();
    if (!ParseOk) return;
  }
  Emit(index);
}

void TParser::Operand() {
  switch (Peek()) {
    case tkInteger:
    case tkReal:
    case tkChannel:
      Emit(Position);
      ++Position;
      return;
    case tkFunction:
      Function();
      return;
    case tkOperator:
      if (IsOperator(opBracketOpen)) {
        BracketL();
        return;
      }
      break;
    default:
      if (!ParseOk) return;
  }
  Fail("Unclassifiable statement, expected operand");
}

void TParser::BracketL() {
  ++Position;
  Expression();
  if (!ParseOk) return;
  // The closing bracket must be the token that ended the expression; a ")" of a deeper
  // bracket read earlier does not close this one.
  if (More() && IsOperator(opBracketClose)) {
    ++Position;
    return;
  }
  Fail("Closing bracket expected");
}

void TParser::Function() {
  const size_t index = Position;
  TFunctionDefins* def = Current().Definition;
  ++Position;
  int count = 0;
  if (Peek() != tkOperator || !IsOperator(opBracketOpen)) {
    Fail("Parser: Expected '(' ");
    return;
  }
  ++Position;
  if (Peek() == tkOperator && IsOperator(opBracketClose)) {
    // no arguments
  } else {
    if (!ParseOk) return;
    Expression();
    if (!ParseOk) return;
    ++count;
    for (;;) {
      if (Peek() != tkOperator) {
        Fail("Unclassifiable statement, expected operator");
        return;
      }
      if (IsOperator(opSemicolon)) {
        ++Position;
        Expression();
        if (!ParseOk) return;
        ++count;
      } else if (IsOperator(opBracketClose)) {
        break;
      } else {
        Fail("Unclassifiable statement, expected operator");
        return;
      }
    }
  }
  if (!ParseOk) return;
  ++Position;
  if (!def || !def->AcceptsArgCount(count)) {
    Fail("Parser: Wrong number of arguments!");
    return;
  }
  (*Tokens)[index].ArgCount = count;
  Emit(index);
}

void TParser::UnaryMinus() {
  // -x becomes -1 * x, binding tighter than every binary operator.
  TToken minusOne;
  minusOne.Kind = tkInteger;
  minusOne.Value = -1;
  Current().OperatorId = opMultiply;
  Tokens->insert(Tokens->begin() + static_cast<std::ptrdiff_t>(Position), minusOne);
  Emit(Position);
  const size_t multiply = Position + 1;
  Position += 2;
  Operand();
  if (!ParseOk) return;
  Emit(multiply);
}

}  // namespace tessaro
