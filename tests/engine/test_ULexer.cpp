#include "expr/ULexer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/uTrace.h"
#include "expr/uMemFunctions.h"
#include "trace_lines.h"

using namespace tessaro;

namespace {

// The tokens in words: 5 2.5 "s" op(+) fn(sin) #7.
std::string Describe(const TTokenList& tokens) {
  std::string s;
  for (const TToken& t : tokens) {
    if (!s.empty()) s += ' ';
    switch (t.Kind) {
      case tkInteger:
        s += std::to_string(t.Value);
        break;
      case tkReal: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%gr", t.RealValue);
        s += buf;
        break;
      }
      case tkString:
        s += "\"" + t.Text + "\"";
        break;
      case tkOperator:
        s += std::string("op(") + OperatorById(t.OperatorId)->Name + ")";
        break;
      case tkFunction:
        s += "fn(" + t.Definition->Name + ")";
        break;
      case tkChannel:
        s += "#" + std::to_string(t.Channel);
        break;
      default:
        s += "?";
    }
  }
  return s;
}

struct Lexed {
  TTokenList Tokens;
  TIntList Channels;
  TLexer Lexer;
  explicit Lexed(std::string_view text) { Lexer.Tokenise(text, Tokens, Channels); }
};

}  // namespace

TEST(Lexer, ClassifiesTokens) {
  struct Case {
    const char* Text;
    const char* Tokens;
  } cases[] = {
      {"0b1010", "10"},
      {"0x1F", "31"},
      {"0x1f", "31"},
      {"0xFFFFFFFF", "-1"},
      {"0x1FFFFFFFF", "-1"},  // low 32 bits of a 64-bit accumulation
      {"0b11111111111111111111111111111111", "-1"},
      {"0b111111111111111111111111111111110", "-2"},  // only the lowest 32 digits count
      {"3,25", "3.25r"},
      {"3.25", "3.25r"},
      {"7", "7"},
      {"7.", "7r"},
      {"#0 #999 #007", "#0 #999 #7"},
      {"5<=6", "5 op(<=) 6"},
      {"1==2/=3", "1 op(==) 2 op(/=) 3"},
      {"1=2", "1 op(=) 2"},
      {"SIN(#1)", "fn(sin) op(() #1 op())"},
      {"Sin(#1)", "fn(sin) op(() #1 op())"},
      {"datetime date", "fn(datetime) fn(date)"},
      {"'it/'s'", "\"it's\""},
      {"\"mixed'", "\"mixed\""},
      {"1\t+\t2", "1 op(+) 2"},
      {"max(1;2)", "fn(max) op(() 1 op(;) 2 op())"},
      {"4 mod 3 bitxor 1", "4 op(mod) 3 op(bitxor) 1"},
      {"-1", "op(-) 1"},
  };
  for (const Case& c : cases) {
    Lexed l(c.Text);
    EXPECT_TRUE(l.Lexer.TokeniseOk) << c.Text;
    EXPECT_EQ(Describe(l.Tokens), c.Tokens) << c.Text;
  }
}

TEST(Lexer, RecordsEveryChannelReferenceInOrder) {
  Lexed l("#5+#5*max(#2;#007)");
  ASSERT_TRUE(l.Lexer.TokeniseOk);
  EXPECT_EQ(std::vector<int>(l.Channels.begin(), l.Channels.end()), (std::vector<int>{5, 5, 2, 7}));
}

TEST(Lexer, EmptyAndBlankSources) {
  Lexed empty("");
  EXPECT_TRUE(empty.Lexer.SourceEmpty);
  EXPECT_FALSE(empty.Lexer.TokeniseOk);
  // Trailing blanks and control characters are cut first, so blanks alone are empty.
  Lexed trailing(" \t\r\n");
  EXPECT_TRUE(trailing.Lexer.SourceEmpty);
  EXPECT_FALSE(trailing.Lexer.TokeniseOk);
  Lexed blank("  \t  x");
  EXPECT_FALSE(blank.Lexer.SourceEmpty);
}

