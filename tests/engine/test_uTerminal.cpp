#include "core/uTerminal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/uFramer.h"
#include "core/uIXElementBase.h"
#include "core/uViews.h"
#include "ports/uPorts.h"

using namespace tessaro;

namespace {

template <typename Pred>
bool WaitFor(Pred pred, int ms = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Records every trigger; numeric triggers deliver the first referenced channel's value.
struct FakeTriggers : TInstrumentTriggers {
  TTerminal* Term = nullptr;
  std::vector<std::pair<TIXElementBase*, char>> Calls;
  void Calculate(TIXElementBase& e) override {
    Calls.push_back({&e, 'F'});
    e.NewValue(e.ReferencedChannels.Count() ? Term->ChannelValue(e.ReferencedChannels[0]) : 0);
  }
  void UpdateText(TIXElementBase& e) override {
    Calls.push_back({&e, 'S'});
    e.NewText(Term->Channel(e.ReferencedChannels[0]).Text);
  }
};

struct FakeConsole : TConsoleSink {
  bool Active = false;
  std::vector<std::string> Texts;
  bool Receive(std::string_view text) override {
    if (!Active) return false;
    Texts.emplace_back(text);
    return true;
  }
  void RunStart() override {}
  void RunStop() override {}
  bool ActiveOrRecording() const override { return Active; }
  void Update() override {}
};

struct FakeTermView : TTerminalSink {
  std::mutex M;
  std::vector<std::string> Commands, Sent;
  std::vector<bool> Forwarded;
  bool Collect = false;
  int Refreshes = 0;
  void AddCharacter(char) override {}
  void AddCommand(std::string_view t, bool f) override {
    std::lock_guard<std::mutex> g(M);
    Commands.emplace_back(t);
    Forwarded.push_back(f);
  }
  void AddSentLine(std::string_view t) override {
    std::lock_guard<std::mutex> g(M);
    Sent.emplace_back(t);
  }
  void StartCollecting() override { Collect = true; }
  void StopCollecting() override { Collect = false; }
  bool Collecting() const override { return Collect; }
  void Refresh() override { ++Refreshes; }
};

struct FakeHost : TTerminalHost {
  std::vector<TConnectState> States;
  bool Blink = false, Poll = false, InterfacePage = false;
  int Compiles = 0;
  std::vector<bool> Alive;
  std::vector<std::pair<TNotification, bool>> Labels;
  void ShowConnectState(TConnectState s) override { States.push_back(s); }
  void ProcessPendingEvents() override {}
  void SetBlinkTimerEnabled(bool on) override { Blink = on; }
  void SetPollTimerEnabled(bool on) override { Poll = on; }
  void SetAlive(bool on) override { Alive.push_back(on); }
  void ShowNotification(TNotification n, bool e) override { Labels.push_back({n, e}); }
  void ShowInterfacePage() override { InterfacePage = true; }
  void CompileIfPending() override { ++Compiles; }
};

// An interface that opens (or not) on request and records what it is given.
struct FakePort : TIXPort {
  bool Opens = true;
  std::atomic<bool> Lost{false};
  std::atomic<int> Starts{0};
  std::mutex M;
  std::vector<std::string> Sent;
  void Connect() override {
    if (IsConnected()) return;
    Connected.store(Opens);
    TIXPort::Connect();
  }
  void Disconnect() override { Connected.store(false); }
  void StartReceiving() override { Starts.fetch_add(1); }
  bool ConnectionLost() override { return Lost.load(); }
  void SendText(std::string_view t) override {
    std::lock_guard<std::mutex> g(M);
    Sent.emplace_back(t);
  }
  size_t SentCount() {
    std::lock_guard<std::mutex> g(M);
    return Sent.size();
  }
};

class TerminalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Notifications.ClearAll();
    Triggers.Term = &Term;
    Term.SetTriggers(&Triggers);
    Term.SetConsole(&Console);
    Term.SetHost(&Host);
    Term.SetTerminalView(&View);
    Term.SetPorts(&TPortList::Instance());
    Set.SetWalk(&Sheets);
    Term.SetInstruments(&Set);
    Sheets.Sheets.resize(1);
  }
  void TearDown() override {
    Term.Disconnect();
    TPortList::Instance().SetTerminalSink(nullptr);
    for (auto* p : Ports)
      delete p;
  }
  FakePort* AddPort(bool opens = true) {
    auto* p = new FakePort;
    p->Opens = opens;
    Ports.push_back(p);
    return p;
  }
  TIXElementBase* AddInstrument(int mode, std::initializer_list<int> channels) {
    auto* e = new TIXElementBase;
    Owned.emplace_back(e);
    e->InputMode = mode;
    e->CompiledOk = true;
    for (int c : channels) {
      e->ReferencedChannels.Add(c);
      Term.AddDependent(c, e);
    }
    Sheets.Sheets[0].Instruments.push_back(e);
    return e;
  }

