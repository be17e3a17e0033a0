#include "expr/UFunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "core/uIXElementBase.h"
#include "core/uTerminal.h"
#include "expr/UCompile.h"
#include "expr/UInterpreter.h"

using namespace tessaro;

namespace {

double Eval(std::string_view text) {
  TCompiledInput in;
  TIntList ch;
  std::string message;
  EXPECT_TRUE(CompileFormula(text, in, ch, &message)) << text << ": " << message;
  return Interpret(in.Rpn, nullptr);
}

void ExpectValue(double got, double want, std::string_view text) {
  if (std::isnan(want))
    EXPECT_TRUE(std::isnan(got)) << text << " gave " << got;
  else
    EXPECT_NEAR(got, want, 1e-12 * (1 + std::fabs(want))) << text;
}

const double NaN = std::nan("");
const double Pi = 3.141592653589793;

}  // namespace

TEST(Functions, TableOrder) {
  std::string names;
  int filled = 0;
  for (TFunctionDefins* f : FunctionTable()) {
    if (!f) break;
    names += f->Name + " ";
    ++filled;
  }
  EXPECT_EQ(names,
            "min max pi sheet if sin cos tan arcsin arccos arctan deg rad sqrt nroot eule log ln "
            "abs datetime date time null ans round not bitnot int8 int16 int32 uint8 uint16 "
            "uint32 ");
  EXPECT_EQ(filled, 33);
}

TEST(Functions, Results) {
  struct Case {
    const char* Text;
    double Value;
  } cases[] = {
      {"min(5)", 5},
      {"max(3;7;5)", 7},
      {"min(2;-1;4)", -1},
      {"min(0/0;1)", 1},  // a NaN before the last argument is passed over
      {"min(1;0/0)", NaN},
      {"max(0/0;1;2)", 2},
      {"pi()", Pi},
      {"eule()", 2.718281828459045},
      {"if(0;5)", 0},
      {"if(1;5)", 5},
      {"if(0.5;5;6)", 5},
      {"if(-1;5;6)", 6},
      {"if(0.000001;5;6)", 6},
      {"if(0/0;5;6)", 6},
      {"sin(pi()/2)", 1},
      {"cos(0)", 1},
      {"tan(pi()/4)", 1},
      {"arcsin(1)", Pi / 2},
      {"arcsin(1.5)", NaN},
      {"arccos(-2)", NaN},
      {"arccos(1)", 0},
      {"arctan(1)", Pi / 4},
      {"deg(pi())", 180},
      {"rad(180)", Pi},
      {"sqrt(16)", 4},
      {"sqrt(-1)", NaN},
      {"nroot(3;27)", 3},
      {"nroot(2;-4)", NaN},
      {"nroot(0;5)", NaN},
      {"log(100)", 2},
      {"log(0)", NaN},
      {"ln(0)", NaN},
      {"ln(-1)", NaN},
      {"ln(eule())", 1},
      {"abs(-3.5)", 3.5},
      {"null(1;2;3)", 0},
      {"round(2.5)", 3},
      {"round(2.4999)", 2},
      {"round(-2.5)", -2},
      {"round(-2.7)", -2},
      {"round(3.14159;2)", 3.14},
      {"round(1234;-2)", 1200},
      {"round(2.5;0.5)", 3},      // 0.5 rounds to the even 0 decimals
      {"round(2.25;1.5)", 2.25},  // 1.5 rounds to 2 decimals
      {"round(1;0/0)", NaN},
      {"not(-3)", 1},
      {"not(0.000001)", 0},
      {"not(0/0)", 0},
      {"bitnot(5;8)", 250},
      {"bitnot(5;0)", 0},
      {"bitnot(1;40)", 4294967294.0},
      {"bitnot(0;32)", 4294967295.0},
      {"int8(255)", -1},
      {"int8(200)", -56},
      {"int16(40000)", -25536},
      {"int32(3.99)", 3},
      {"int32(-3.99)", -3},
      {"int32(2147483648.0)", -2147483648.0},
      {"uint8(-1)", 255},
      {"uint16(70000)", 4464},
      {"uint32(-1)", 4294967295.0},
      // Beyond 64 bits there is no integer to keep bits of.
      {"uint8(10^19)", NaN},
      {"int32(0/0)", NaN},
      {"bitnot(0/0;8)", NaN},
  };
  for (const Case& c : cases)
    ExpectValue(Eval(c.Text), c.Value, c.Text);
}

