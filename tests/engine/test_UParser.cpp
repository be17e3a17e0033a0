#include "expr/UParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/uTrace.h"
#include "expr/UCompile.h"
#include "expr/uMemFunctions.h"
#include "trace_lines.h"

using namespace tessaro;

namespace {

struct Parsed {
  TCompiledInput Input;
  TIntList Channels;
  std::string Message;
  bool Ok;
  explicit Parsed(std::string_view text) : Ok(CompileFormula(text, Input, Channels, &Message)) {}
  std::string Rpn() const { return RpnToText(Input.Rpn); }
};

}  // namespace

TEST(Parser, ReversePolishOrder) {
  struct Case {
    const char* Text;
    const char* Rpn;
  } cases[] = {
      {"#5*2+sin(#7)", "#5 2 * #7 sin/1 +"},
      {"1+2*3", "1 2 3 * +"},
      {"(1+2)*3", "1 2 + 3 *"},
      {"2^3^2", "2 3 ^ 2 ^"},  // equal priorities group from the left
      {"10-4-3", "10 4 - 3 -"},
      {"1+2*3^4-5", "1 2 3 4 ^ * + 5 -"},
      {"#1<#2 and #3>#4", "#1 #2 < #3 #4 > and"},
      {"1 bitor 2 == 3", "1 2 bitor 3 =="},  // bitor (7) binds tighter than == (6)
      {"-2^2", "-1 2 * 2 ^"},                // unary minus takes the one operand after it
      {"-#1+5", "-1 #1 * 5 +"},
      {"-(2+3)", "-1 2 3 + *"},
      {"2*(-3)", "2 -1 3 * *"},
      {"max(-1;-2)", "-1 1 * -1 2 * max/2"},
      {"max(1;2;3)", "1 2 3 max/3"},
      {"if(#3>10;1;0)", "#3 10 > 1 0 if/3"},
      {"pi()", "pi/0"},
      {"1==2", "1 2 =="},
      {"1+2)+5", "1 2 +"},  // a ")" at the top ends the formula
      {"4;5", "4"},
      {"((1))", "1"},
      {"3,5*2", "3.5 2 *"},
  };
  for (const Case& c : cases) {
    Parsed p(c.Text);
    EXPECT_TRUE(p.Ok) << c.Text << ": " << p.Message;
    EXPECT_EQ(p.Rpn(), c.Rpn) << c.Text;
  }
  FreeAllMemFunctions();
}

TEST(Parser, UnaryMinusTurnsIntoMultiplication) {
  Parsed p("-#1");
  ASSERT_TRUE(p.Ok);
  ASSERT_EQ(p.Input.Tokens.size(), 3u);  // -1 inserted in front of the former "-"
  EXPECT_EQ(p.Input.Tokens[0].Value, -1);
  EXPECT_EQ(p.Input.Tokens[1].OperatorId, opMultiply);
}

TEST(Parser, StoresArgumentCounts) {
  Parsed p("max(1;min(2;3;4))");
  ASSERT_TRUE(p.Ok);
  EXPECT_EQ(p.Input.Tokens[0].ArgCount, 2);
  EXPECT_EQ(p.Input.Tokens[4].ArgCount, 3);
}

// Every error goes to the trace as the message, "" and "-".
TEST(Parser, ErrorsWithTheirMessages) {
  struct Case {
    const char* Text;
    const char* Message;
  } cases[] = {
      {"1+", "Parser: Statement incomplete"},
      {"(", "Parser: Statement incomplete"},
      {"max(1;", "Parser: Statement incomplete"},
      {"(1+2", "Closing bracket expected"},
      {"((1)", "Closing bracket expected"},  // the inner ")" does not close the outer "("
      {"(1;2)", "Closing bracket expected"},
      {"2(3)", "Unclassifiable statement, missing or wrong operator"},
      {"1=2", "Unclassifiable statement, missing or wrong operator"},
      {"1 , 2", "Unclassifiable statement, missing or wrong operator"},
      {"#1 #2", "Unclassifiable statement, expected operator"},
      {"2*-3", "Unclassifiable statement, expected operand"},
      {"--1", "Unclassifiable statement, expected operand"},
      {"'text'", "Unclassifiable statement, expected operand"},
      {"1+\"a\"", "Unclassifiable statement, expected operand"},
      {")", "Unclassifiable statement, expected operand"},
      {"pi", "Parser: Statement incomplete"},
      {"pi+1", "Parser: Expected '(' "},
      {"max()", "Parser: Wrong number of arguments!"},
      {"if(1;2;3;4)", "Parser: Wrong number of arguments!"},
      {"if(1)", "Parser: Wrong number of arguments!"},
      {"sin(1;2)", "Parser: Wrong number of arguments!"},
      {"pi(1)", "Parser: Wrong number of arguments!"},
      {"floatavg(#1)", "Parser: Wrong number of arguments!"},
  };
  for (const Case& c : cases) {
    TraceLines trace;
    Parsed p(c.Text);
    EXPECT_FALSE(p.Ok) << c.Text;
    EXPECT_EQ(p.Message, c.Message) << c.Text;
    EXPECT_EQ(trace.Lines, (std::vector<std::string>{c.Message, "", "-"})) << c.Text;
  }
  FreeAllMemFunctions();
}

TEST(Parser, EmptyTokenListIsIncomplete) {
  TTokenList none;
  TRpnProgram out;
  TParser parser;
  parser.Parse(none, out);
  EXPECT_FALSE(parser.ParseOk);
  EXPECT_EQ(parser.Message, "Parser: Statement incomplete");
}

TEST(Parser, DeepNestingStaysBounded) {
  // 127 brackets around a number: the longest nesting a 255-character input can hold.
  std::string deep = std::string(127, '(') + "1" + std::string(127, ')');
  Parsed p(deep);
  EXPECT_TRUE(p.Ok);
  EXPECT_EQ(p.Rpn(), "1");
}