  TTerminal Term;
  FakeTriggers Triggers;
  FakeConsole Console;
  FakeHost Host;
  FakeTermView View;
  TSheetModelList Sheets;
  TInstrumentSet Set;
  std::vector<FakePort*> Ports;
  std::vector<std::unique_ptr<TIXElementBase>> Owned;
};

// ------------------------------------------------------------------ ProcessCommand

TEST_F(TerminalTest, ProcessCommandStoresValidCommandsAndIgnoresTheRest) {
  struct Case {
    const char* Frame;
    int Channel;
    double Value;  // NAN: the command must change nothing
  };
  const Case cases[] = {
      {"#5F12,3;", 5, 12.3},   {"#5F12.3;", 5, 12.3},
      {"#05F1;", 5, 1},        {"#123F-4.5E3;", 123, -4500},
      {"#999F2;", 999, 2},     {"#7F 3 ;", 7, 3},
      {"#5F1.234,5;", 5, NAN}, {"#1000F1;", 100, NAN},
      {"#5f1;", 5, NAN},       {"#5F;", 5, NAN},
      {"#5F1", 5, NAN},        {"5F1;", 5, NAN},
      {"#-5F1;", 5, NAN},      {"# 5F1;", 5, NAN},
      {"#5X1;", 5, NAN},       {"#5Fabc;", 5, NAN},
      {"#F1;", 1, NAN},
  };
  for (const Case& c : cases) {
    Term.Channel(c.Channel).Value.store(-1);
    Term.ProcessCommand(c.Frame, nullptr, true);
    EXPECT_EQ(Term.ChannelValue(c.Channel), std::isnan(c.Value) ? -1 : c.Value) << c.Frame;
  }
}

TEST_F(TerminalTest, TypeLetterInsidePayloadDoesNotConfuseTheChannel) {
  Term.ProcessCommand("#12SFS;", nullptr, true);
  EXPECT_EQ(Term.ChannelText(12), "FS");
  Term.ProcessCommand("#005S;", nullptr, true);
  EXPECT_EQ(Term.ChannelText(5), "");
  Term.ProcessCommand("#25STest;", nullptr, true);
  EXPECT_EQ(Term.ChannelText(25), "Test");
}

TEST_F(TerminalTest, TriggersDependentsInOrderAndOnlyWhenNotified) {
  auto* a = AddInstrument(1, {5});
  auto* b = AddInstrument(1, {6, 5});
  EXPECT_TRUE(Term.ProcessCommand("#5F2;", nullptr, true));
  ASSERT_EQ(Triggers.Calls.size(), 2u);
  EXPECT_EQ(Triggers.Calls[0].first, a);
  EXPECT_EQ(Triggers.Calls[1].first, b);
  EXPECT_EQ(a->ReadValue(), 2);
  EXPECT_TRUE(a->Changed.load());

  Triggers.Calls.clear();
  EXPECT_FALSE(Term.ProcessCommand("#5F7;", nullptr, false));  // silent: stored only
  EXPECT_TRUE(Triggers.Calls.empty());
  EXPECT_EQ(Term.ChannelValue(5), 7);

  EXPECT_TRUE(Term.ProcessCommand("#6SHallo;", nullptr, true));
  ASSERT_EQ(Triggers.Calls.size(), 1u);
  EXPECT_EQ(Triggers.Calls[0].second, 'S');
  EXPECT_EQ(b->ReadText(), "Hallo");
  EXPECT_FALSE(Term.ProcessCommand("#8F1;", nullptr, true));  // nobody listens
}

