// tessaro-cli eval as a black box: the formula playground users run.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct Outcome {
  std::string Out;
  int Status;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs tessaro-cli eval with the arguments; stderr is folded into the output.
Outcome Eval(std::initializer_list<std::string> args) {
  // The test runs from <build>/tests; the program sits in <build>.
  std::string cmd =
      std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "tessaro-cli";
  cmd += " eval";
  for (const std::string& a : args)
    cmd += " " + Quote(a);
  cmd += " 2>&1";
  Outcome o;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {"popen failed", -1};
  char buf[256];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
    o.Out.append(buf, n);
  int st = pclose(p);
  o.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return o;
}

}  // namespace

TEST(CliEval, PrintsValues) {
  struct Case {
    std::initializer_list<std::string> Args;
    const char* Out;
  } cases[] = {
      {{"last(#1)", "#1F5;", "#1F3;"}, "0\n5\n"},
      {{"#5+1", "#5F12,3;"}, "13.3\n"},
      {{"2^3^2"}, "64\n"},
      {{"10^20"}, "1E20\n"},
      {{"7/0"}, "NaN\n"},
      {{"0.00000015"}, "1.5E-7\n"},
      {{"sheet(2)+sheet(1)"}, "2\n"},  // one sheet: sheet(n) yields 1
      {{"#5*2", "/#5F7;", "#3SText;", "#5F1.5;", "#5F1.2.3;", "#6F1;"}, "3\n"},
      {{"count()", "#1F0;", "#1F0;"}, ""},  // no channel: never triggered
  };
  for (const Case& c : cases) {
    Outcome o = Eval(c.Args);
    EXPECT_EQ(o.Out, c.Out) << *c.Args.begin();
    EXPECT_EQ(o.Status, 0) << *c.Args.begin();
  }
}

TEST(CliEval, CompileFailuresPrintTheFirstMessage) {
  struct Case {
    const char* Formula;
    const char* Out;
  } cases[] = {
      {"1+", "Parser: Statement incomplete\n"},
      {"#1000", "Lexer: Highest allowed Channel number #999\n"},
      {"max()", "Parser: Wrong number of arguments!\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    Outcome o = Eval({c.Formula});
    EXPECT_EQ(o.Out, c.Out) << c.Formula;
    EXPECT_EQ(o.Status, 2) << c.Formula;
  }
}

TEST(CliEval, FormulaIsCutTo255Characters) {
  // 128 times "1+" is 256 characters; cut to 255 it ends in a "1" instead of a "+".
  std::string f;
  for (int i = 0; i < 128; ++i)
    f += "1+";
  Outcome o = Eval({f});
  EXPECT_EQ(o.Out, "128\n");
  EXPECT_EQ(o.Status, 0);
}
