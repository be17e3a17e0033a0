#include "core/uIXElementBase.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "core/uConvert.h"
#include "core/uTerminal.h"
#include "ports/uPorts.h"

using namespace tessaro;

namespace {

struct Probe : TIXElementBase {
  int Displays = 0, Starts = 0, Stops = 0, Geometry = 0;
  std::vector<TAnimStyle> Anims;
  void UpdateDisplay() override {
    ++Displays;
    TIXElementBase::UpdateDisplay();
  }
  void RunStart() override { ++Starts; }
  void RunStop() override { ++Stops; }
  void GeometryChanged() override { ++Geometry; }
  void ShowSendAnimation(TAnimStyle s) override { Anims.push_back(s); }
};

TEST(IXElementBase, NameAndInputAreCut) {
  Probe e;
  e.SetDenom(std::string(40, 'n'));
  EXPECT_EQ(e.GetDenom().size(), 32u);
  e.SetSource(std::string(300, 's'));
  EXPECT_EQ(e.GetSource().size(), 255u);
}

TEST(IXElementBase, PositionAndSizeRules) {
  Probe e;
  e.SetWidth(-5);
  EXPECT_EQ(e.GetWidth(), 0);
  e.SetWidth(120);
  e.SetWidth(9001);
  EXPECT_EQ(e.GetWidth(), 120);
  e.SetLeft(30);
  e.SetLeft(9001);
  EXPECT_EQ(e.GetLeft(), 30);
  e.SetLeft(-20);
  EXPECT_EQ(e.GetLeft(), -20);
  int before = e.Geometry;
  e.SetLeft(-20);  // unchanged: nothing happens
  EXPECT_EQ(e.Geometry, before);
  e.SetHeight(9000);
  EXPECT_EQ(e.GetHeight(), 9000);
}

TEST(IXElementBase, CompileStateColours) {
  Probe e;
  e.SetFrameColor(0x123456);
  struct Case {
    bool Disabled, Compiled, Empty;
    uint32_t Pen;
  };
  const Case cases[] = {{false, false, true, clSilver},
                        {false, false, false, clNotCompiled},
                        {false, true, false, clCompiledOk},
                        {true, true, false, clSilver}};
  for (const Case& c : cases) {
    e.SetDisabled(c.Disabled);
    e.CompiledOk = c.Compiled;
    e.SourceEmpty = c.Empty;
    e.MarkCompileState();
    EXPECT_EQ(e.FramePenColor(), c.Pen);
  }
  e.UnmarkCompileState();
  EXPECT_EQ(e.FramePenColor(), 0x123456u);
  Probe sub;
  sub.Attached = true;
  sub.MarkCompileState();
  EXPECT_EQ(sub.FramePenColor(), clSilver);
}

TEST(IXElementBase, DeliveryAndReset) {
  Probe e;
  e.NewText("abc");
  EXPECT_FALSE(e.IsNumeric.load());
  EXPECT_EQ(e.ReadText(), "abc");
  e.NewValue(4.5);
  EXPECT_TRUE(e.IsNumeric.load());
  EXPECT_TRUE(e.Changed.load());
  e.SetInitialValue(2);
  e.ResetValue();
  EXPECT_EQ(e.ReadValue(), 2);
  EXPECT_FALSE(e.Changed.load());
}

TEST(InstrumentSet, RefreshRunNotifyAndReset) {
  Probe a, b, c;
  a.PeriodicRefresh = true;
  c.PeriodicRefresh = true;
  a.RunNotify = b.RunNotify = c.RunNotify = true;
  c.SetDisabled(true);
  TSheetModelList sheets;
  sheets.Sheets.resize(2);
  sheets.Sheets[0].Instruments = {&a, &b};
  sheets.Sheets[1].Instruments = {&c};
  TInstrumentSet set(&sheets);
  set.RebuildRefreshList();
  EXPECT_EQ(set.RefreshList(), (std::vector<TIXElementBase*>{&a, &c}));
  a.NewValue(1);
  b.NewValue(1);
  set.RefreshAll();
  EXPECT_EQ(a.Displays, 1);
  EXPECT_EQ(b.Displays, 0);  // not in the refresh list
  EXPECT_EQ(c.Displays, 0);  // not changed
  set.RefreshAll();
  EXPECT_EQ(a.Displays, 1);
  set.NotifyRunStart();
  set.NotifyRunStop();
  EXPECT_EQ(a.Starts + b.Starts + c.Starts, 2);
  EXPECT_EQ(c.Stops, 0);
  set.ResetAll();
  EXPECT_EQ(a.ReadValue(), 0);
}

struct OnePort : TIXPort {
  std::mutex M;
  std::vector<std::string> Sent;
  size_t Count() {
    std::lock_guard<std::mutex> g(M);
    return Sent.size();
  }
  void Connect() override {
    Connected.store(true);
    TIXPort::Connect();
  }
  void Disconnect() override { Connected.store(false); }
  void StartReceiving() override {}
  void SendText(std::string_view t) override {
    std::lock_guard<std::mutex> g(M);
    Sent.emplace_back(t);
  }
};

TEST(IXElementBase, SendCommandOutcomes) {
  TTerminal term;
  term.SetPorts(&TPortList::Instance());
  Probe e;
  e.OutputChannel = 20;
  e.SendCommand(term, 1.5);  // disconnected
  EXPECT_EQ(e.ReadValue(), 1.5);
  term.Connect();            // no interface at all: connected
  e.SendCommand(term, 2.0);  // not compiled
  e.CompiledOk = true;
  e.SendCommand(term, 2.5);  // nowhere to go: not deliverable
  EXPECT_EQ(e.Anims, (std::vector<TAnimStyle>{TAnimStyle::NotSent, TAnimStyle::NotCompiled,
                                              TAnimStyle::NotSent}));
  term.Disconnect();

  auto* port = new OnePort;
  term.Connect();
  SetOutputDecimalSeparator(',');
  e.SendCommand(term, 12.3);
  SetOutputDecimalSeparator('.');
  e.SendCommand(term, std::string_view("Hi"));
  e.SetSendAnimation(false);
  e.SendCommand(term, 1.0);
  for (int i = 0; i < 500 && port->Count() < 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  term.Disconnect();
  EXPECT_EQ(port->Sent, (std::vector<std::string>{"#20F12,3;", "#20SHi;", "#20F1;"}));
  EXPECT_EQ(e.Anims.back(), TAnimStyle::Sent);
  EXPECT_EQ(e.Anims.size(), 5u);  // the last send had the animation off
  delete port;
}

}  // namespace