TEST_F(TerminalTest, ChannelZeroGoesToTheConsoleOnly) {
  Term.Channel(0).Value.store(3);
  EXPECT_FALSE(Term.ProcessCommand("#0F12,3;", nullptr, true));  // console inactive
  Console.Active = true;
  EXPECT_TRUE(Term.ProcessCommand("#0F12,3;", nullptr, true));
  EXPECT_TRUE(Term.ProcessCommand("#0SEins\\n;", nullptr, true));
  EXPECT_EQ(Console.Texts, (std::vector<std::string>{"F12,3", "SEins\\n"}));
  EXPECT_EQ(Term.ChannelValue(0), 3);
}

TEST_F(TerminalTest, FilterOfTheOriginatingInterfaceAppliesFromChannel50) {
  FakePort* p = AddPort();
  p->FilterActive.store(true);
  p->FilterMin.store(100);
  p->FilterMax.store(200);
  const std::pair<const char*, int> cases[] = {
      {"#60F1;", 60}, {"#49F1;", 49}, {"#150F1;", 150}, {"#201F1;", 201}, {"#100F1;", 100}};
  const bool stored[] = {false, true, true, false, true};
  for (size_t i = 0; i < std::size(cases); ++i) {
    Term.Channel(cases[i].second).Value.store(0);
    Term.ProcessCommand(cases[i].first, p, true);
    EXPECT_EQ(Term.ChannelValue(cases[i].second) == 1, stored[i]) << cases[i].first;
  }
  Term.ProcessCommand("#60F1;", nullptr, true);  // no interface: no filter
  EXPECT_EQ(Term.ChannelValue(60), 1);
}

TEST_F(TerminalTest, ReceiveFrameEchoesToTheTerminalInterfaceOnly) {
  FakePort* p = AddPort();
  FakePort* q = AddPort();
  TPortList::Instance().SelectTerminalInterface(1);
  AddInstrument(1, {5});
  Term.ReceiveFrame("#5F1;", p, true);
  Term.ReceiveFrame("#6F1;", p, true);
  Term.ReceiveFrame("#5F1;", q, true);
  EXPECT_EQ(View.Commands, (std::vector<std::string>{"'#5F1;'", "'#6F1;'"}));
  EXPECT_EQ(View.Forwarded, (std::vector<bool>{true, false}));
}

// ------------------------------------------------------------------ framing

std::vector<std::string> FrameStream(std::initializer_list<std::string_view> chunks) {
  TFramer f;
  std::vector<std::string> out;
  for (auto c : chunks)
    f.Feed(c.data(), c.size(), [&](std::string_view fr, bool notify) {
      out.push_back((notify ? "" : "/") + std::string(fr));
    });
  return out;
}

std::vector<std::string> FrameDatagrams(std::initializer_list<std::string_view> grams) {
  std::vector<std::string> out;
  for (auto g : grams)
    TFramer::ScanDatagram(g.data(), g.size(), [&](std::string_view fr, bool notify) {
      out.push_back((notify ? "" : "/") + std::string(fr));
    });
  return out;
}

using Frames = std::vector<std::string>;