TEST(Functions, ClockFunctionsReadTheLocalTime) {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  double date = (tm.tm_year + 1900) * 10000.0 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
  EXPECT_EQ(Eval("date()"), date);  // a test at midnight may see the next day: rare enough
  double time = Eval("time()");
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 240000);
  double dt = Eval("datetime()");
  EXPECT_EQ(std::floor(dt / 1000000), date);
}

namespace {

struct FakeSheets : TSheetSwitcher {
  int Count = 3;
  int Current = 1;
  std::vector<int> Requests;
  int SheetCount() const override { return Count; }
  int CurrentSheet() const override { return Current; }
  void RequestSheet(int n) override { Requests.push_back(n); }
};

}  // namespace

TEST(Functions, SheetRequestsTheSwitchFromTheWindow) {
  FakeSheets sheets;
  SetSheetSwitcher(&sheets);
  EXPECT_EQ(Eval("sheet(2)"), 2);
  EXPECT_EQ(Eval("sheet(3.9)"), 3);
  EXPECT_EQ(Eval("sheet(1)"), 1);  // the current sheet: nothing to request
  EXPECT_EQ(Eval("sheet(9)"), 1);  // no such sheet: the current one
  EXPECT_EQ(Eval("sheet(0.5)"), 1);
  EXPECT_EQ(Eval("sheet(0/0)"), 1);
  EXPECT_EQ(sheets.Requests, (std::vector<int>{2, 3}));
  SetSheetSwitcher(nullptr);
  EXPECT_EQ(Eval("sheet(2)"), 0);
}

namespace {

// A lookup table that doubles its argument, or fails to load.
struct FakeTable : TIXElementBase, TLookupTable {
  std::string TableName;
  bool Loads = true;
  double Factor = 2;
  FakeTable(std::string name, double factor = 2) : TableName(std::move(name)), Factor(factor) {
    ElementType = etLookupTable;
  }
  std::string LookupName() const override { return TableName; }
  bool LoadTable() override { return Loads; }
  double Lookup(double x) const override { return x * Factor; }
};

std::vector<std::string> LookupNames() {
  std::vector<std::string> v;
  for (TDynaFunctionDefins* d : LookupFunctions())
    v.push_back(d->Name);
  return v;
}

}  // namespace

TEST(Functions, LookupTablesRegisterUniqueNames) {
  FakeTable gain("Gain", 2), curveA("Curve"), curveB("CURVE"), curveC("curve"), broken("Broken"),
      off("Off"), longName("AVeryLongTableNameOfMoreThan20");
  broken.Loads = false;
  broken.CompiledOk = true;  // from an earlier pass
  off.SetDisabled(true);
  TSheetModelList walk;
  walk.Sheets.push_back({"1", {&gain, &curveA, &broken}});
  walk.Sheets.push_back({"2", {&curveB, &off, &curveC, &longName}});
  RegisterLookupFunctions(walk);
  EXPECT_EQ(LookupNames(), (std::vector<std::string>{"gain", "averylongtablenameof"}));
  EXPECT_TRUE(gain.CompiledOk);
  EXPECT_FALSE(curveA.CompiledOk);
  EXPECT_FALSE(curveB.CompiledOk);
  EXPECT_FALSE(curveC.CompiledOk);
  EXPECT_FALSE(broken.CompiledOk);
  EXPECT_FALSE(off.CompiledOk);

  ExpectValue(Eval("gain(4)+GAIN(1)"), 10, "gain");
  TCompiledInput in;
  TIntList ch;
  std::string message;
  EXPECT_FALSE(CompileFormula("gainx(#1)", in, ch, &message));  // whole words only
  EXPECT_EQ(message, "Lexer: Unclassifiable statement, ");
  EXPECT_FALSE(CompileFormula("curve(1)", in, ch, &message));

  // A table that goes away takes its function with it.
  {
    FakeTable temp("Temp");
    TSheetModelList one;
    one.Sheets.push_back({"1", {&temp}});
    RegisterLookupFunctions(one);
    EXPECT_EQ(LookupNames(), (std::vector<std::string>{"temp"}));
  }
  EXPECT_TRUE(LookupNames().empty());
}

TEST(Functions, LookupNamedLikeABuiltinIsNeverReached) {
  FakeTable sinus("Sinus", 10);
  TSheetModelList walk;
  walk.Sheets.push_back({"1", {&sinus}});
  RegisterLookupFunctions(walk);
  TCompiledInput in;
  TIntList ch;
  EXPECT_FALSE(CompileFormula("sinus(1)", in, ch));  // read as sin followed by "us"
  ClearLookupFunctions();
}
