#include "expr/UCompile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "expr/uMemFunctions.h"

using namespace tessaro;

namespace {

// An instrument that logs every delivery as "<name>=<value>" or "<name>:<text>".
struct Probe : TIXElementBase {
  std::string Name;
  std::vector<std::string>* Log;
  Probe(std::string name, int mode, std::string_view source, std::vector<std::string>* log)
      : Name(std::move(name)), Log(log) {
    InputMode = mode;
    SetSource(source);
  }
  void NewValue(double v) override {
    TIXElementBase::NewValue(v);
    char buf[32];
    Log->push_back(Name + "=" + std::string(buf, static_cast<size_t>(FormatValue(v, buf))));
  }
  void NewText(std::string_view t) override {
    TIXElementBase::NewText(t);
    Log->push_back(Name + ":" + std::string(t));
  }
  static int FormatValue(double v, char* buf) { return std::snprintf(buf, 32, "%g", v); }
};

struct CompilePass : ::testing::Test {
  TTerminal Term;
  TSheetModelList Sheets;
  TInstrumentSet Set{&Sheets};
  TFormulaEngine Engine{Term, Sheets, &Set};
  std::vector<std::unique_ptr<Probe>> Owned;
  std::vector<std::string> Log;

  Probe& Add(int sheet, std::string name, int mode, std::string_view source) {
    while (static_cast<int>(Sheets.Sheets.size()) <= sheet)
      Sheets.Sheets.push_back({});
    Owned.push_back(std::make_unique<Probe>(std::move(name), mode, source, &Log));
    Sheets.Sheets[static_cast<size_t>(sheet)].Instruments.push_back(Owned.back().get());
    return *Owned.back();
  }
  std::vector<TIXElementBase*> Deps(int ch) {
    return {Term.Channel(ch).Dependents.begin(), Term.Channel(ch).Dependents.end()};
  }
  std::vector<TIXElementBase*> Secondary(int ch) {
    return {Term.Channel(ch).SecondaryDependents.begin(),
            Term.Channel(ch).SecondaryDependents.end()};
  }
  void TearDown() override { FreeAllMemFunctions(); }
};

}  // namespace

TEST_F(CompilePass, CompilesEachInputMode) {
  struct Case {
    int Mode;
    const char* Source;
    bool Compiled;
    bool Empty;
    std::vector<int> Registered;  // channels whose Dependents hold the instrument
    int Output;
    bool IsFormula;
  } cases[] = {
      {1, "#5+#5", true, false, {5}, 0, false},
      {1, "#5*2+sin(#7)", true, false, {5, 7}, 0, false},
      {1, "pi()", true, false, {}, 0, false},
      {1, "#5+", false, false, {}, 0, false},
      {1, "", false, true, {}, 0, false},
      {2, "#7", true, false, {7}, 0, false},
      {2, " #7 ", true, false, {7}, 0, false},
      {2, "#7+1", false, false, {}, 0, false},
      {2, "(#7)", false, false, {}, 0, false},
      {3, "#20", true, false, {}, 20, false},
      {3, "20", false, false, {}, 0, false},
      {3, "#20+1", false, false, {}, 0, false},
      {4, "#3", true, false, {3}, 0, false},
      {4, "#3*2", true, false, {3}, 0, true},
      {4, "#3+#4", true, false, {3, 4}, 0, true},
      {4, "#3+", false, false, {}, 0, false},
  };
  for (const Case& c : cases) {
    Sheets.Sheets.clear();
    Probe& p = Add(0, "p", c.Mode, c.Source);
    p.OutputChannel = 99;  // a stale value from an earlier pass
    Engine.CompileAll();
    EXPECT_EQ(p.CompiledOk, c.Compiled) << c.Mode << " " << c.Source;
    EXPECT_EQ(p.SourceEmpty, c.Empty) << c.Mode << " " << c.Source;
    EXPECT_EQ(p.OutputChannel, c.Output) << c.Mode << " " << c.Source;
    if (c.Compiled && c.Mode == 4) {
      EXPECT_EQ(p.IsFormula, c.IsFormula) << c.Source;
    }
    std::vector<int> registered;
    for (int ch = 0; ch < ChannelCount; ++ch) {
      auto d = Deps(ch);
      EXPECT_LE(std::count(d.begin(), d.end(), &p), 1) << c.Source;
      if (!d.empty()) registered.push_back(ch);
    }
    EXPECT_EQ(registered, c.Registered) << c.Mode << " " << c.Source;
    if (c.Mode == 3) {
      EXPECT_EQ(p.ReferencedChannels.Count(), 0);
      EXPECT_EQ(Secondary(20),
                c.Compiled ? std::vector<TIXElementBase*>{&p} : std::vector<TIXElementBase*>{});
    }
  }
}

TEST_F(CompilePass, ReceivedValuesEvaluateRegisteredInstrumentsInOrder) {
  Add(0, "a", 1, "#5*2+1");
  Add(0, "text", 2, "#5");
  Add(1, "b", 1, "#5+#5+#6");
  Add(1, "other", 1, "#6");
  Add(1, "rec", 4, "#5");
  Add(1, "recf", 4, "#5*3");
  Engine.CompileAll();

  EXPECT_TRUE(Term.ProcessCommand("#5F2;", nullptr, true));
  EXPECT_EQ(Log, (std::vector<std::string>{"a=5", "b=4", "rec=2", "recf=6"}));
  Log.clear();
  EXPECT_FALSE(Term.ProcessCommand("#5F7;", nullptr, false));  // silent: stored only
  EXPECT_TRUE(Log.empty());
  Term.ProcessCommand("#6F1;", nullptr, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"b=15", "other=1"}));
  Log.clear();
  Term.ProcessCommand("#5SHello;", nullptr, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"text:Hello", "rec:Hello"}));
}