TEST(Framer, StreamRules) {
  EXPECT_EQ(FrameStream({"#5F1#6F2;"}), (Frames{"#6F2;"}));        // second "#" restarts
  EXPECT_EQ(FrameStream({"#5F", "12,3;"}), (Frames{"#5F12,3;"}));  // spans reads
  EXPECT_EQ(FrameStream({"x/#5F7;#6F1;"}), (Frames{"/#5F7;", "#6F1;"}));
  EXPECT_EQ(FrameStream({"/", "#5F7;"}), (Frames{"/#5F7;"}));    // "/" from the previous read
  EXPECT_EQ(FrameStream({"#1SA\r\nB;"}), (Frames{"#1SA\rB;"}));  // LF after CR dropped
  EXPECT_EQ(FrameStream({"#1SA\nB\x01\t;"}), (Frames{"#1SA\nB;"}));
  EXPECT_EQ(FrameStream({"junk;#2F1;;"}), (Frames{"#2F1;"}));
}

TEST(Framer, LengthLimitIs255IncludingHashAndSemicolon) {
  std::string ok = "#1S" + std::string(251, 'a') + ";";
  ASSERT_EQ(ok.size(), 255u);
  std::string tooLong = "#1S" + std::string(252, 'a') + ";";
  EXPECT_EQ(FrameStream({ok}), (Frames{ok}));
  EXPECT_TRUE(FrameStream({tooLong}).empty());
  // After an overflow the stream resumes with the next "#", even right at the limit.
  EXPECT_EQ(FrameStream({tooLong, "#2F1;"}), (Frames{"#2F1;"}));
  EXPECT_EQ(FrameStream({"#1S" + std::string(252, 'a') + "#2F1;"}), (Frames{"#2F1;"}));
  // Control characters take no position.
  std::string withControls = "#1S" + std::string(251, 'a') + "\x01\x02;";
  EXPECT_EQ(FrameStream({withControls}).size(), 1u);
}

TEST(Framer, DatagramsAreScannedOneByOne) {
  EXPECT_EQ(FrameDatagrams({"#5F1;#6F2;"}), (Frames{"#5F1;", "#6F2;"}));
  EXPECT_EQ(FrameDatagrams({"#5F", "1;"}), (Frames{}));          // never continues
  EXPECT_EQ(FrameDatagrams({"/", "#5F1;"}), (Frames{"#5F1;"}));  // start of datagram notifies
  std::string overflow = "#1S" + std::string(300, 'a') + ";x#2F1;";
  EXPECT_EQ(FrameDatagrams({overflow}), (Frames{}));  // rest discarded after overflow
}

// ------------------------------------------------------------------ connecting

TEST_F(TerminalTest, ConnectWithoutEnabledInterfacesSucceeds) {
  AddPort()->SetDisabled(true);
  Term.Connect();
  EXPECT_TRUE(Term.IsConnected());
  EXPECT_EQ(Host.States,
            (std::vector<TConnectState>{TConnectState::Connecting, TConnectState::Connected}));
  EXPECT_TRUE(Host.Blink);
  EXPECT_TRUE(Host.Poll);
  EXPECT_EQ(Host.Compiles, 1);
  EXPECT_EQ(Ports[0]->Starts.load(), 0);
  EXPECT_STREQ(ConnectStateText(TConnectState::Connected), "Verbunden");
  EXPECT_EQ(ConnectStateColor(TConnectState::Connecting), 0x00FFFFu);
  Term.Disconnect();
  EXPECT_FALSE(Term.IsConnected());
  EXPECT_FALSE(Host.Blink);
  EXPECT_EQ(Host.States.back(), TConnectState::Disconnected);
}

TEST_F(TerminalTest, AnyOpenInterfaceConnectsButTheFailureIsNotified) {
  FakePort* good = AddPort(true);
  AddPort(false);
  Term.Connect();
  EXPECT_TRUE(Term.IsConnected());
  EXPECT_EQ(good->Starts.load(), 1);
  EXPECT_TRUE(Notifications.ConnLost.load());
  Term.BlinkTimerTick();  // shows the label and clears the flag
  EXPECT_FALSE(Notifications.ConnLost.load());
  EXPECT_EQ(Host.Labels.back(), std::make_pair(TNotification::ConnLost, true));
}