// Errors stop at the offending token; the tokens before it stay. The trace gets the
// message, the text before the token and the text from it on.
TEST(Lexer, ErrorsWithTheirTrace) {
  struct Case {
    const char* Text;
    const char* Message;
    const char* Before;
    const char* Tokens;  // read before the error
  } cases[] = {
      {"#", "Lexer: Unclassifiable statement, Incomplete Source identifier, ", "", ""},
      {"1+#a", "Lexer: Unclassifiable statement, Incomplete Source identifier, ", "1+", "1 op(+)"},
      {"#1000", "Lexer: Highest allowed Channel number #999", "", "#1000"},
      {"#99999999999", "Lexer: Highest allowed Channel number #999", "", "#0"},
      {"'abc", "Lexer: Character string started but not ended, ", "", ""},
      {"2 ? 3", "Lexer: Unclassifiable statement, ", "2 ", "2"},
      {"0B1", "Lexer: Unclassifiable statement, ", "0", "0"},
      {"0b", "Lexer: Unclassifiable statement, ", "0", "0"},
      {"0x", "Lexer: Unclassifiable statement, ", "0", "0"},
      {"#1 andx", "Lexer: Unclassifiable statement, ", "#1 and", "#1 op(and)"},
      {"sinus(1)", "Lexer: Unclassifiable statement, ", "sin", "fn(sin)"},
      {"1\n+2", "Lexer: Unclassifiable statement, ", "1", "1"},
      {"AND", "Lexer: Unclassifiable statement, ", "", ""},  // operators are case-sensitive
      // Numbers the standard conversion rejects.
      {"2147483648", "Lexer: Invalid number, ", "", ""},
      {"1+1.2.3", "Lexer: Invalid number, ", "1+", "1 op(+)"},
      {"5,,", "Lexer: Invalid number, ", "", ""},
  };
  for (const Case& c : cases) {
    TraceLines trace;
    Lexed l(c.Text);
    EXPECT_FALSE(l.Lexer.TokeniseOk) << c.Text;
    EXPECT_EQ(l.Lexer.Message, c.Message) << c.Text;
    ASSERT_EQ(trace.Lines.size(), 3u) << c.Text;
    EXPECT_EQ(trace.Lines[0], c.Message) << c.Text;
    EXPECT_EQ(trace.Lines[1], c.Before) << c.Text;
    EXPECT_EQ(trace.Lines[1] + trace.Lines[2], c.Text) << c.Text;
    EXPECT_EQ(Describe(l.Tokens), c.Tokens) << c.Text;
  }
}

TEST(Lexer, MemoryFunctionsGetAStateObjectPerOccurrence) {
  FreeAllMemFunctions();
  Lexed l("last(#1)+LAST(#2)+count()");
  ASSERT_TRUE(l.Lexer.TokeniseOk);
  ASSERT_EQ(MemFunctionCount(), 3);
  EXPECT_EQ(l.Tokens[0].Definition, MemFunctionAt(0));
  EXPECT_EQ(l.Tokens[5].Definition, MemFunctionAt(1));
  EXPECT_EQ(MemFunctionAt(2)->Name, "count");
  FreeAllMemFunctions();
}

TEST(Lexer, OperatorTableOrderAndIds) {
  std::string order;
  for (const TOperatorDef& d : OperatorTable())
    order += std::to_string(d.Id) + d.Name + std::to_string(d.Priority) + (d.IsBinary ? "b " : " ");
  EXPECT_EQ(order,
            "1==6b 2=4 3(3 4)3 5,3 6;3 7/=6b 8<=6b 9<6b 10>=6b 11>6b 12+8b 13-8b 14*9b 15/9b "
            "16^10b 19mod9b 20and5b 21or5b 22xor5b 23bitand7b 24bitor7b 25bitxor7b ");
}