TEST_F(CompilePass, DisabledInstrumentsAreNeitherCompiledNorTriggered) {
  Probe& p = Add(0, "p", 1, "last(#1)");
  Engine.CompileAll();
  ASSERT_TRUE(p.CompiledOk);
  p.SetDisabled(true);
  Engine.CompileAll();
  EXPECT_FALSE(p.CompiledOk);
  EXPECT_TRUE(Deps(1).empty());
  // Its old program referred to memory functions that are gone; it must not run.
  Term.Recalculate(p);
  EXPECT_TRUE(Log.empty());
}

TEST_F(CompilePass, UncompilableNeighbourDoesNotStopThePass) {
  Probe& a = Add(0, "a", 1, "#1+1");
  Probe& bad = Add(0, "bad", 1, "#1+99999999999");
  Probe& bad2 = Add(0, "bad2", 1, "#1+1.2.3");
  Probe& c = Add(1, "c", 1, "last(#1)");
  Engine.CompileAll();
  EXPECT_TRUE(a.CompiledOk);
  EXPECT_FALSE(bad.CompiledOk);
  EXPECT_FALSE(bad2.CompiledOk);
  EXPECT_TRUE(c.CompiledOk);
  EXPECT_EQ(Deps(1), (std::vector<TIXElementBase*>{&a, &c}));
}

TEST_F(CompilePass, MemoryFunctionsAreFreshAfterEveryPass) {
  Add(0, "a", 1, "last(#1)");
  Add(0, "b", 1, "last(#1)*10");
  Engine.CompileAll();
  Term.ProcessCommand("#1F5;", nullptr, true);
  Term.ProcessCommand("#1F3;", nullptr, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"a=0", "b=0", "a=5", "b=50"}));
  Log.clear();
  Engine.CompileAll();
  EXPECT_EQ(MemFunctionCount(), 2);  // the old objects are gone, not piled up
  Term.ProcessCommand("#1F4;", nullptr, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"a=0", "b=0"}));
}

TEST_F(CompilePass, CompileAllDoesNothingWhileConnected) {
  Probe& p = Add(0, "p", 1, "#1");
  Engine.CompileAll();
  p.SetSource("#2");
  Term.Connect();  // no interfaces: connects
  ASSERT_TRUE(Term.IsConnected());
  Engine.CompileAll();
  EXPECT_EQ(Deps(1), (std::vector<TIXElementBase*>{&p}));
  EXPECT_TRUE(Deps(2).empty());
  Term.Disconnect();
  Engine.CompileAll();
  EXPECT_TRUE(Deps(1).empty());
  EXPECT_EQ(Deps(2), (std::vector<TIXElementBase*>{&p}));
}

TEST_F(CompilePass, PassClearsNotificationsAndRebuildsTheRefreshList) {
  Probe& p = Add(0, "p", 1, "#1");
  p.PeriodicRefresh = true;
  Notifications.SendLoss = true;
  Notifications.ConnLost = true;
  Engine.CompileAll();
  EXPECT_FALSE(Notifications.SendLoss);
  EXPECT_FALSE(Notifications.ConnLost);
  EXPECT_EQ(Set.RefreshList(), (std::vector<TIXElementBase*>{&p}));
}

TEST_F(CompilePass, TriggersIgnoreTheWrongKind) {
  Probe& out = Add(0, "out", 3, "#9");
  Probe& text = Add(0, "text", 2, "#9");
  Probe& formula = Add(0, "formula", 1, "ans()+1");
  Engine.CompileAll();
  Engine.Calculate(out);
  Engine.Calculate(text);
  Engine.UpdateText(formula);
  EXPECT_TRUE(Log.empty());
  // Recalculate evaluates an instrument without a channel; ans is its previous value.
  Term.Recalculate(formula);
  Term.Recalculate(formula);
  EXPECT_EQ(Log, (std::vector<std::string>{"formula=1", "formula=2"}));
}

namespace {
struct Table : TIXElementBase, TLookupTable {
  explicit Table(std::string_view name) {
    ElementType = etLookupTable;
    SetDenom(name);
  }
  std::string LookupName() const override { return GetDenom(); }
  bool LoadTable() override { return true; }
  double Lookup(double x) const override { return x * x; }
};
}  // namespace

TEST_F(CompilePass, LookupTablesProvideFunctions) {
  Table square("Square"), dupA("Twice"), dupB("twice");
  Sheets.Sheets.push_back({"1", {&square, &dupA}});
  Probe& p = Add(1, "p", 1, "square(#1)+1");
  Probe& q = Add(1, "q", 1, "twice(#1)");
  Sheets.Sheets[1].Instruments.push_back(&dupB);
  Engine.CompileAll();
  EXPECT_TRUE(square.CompiledOk);
  EXPECT_FALSE(dupA.CompiledOk);
  EXPECT_FALSE(dupB.CompiledOk);
  EXPECT_TRUE(p.CompiledOk);
  EXPECT_FALSE(q.CompiledOk);
  Term.ProcessCommand("#1F3;", nullptr, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"p=10"}));
}