TEST_F(TerminalTest, FailedConnectStaysDisconnectedAndShowsInterfaces) {
  FakePort* bad = AddPort(false);
  Term.Connect();
  EXPECT_FALSE(Term.IsConnected());
  EXPECT_FALSE(bad->IsConnected());
  EXPECT_TRUE(Host.InterfacePage);
  EXPECT_EQ(Host.States.back(), TConnectState::Disconnected);
  bool deliverable = true;
  Term.Send(20, "#20F1;", deliverable);  // not connected: nothing, flag untouched
  EXPECT_TRUE(deliverable);
  EXPECT_EQ(bad->SentCount(), 0u);
}

TEST_F(TerminalTest, LosingTheLastInterfaceDisconnectsOnThePollTick) {
  FakePort* a = AddPort();
  FakePort* b = AddPort();
  Term.Connect();
  a->Lost.store(true);
  Term.PollTimerTick();
  EXPECT_TRUE(Term.IsConnected());
  EXPECT_FALSE(a->IsConnected());
  b->Lost.store(true);
  Term.PollTimerTick();
  EXPECT_FALSE(Term.IsConnected());
  EXPECT_TRUE(Notifications.ConnLost.load() || !Host.Labels.empty());
}

TEST_F(TerminalTest, SendGoesToAdmittingInterfacesAndIsEchoed) {
  FakePort* filtered = AddPort();
  filtered->FilterActive.store(true);
  filtered->FilterMin.store(100);
  filtered->FilterMax.store(200);
  FakePort* open = AddPort();
  TPortList::Instance().SetTerminalSink(&View);
  TPortList::Instance().SelectTerminalInterface(1);
  Term.Connect();
  bool d = false;
  Term.Send(150, "#150F1;", d);
  EXPECT_TRUE(d);
  Term.Send(300, "#300F1;", d);
  Term.Send(20, "#20F1;", d);
  ASSERT_TRUE(WaitFor([&] { return open->SentCount() == 3 && filtered->SentCount() == 2; }));
  EXPECT_EQ(filtered->Sent, (std::vector<std::string>{"#150F1;", "#20F1;"}));
  EXPECT_EQ(open->Sent, (std::vector<std::string>{"#150F1;", "#300F1;", "#20F1;"}));
  std::lock_guard<std::mutex> g(View.M);
  EXPECT_EQ(View.Sent, (std::vector<std::string>{"'#150F1;'", "'#20F1;'"}));
}

