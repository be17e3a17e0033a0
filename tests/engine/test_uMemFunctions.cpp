#include "expr/uMemFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/uTerminal.h"
#include "expr/UCompile.h"
#include "expr/UInterpreter.h"

using namespace tessaro;

namespace {

// Evaluates `text` once per value, with the value in channel 1 (and #2 from `window`).
std::vector<double> RunFormula(std::string_view text, const std::vector<double>& values,
                               const std::vector<double>& window = {}) {
  TTerminal term;
  TCompiledInput in;
  TIntList ch;
  EXPECT_TRUE(CompileFormula(text, in, ch)) << text;
  std::vector<double> out;
  for (size_t i = 0; i < values.size(); ++i) {
    term.Channel(1).Value = values[i];
    if (i < window.size()) term.Channel(2).Value = window[i];
    out.push_back(Interpret(in.Rpn, &term));
  }
  return out;
}

struct MemFunctions : ::testing::Test {
  void SetUp() override { FreeAllMemFunctions(); }
  void TearDown() override { FreeAllMemFunctions(); }
};

using V = std::vector<double>;
const double Inf = INFINITY;

}  // namespace

TEST_F(MemFunctions, Sequences) {
  struct Case {
    const char* Text;
    V Values;
    V Results;
  } cases[] = {
      {"last(#1)", {5, 3, 7}, {0, 5, 3}},
      {"z(#1)", {5, 3, 7}, {0, 5, 3}},
      {"#1-last(#1)", {5, 3, 7}, {5, -2, 4}},
      {"seqmin(#1)", {5, 3, 7}, {5, 3, 3}},
      {"seqmax(#1)", {5, 3, 7}, {5, 5, 7}},
      {"seqmax(#1)", {-Inf}, {-Inf}},
      {"count()", {0, 0, 0}, {1, 2, 3}},
      {"floatavg(#1;4)", {4, 4, 4, 4, 4}, {1, 2, 3, 4, 4}},
      {"floatavg(#1;2)", {2, 4, 6, 8}, {1, 3, 5, 7}},
      {"floatavg(#1;1)", {3, 9, -1}, {3, 9, -1}},
      {"floatavg(#1;2.9)", {2, 4}, {1, 3}},
      {"floatavg(#1;0)", {5, 5}, {0, 0}},
      {"floatavg(#1;-3)", {5}, {0}},
      // Both branches of if run, so the memory function in the other one advances too.
      {"if(#1>4;1;last(#1))", {5, 3, 7}, {1, 5, 1}},
      {"last(#1)+last(#1)", {1, 2}, {0, 2}},  // two occurrences, two states
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RunFormula(c.Text, c.Values), c.Results) << c.Text;
    FreeAllMemFunctions();
  }
}

TEST_F(MemFunctions, FloatAvgRestartsWhenTheWindowChanges) {
  EXPECT_EQ(RunFormula("floatavg(#1;#2)", {4, 4, 4, 4}, {2, 2, 4, 4}), (V{2, 4, 1, 2}));
}

TEST_F(MemFunctions, FloatAvgRefusesImpossibleWindows) {
  V r = RunFormula("floatavg(#1;#2)", {1, 1, 1}, {1e12, NAN, 1});
  EXPECT_TRUE(std::isnan(r[0]));
  EXPECT_TRUE(std::isnan(r[1]));
  EXPECT_EQ(r[2], 1);
}

TEST_F(MemFunctions, ResetAllRestoresTheInitialState) {
  TTerminal term;
  TCompiledInput in;
  TIntList ch;
  ASSERT_TRUE(CompileFormula(
      "count()*0+last(#1)*1000000+seqmin(#1)*10000+seqmax(#1)*100+floatavg(#1;2)", in, ch));
  ASSERT_EQ(MemFunctionCount(), 5);
  term.Channel(1).Value = 4;
  Interpret(in.Rpn, &term);
  Interpret(in.Rpn, &term);
  ResetAll();
  term.Channel(1).Value = 6;
  // last 0, seqmin 6, seqmax 6, floatavg: window kept, slots zeroed -> 3
  EXPECT_EQ(Interpret(in.Rpn, &term), 0 + 60000 + 600 + 3);

  TCompiledInput counter;
  ASSERT_TRUE(CompileFormula("count()", counter, ch));
  EXPECT_EQ(Interpret(counter.Rpn, &term), 1);
  EXPECT_EQ(Interpret(counter.Rpn, &term), 2);
  ResetAll();
  EXPECT_EQ(Interpret(counter.Rpn, &term), 1);
}

TEST_F(MemFunctions, FactoriesInOrder) {
  std::string names;
  for (TMemFunctionDefins* f : MemFunctionFactories())
    names += f->Name + "/" + std::to_string(f->MinArgs) + " ";
  EXPECT_EQ(names, "last/1 z/1 seqmin/1 seqmax/1 count/0 floatavg/2 ");
  TMemFunction* m = MemFunctionFactories()[5]->Create();
  EXPECT_EQ(m->Name, "floatavg");
  EXPECT_EQ(MemFunctionCount(), 1);
  FreeAllMemFunctions();
  EXPECT_EQ(MemFunctionCount(), 0);
}
