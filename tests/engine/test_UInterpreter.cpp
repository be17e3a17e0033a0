#include "expr/UInterpreter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/uTerminal.h"
#include "expr/UCompile.h"
#include "expr/uMemFunctions.h"
#include "trace_lines.h"

using namespace tessaro;

namespace {

// A compiled formula over a channel table of its own.
struct Formula {
  TTerminal Term;
  TCompiledInput Input;
  TIntList Channels;
  explicit Formula(std::string_view text) {
    std::string message;
    EXPECT_TRUE(CompileFormula(text, Input, Channels, &message)) << text << ": " << message;
  }
  double operator()(double ans = 0) { return Interpret(Input.Rpn, &Term, ans); }
};

double Eval(std::string_view text) {
  return Formula(text)();
}

// Compares like the results are meant: NaN equals NaN, everything else within 1e-12.
void ExpectValue(double got, double want, std::string_view text) {
  if (std::isnan(want))
    EXPECT_TRUE(std::isnan(got)) << text << " gave " << got;
  else
    EXPECT_NEAR(got, want, 1e-12 * (1 + std::fabs(want))) << text;
}

const double NaN = std::nan("");

}  // namespace

TEST(Interpreter, Operators) {
  struct Case {
    const char* Text;
    double Value;
  } cases[] = {
      {"1+2*3", 7},
      {"(1+2)*3", 9},
      {"2^3^2", 64},
      {"10-4-3", 3},
      {"-2^2", 4},
      {"-#1+5", 5},
      {"7/2", 3.5},
      {"7/0", NaN},
      {"7/0.0000001", 7e7},
      {"7 mod 0.00000000001", NaN},
      {"7 mod 0.5", NaN},  // the divisor truncates to 0
      {"-7 mod 3", -1},
      {"7.9 mod 3", 1},
      {"7 mod (-3)", 1},
      {"6 bitand 3", 2},
      {"5.9 bitor 0", 5},
      {"6 bitxor 3", 5},
      {"-1 bitand 255", 255},
      {"2^0.5", std::sqrt(2.0)},
      {"0^0", 1},
      {"2^(-1)", 0.5},
      {"2^(-2)", 0.25},
      {"0^3", 0},
      {"(-8)^(1/3)", NaN},
      {"(-2)^3", -8},
      {"0.0000005 and 1", 0},
      {"0.000001 and 1", 1},
      {"0.000002 and 1", 1},
      {"-5 or 0", 0},
      {"0.000001 or 0", 1},
      {"1 xor 0", 1},
      {"1 xor 1", 0},
      {"1==1", 1},
      {"1/=1", 0},
      {"1<2", 1},
      {"2<=2", 1},
      {"3>2", 1},
      {"2>=3", 0},
      {"#1<#2 and #3>#4", 0},
      {"1+2)+5", 3},
      {"4;5", 4},
      {"#7", 0},  // channels start at 0
  };
  for (const Case& c : cases)
    ExpectValue(Eval(c.Text), c.Value, c.Text);
}

TEST(Interpreter, NaNInComparisonsAndLogic) {
  // NaN from 0/0 (inside an expression, so no message matters here).
  struct Case {
    const char* Text;
    double Value;
  } cases[] = {
      {"(0/0)==(0/0)", 0},  {"(0/0)/=1", 1},        {"(0/0)<1", 0},     {"(0/0)>=1", 0},
      {"(0/0) and 1", 1},   {"(0/0) or 0", 0},      {"(0/0) xor 0", 1}, {"(0/0)+1", NaN},
      {"(0/0) mod 2", NaN}, {"(0/0) bitor 1", NaN},
  };
  for (const Case& c : cases)
    ExpectValue(Eval(c.Text), c.Value, c.Text);
}

TEST(Interpreter, ReadsChannelsAtEvaluationTime) {
  Formula f("#5*2+#7");
  f.Term.Channel(5).Value = 3;
  f.Term.Channel(7).Value = 1.5;
  EXPECT_EQ(f(), 7.5);
  f.Term.Channel(7).Value = -1;
  EXPECT_EQ(f(), 5);
  EXPECT_EQ(Interpret(f.Input.Rpn, nullptr), 0);  // no channel table: every channel is 0
}

TEST(Interpreter, RuntimeMessages) {
  TraceLines trace;
  EXPECT_TRUE(std::isnan(Eval("7/0")));
  EXPECT_TRUE(std::isnan(Eval("7 mod 0")));
  EXPECT_EQ(trace.Lines, (std::vector<std::string>{"Runtime error: Divide by zero",
                                                   "Runtime error: Divide by zero"}));
  trace.Lines.clear();
  EXPECT_EQ(Interpret(TRpnProgram{}, nullptr), 0);  // an empty program yields 0
  EXPECT_EQ(trace.Lines,
            (std::vector<std::string>{"Cant perform pop operation from empty UPNstack!"}));
}

TEST(Interpreter, UnderfedOperatorsAndUnknownSteps) {
  TraceLines trace;
  TRpnItem plus;
  plus.Op = opPlus;
  TRpnItem five;
  five.Op = TRpnItem::PushConst;
  five.Value = 5;
  EXPECT_EQ(Interpret({five, plus}, nullptr), 5);  // the missing left operand pops as 0
  EXPECT_EQ(trace.Lines,
            (std::vector<std::string>{"Cant perform pop operation from empty UPNstack!"}));
  trace.Lines.clear();
  TRpnItem bracket;
  bracket.Op = opBracketOpen;
  EXPECT_EQ(Interpret({five, five, bracket}, nullptr), 5);
  TRpnItem call;
  call.Op = TRpnItem::Call;
  EXPECT_EQ(Interpret({five, call}, nullptr), 5);
  EXPECT_EQ(trace.Lines, (std::vector<std::string>{"Unknown Operator (", "Unknown Function "}));
}

TEST(Interpreter, StackHoldsAtMost999Values) {
  TraceLines trace;
  UPNStack.Clear();
  for (int i = 1; i <= 1000; ++i)
    UPNStack.Push(i);
  EXPECT_EQ(UPNStack.Size(), 999);
  EXPECT_EQ(UPNStack.Top(), 999);
  EXPECT_EQ(trace.Lines, (std::vector<std::string>{"Overflow of UPNStack, max 1000 Items"}));
  UPNStack.Clear();
}

TEST(Interpreter, AnsIsTheValueBeforeTheEvaluation) {
  Formula f("ans()+1");
  EXPECT_EQ(f(41), 42);
  EXPECT_EQ(AnsValue, 41);
  EXPECT_EQ(Result, 42);
}