TEST_F(TerminalTest, SendIsOnTheWireWellWithinTheTransmitPeriod) {
  FakePort* p = AddPort();
  Term.Connect();
  ASSERT_TRUE(WaitFor([&] { return p->SentCount() == 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let the thread go idle
  auto t0 = std::chrono::steady_clock::now();
  bool d;
  Term.Send(1, "#1F1;", d);
  ASSERT_TRUE(WaitFor([&] { return p->SentCount() == 1; }));
  auto us =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
  EXPECT_LT(us.count(), 8000);  // woken at once, not at the next 10 ms period
}

TEST_F(TerminalTest, SimulationFields) {
  AddInstrument(1, {1});
  EXPECT_TRUE(Term.ReceiveSimulation("  #1F10;"));
  EXPECT_EQ(Term.ChannelValue(1), 10);
  EXPECT_FALSE(Term.ReceiveSimulation("x/#1F11;"));  // silent
  EXPECT_EQ(Term.ChannelValue(1), 11);
  EXPECT_FALSE(Term.ReceiveSimulation("no command"));
  EXPECT_FALSE(Host.Alive.empty());  // one blink tick ran to show the result

  FakePort* p = AddPort();
  Term.SendSimulation("#25STest;");  // not connected: nothing
  Term.Connect();
  Term.SendSimulation("#25STest;");
  p->FilterActive.store(true);  // channel 1 is broadcast: filters never apply
  Term.SendSimulation("#60F1;");
  ASSERT_TRUE(WaitFor([&] { return p->SentCount() == 2; }));
}

TEST_F(TerminalTest, ResetValuesClearsNumbersButKeepsTexts) {
  Term.ProcessCommand("#3F4;", nullptr, true);
  Term.ProcessCommand("#3SAbc;", nullptr, true);
  Term.ResetValues();
  EXPECT_EQ(Term.ChannelValue(3), 0);
  EXPECT_EQ(Term.ChannelText(3), "Abc");
}

TEST_F(TerminalTest, DependencyMaintenance) {
  TIXElementBase a, b;
  Term.AddDependent(5, &a);
  Term.AddDependent(5, &a);
  Term.AddSecondaryDependent(5, &a);
  Term.AddSecondaryDependent(5, &b);
  EXPECT_EQ(Term.Channel(5).Dependents.Count(), 1);
  EXPECT_TRUE(Term.Channel(5).HasDependents);
  EXPECT_EQ(Term.Channel(5).SecondaryDependents.Count(), 1);
  Term.ClearDependents();
  Term.ClearSecondaryDependents();
  EXPECT_EQ(Term.Channel(5).Dependents.Count(), 0);
  EXPECT_EQ(Term.Channel(5).SecondaryDependents.Count(), 0);
}

TEST_F(TerminalTest, SendQueueOverflowSetsSendLoss) {
  // No transmit thread drains the queue here: the 102nd entry is lost.
  for (int i = 0; i < 101; ++i)
    Term.GetSendQueue().Push("#1F1;", 1);
  EXPECT_FALSE(Notifications.SendLoss.load());
  Term.GetSendQueue().Push("#1F1;", 1);
  EXPECT_TRUE(Notifications.SendLoss.load());
}

// ------------------------------------------------------------------ threads

TEST_F(TerminalTest, ProducersSendWhileReceiversProcess) {
  FakePort* p = AddPort();
  auto* e = AddInstrument(1, {5});
  AddInstrument(2, {6});
  Term.Connect();
  constexpr int PerThread = 2000;
  std::vector<std::thread> threads;
  std::atomic<int> sent{0};
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      bool d;
      for (int i = 0; i < PerThread; ++i) {
        Term.Send(1, "#1F1;", d);
        sent.fetch_add(1);
        if (i % 64 == 0) std::this_thread::yield();
      }
    });
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&, t] {
      TFramer f;
      std::string chunk = "#5F" + std::to_string(t) + ";#6SX;/#7F1;";
      for (int i = 0; i < PerThread; ++i)
        f.Feed(chunk.data(), chunk.size(),
               [&](std::string_view fr, bool n) { Term.ReceiveFrame(fr, p, n); });
    });
  std::thread reader([&] {
    for (int i = 0; i < 200; ++i) {
      (void)e->ReadValue();
      Set.RefreshAll();
      (void)Term.ChannelValue(5);
    }
  });
  for (auto& t : threads)
    t.join();
  reader.join();
  // Nothing is lost unless the queue overflowed, which the flag tells.
  EXPECT_TRUE(WaitFor([&] {
    return Notifications.SendLoss.load() || p->SentCount() == static_cast<size_t>(sent.load());
  }));
  Term.Disconnect();
  EXPECT_EQ(Term.ChannelText(6), "X");
}

}  // namespace

namespace {
TEST_F(TerminalTest, ForgottenInstrumentIsNeverTriggeredAgain) {
  auto* a = AddInstrument(1, {5, 6});
  Term.ForgetInstrument(a);
  EXPECT_FALSE(Term.ProcessCommand("#5F1;", nullptr, true));
  EXPECT_FALSE(Term.Channel(6).HasDependents);
  EXPECT_TRUE(Triggers.Calls.empty());
}
}  // namespace
