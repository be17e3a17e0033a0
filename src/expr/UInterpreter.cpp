#include "expr/UInterpreter.h"

#include <cmath>
#include <string>

#include "core/uTerminal.h"

namespace tessaro {

constinit TUPNStack UPNStack{};
double AnsValue = 0;
double Result = 0;

namespace {

double Mod(double l, double r) {
  long long a, b;
  if (std::fabs(r) <= 1e-10 || !TruncToInt64(l, a) || !TruncToInt64(r, b) || b == 0) {
    // A divisor that truncates to 0 (|r| < 1) divides by zero as well.
    if (!std::isnan(l) && !std::isnan(r)) Trace("Runtime error: Divide by zero");
    return ErrorNaN();
  }
  if (b == -1) return 0.0;  // avoids the overflow of INT64_MIN % -1
  return static_cast<double>(a % b);
}

double Bits(double l, double r, int op) {
  long long a, b;
  if (!TruncToInt64(l, a) || !TruncToInt64(r, b)) return ErrorNaN();
  switch (op) {
    case opBitAnd:
      return static_cast<double>(a & b);
    case opBitOr:
      return static_cast<double>(a | b);
    default:
      return static_cast<double>(a ^ b);
  }
}

double Divide(double l, double r) {
  if (r == 0) {
    Trace("Runtime error: Divide by zero");
    return ErrorNaN();
  }
  return l / r;
}

[[gnu::noinline]] void UnknownOperator(int id) {
  const TOperatorDef* d = OperatorById(id);
  std::string s = "Unknown Operator ";
  s += d ? d->Name : std::to_string(id);
  Trace(s);
}

[[gnu::noinline]] void UnknownFunction(const TFunctionDefins* d) {
  std::string s = "Unknown Function ";
  if (d) s += d->Name;
  Trace(s);
}

}  // namespace

namespace {

constexpr int Folded(int op) {
  return op | TRpnItem::WithConst;
}

[[gnu::noinline, gnu::cold]] void Overflow() {
  Trace("Overflow of UPNStack, max 1000 Items");
}

double Binary(int op, double l, double r) {
  switch (op) {
    case opPlus:
      return l + r;
    case opMinus:
      return l - r;
    case opMultiply:
      return l * r;
    case opDivide:
      return Divide(l, r);
    case opPower:
      return PowerOf(l, r);
    case opMod:
      return Mod(l, r);
    case opEqual:
      return l == r ? 1.0 : 0.0;
    case opNotEqual:
      return l != r ? 1.0 : 0.0;
    case opLess:
      return l < r ? 1.0 : 0.0;
    case opLessEqual:
      return l <= r ? 1.0 : 0.0;
    case opGreater:
      return l > r ? 1.0 : 0.0;
    case opGreaterEqual:
      return l >= r ? 1.0 : 0.0;
    case opAnd:
      return TrueAnd(l) && TrueAnd(r) ? 1.0 : 0.0;
    case opOr:
      return TrueOr(l) || TrueOr(r) ? 1.0 : 0.0;
    case opXor:
      return TrueAnd(l) != TrueAnd(r) ? 1.0 : 0.0;
    default:
      return Bits(l, r, op);
  }
}

bool IsComputing(int op) {
  const TOperatorDef* d = OperatorById(op);
  return d && d->IsBinary;
}

}  // namespace

double Interpret(const TRpnProgram& program, const TTerminal* channels, double ans) {
  // The top of the stack lives in a register (`top`, valid while n > 0) and the count in
  // another; both go back to the stack object only around the steps that work on the
  // stack themselves. Slot 0 is never used, so spilling into it is harmless.
  TUPNStack& s = UPNStack;
  double* const data = s.Data;
  int n = 0;
  double top = 0;
  AnsValue = ans;
  for (const TRpnItem& it : program) {
    const int op = it.Op;
    switch (op) {
      case TRpnItem::PushConst:
        if (n + 1 >= TUPNStack::Limit) [[unlikely]] {
          Overflow();
        } else {
          data[n] = top;
          ++n;
          top = it.Value;
        }
        continue;
      case TRpnItem::PushChannel:
        if (n + 1 >= TUPNStack::Limit) [[unlikely]] {
          Overflow();
        } else {
          data[n] = top;
          ++n;
          top = channels ? channels->ChannelValue(it.Arg) : 0.0;
        }
        continue;
      case TRpnItem::ChannelUnary:
        if (n + 1 >= TUPNStack::Limit) [[unlikely]] {
          Overflow();
        } else {
          data[n] = top;
          ++n;
          top = it.Unary(channels ? channels->ChannelValue(it.Arg) : 0.0);
        }
        continue;
      case TRpnItem::CallUnary:
        if (n >= 1) [[likely]] {
          top = it.Unary(top);
          continue;
        }
        break;  // an empty stack: the general path reports the pop
      case opPlus:
        if (n >= 2) [[likely]] {
          top = data[--n] + top;
          continue;
        }
        break;
      case opMinus:
        if (n >= 2) [[likely]] {
          top = data[--n] - top;
          continue;
        }
        break;
      case opMultiply:
        if (n >= 2) [[likely]] {
          top = data[--n] * top;
          continue;
        }
        break;
      case Folded(opPlus):
        if (n >= 1) [[likely]] {
          top += it.Value;
          continue;
        }
        break;
      case Folded(opMinus):
        if (n >= 1) [[likely]] {
          top -= it.Value;
          continue;
        }
        break;
      case Folded(opMultiply):
        if (n >= 1) [[likely]] {
          top *= it.Value;
          continue;
        }
        break;
      default:
        if (op & TRpnItem::WithConst) {
          if (n >= 1) {
            top = Binary(op & ~TRpnItem::WithConst, top, it.Value);
            continue;
          }
        } else if (n >= 2 && IsComputing(op)) {
          --n;
          top = Binary(op, data[n], top);
          continue;
        }
        break;
    }
    // Everything else works on the stack object.
    data[n] = top;
    s.Count = n;
    if (op == TRpnItem::Call || op == TRpnItem::CallUnary) {
      if (it.Evaluator)
        it.Evaluator(*it.Definition, s, it.Arg);
      else
        UnknownFunction(it.Definition);
    } else if (op & TRpnItem::WithConst) {
      s.Push(it.Value);
      double r = s.Pop();
      double l = s.Pop();
      s.Push(Binary(op & ~TRpnItem::WithConst, l, r));
    } else if (IsComputing(op)) {
      double r = s.Pop();
      double l = s.Pop();
      s.Push(Binary(op, l, r));
    } else {
      UnknownOperator(op);
    }
    n = s.Count;
    top = data[n];
  }
  if (n >= 1) [[likely]] {
    s.Count = n - 1;
    Result = top;
  } else {
    s.Count = 0;
    Result = s.Pop();  // reports the empty stack, yields 0
  }
  return Result;
}

}  // namespace tessaro
