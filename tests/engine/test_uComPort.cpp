#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "ports/uComPort.h"
#include "ports/uUDPPort.h"
#include "uPortTestKit.h"

using namespace tessaro;
using namespace tessaro::testkit;

namespace {

TEST(ComLineAttributes, DataBitsParityAndStopBitsReachTheControlFlags) {
  struct Case {
    TComSettings S;
    tcflag_t Size;
    tcflag_t ParityFlags;  // of PARENB | PARODD | CMSPAR
    bool TwoStop;
  } cases[] = {
      {{115200, 8, 'N', 0}, CS8, 0, false},
      {{9600, 7, 'E', 0}, CS7, PARENB, false},
      {{9600, 7, 'O', 2}, CS7, PARENB | PARODD, true},
      {{9600, 8, 'M', 0}, CS8, PARENB | PARODD | CMSPAR, false},
      {{9600, 8, 'S', 2}, CS8, PARENB | CMSPAR, true},
  };
  termios dirty{};
  // Start from a cooked line with flow control on: all of it must go.
  dirty.c_iflag = ICRNL | IXON | IXOFF | INLCR | ISTRIP;
  dirty.c_oflag = OPOST | ONLCR;
  dirty.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  dirty.c_cflag = CS5 | CRTSCTS | PARENB | CSTOPB;
  for (const Case& c : cases) {
    bool standard = false;
    termios t = MakeLineAttributes(dirty, c.S, standard);
    SCOPED_TRACE(std::string(1, c.S.Parity) + std::to_string(c.S.DataBits));
    EXPECT_TRUE(standard);
    EXPECT_EQ(t.c_cflag & CSIZE, c.Size);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.ParityFlags);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.TwoStop);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), CREAD | CLOCAL);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(LineSettingsOf(t).Parity, c.S.Parity);
    EXPECT_EQ(LineSettingsOf(t).DataBits, c.S.DataBits);
    EXPECT_EQ(LineSettingsOf(t).StopBits, c.S.StopBits);
  }
}

TEST(ComLineAttributes, RatesWithoutConstantAreLeftForTheKernelInterface) {
  termios base{};
  for (int baud : {300, 9600, 115200, 921600}) {
    bool standard = false;
    termios t = MakeLineAttributes(base, {baud, 8, 'N', 0}, standard);
    EXPECT_TRUE(standard) << baud;
    EXPECT_NE(cfgetospeed(&t), B0) << baud;
  }
  for (int baud : {7200, 14400, 250000, 12345}) {
    bool standard = true;
    MakeLineAttributes(base, {baud, 8, 'N', 0}, standard);
    EXPECT_FALSE(standard) << baud;
  }
}

TEST(ComPortSettings, DefaultsSummaryAndTolerantSetters) {
  TComPort p;
  EXPECT_EQ(p.GetBaud(), 115200);
  EXPECT_EQ(p.GetDataBits(), 8);
  EXPECT_EQ(p.GetParity(), "N");
  EXPECT_EQ(p.GetStopBits(), 0);
  EXPECT_EQ(p.GetFilterMin(), 50);
  EXPECT_EQ(p.GetFilterMax(), 999);
  p.SetDevice("/dev/ttyUSB0");
  p.SetBaud(-9600);  // a negative rate is made positive
  EXPECT_EQ(p.Summary(), "/dev/ttyUSB0 | 9600");
  p.SetBaud(0);
  EXPECT_EQ(p.GetBaud(), 9600);
  p.SetParity("Even");
  EXPECT_EQ(p.GetParity(), "E");
  p.SetParity("x");
  EXPECT_EQ(p.GetParity(), "N");
}

// A serial interface on a pseudo-terminal, connected through the real router.
class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Pty.SlaveName.empty());
    Notifications.ClearAll();
    Term.SetPorts(&TPortList::Instance());
    Term.SetTerminalView(&View);
    Term.SetHost(&Host);
    TPortList::Instance().SetTerminalSink(&View);
    Port = new TComPort;
    Port->SetDevice(Pty.SlaveName);
    Port->SetView(&Box);
    TPortList::Instance().SelectTerminalInterface(1);
  }
  void TearDown() override {
    Term.Disconnect();
    TPortList::Instance().SetTerminalSink(nullptr);
    TPortList::Instance().RemoveAll();
  }
  void ConnectSystem() {
    Term.Connect();
    ASSERT_TRUE(Term.IsConnected());
    ASSERT_TRUE(Port->IsConnected());
  }

  TPty Pty;
  TTerminal Term;
  TRecordingTerminal View;
  TRecordingHost Host;
  TRecordingView Box;
  TComPort* Port = nullptr;
};

TEST_F(ComPortTest, ConnectReadsTheSettingsBackIncludingRatesWithoutConstant) {
  for (int baud : {9600, 115200, 7200, 250000}) {
    Port->SetBaud(baud);
    Port->Connect();
    ASSERT_TRUE(Port->IsConnected()) << baud;
    EXPECT_EQ(Port->ActiveSettings().Baud, baud);
    Port->Disconnect();
  }
  // A pseudo-terminal always runs 8 data bits without parity; the read-back says so.
  Port->SetDataBits(7);
  Port->SetParity("E");
  Port->Connect();
  ASSERT_TRUE(Port->IsConnected());
  EXPECT_EQ(Port->ActiveSettings().DataBits, 8);
  EXPECT_EQ(Port->ActiveSettings().Parity, 'N');
  EXPECT_EQ(Box.Shown.back(), IndicatorConnected);
}

TEST_F(ComPortTest, MissingDeviceOrNonTerminalStaysClosedWithRedIndicator) {
  for (const char* dev : {"/nonexistent/ttyUSB9", "/dev/null"}) {
    Port->SetDevice(dev);
    Notifications.ClearAll();
    EXPECT_FALSE(TPortList::Instance().ConnectAll()) << dev;
    EXPECT_FALSE(Port->IsConnected());
    EXPECT_TRUE(Notifications.ConnLost.load());
    EXPECT_EQ(Box.Shown.back(), IndicatorNotConnected);
  }
}

TEST_F(ComPortTest, FramesSpanningReadsWithPausesAreAssembled) {
  ConnectSystem();
  Pty.Write("noise#5F1");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the pause under test
  Pty.Write("2,");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  Pty.Write("3;#25STe");
  Pty.Write("st;/#7F9;");
  ASSERT_TRUE(WaitFor([&] { return View.CommandCount() == 3; }));
  EXPECT_EQ(View.TakeCommands(),
            (std::vector<std::string>{"'#5F12,3;'", "'#25STest;'", "'#7F9;'"}));
  EXPECT_DOUBLE_EQ(Term.ChannelValue(5), 12.3);
  EXPECT_EQ(Term.ChannelText(25), "Test");
  EXPECT_DOUBLE_EQ(Term.ChannelValue(7), 9);
  // The raw characters reach the terminal's character box as they came.
  EXPECT_EQ(View.TakeChars(), "noise#5F12,3;#25STest;/#7F9;");
}

TEST_F(ComPortTest, UnpluggedMidFrameClosesTheFrameThenThePollTickDisconnects) {
  ConnectSystem();
  Pty.Write("#5F12");
  ASSERT_TRUE(WaitFor([&] { return View.TakeChars() == "#5F12"; }));
  Pty.CloseMaster();  // the adapter is pulled
  ASSERT_TRUE(WaitFor([&] { return Port->LastError() == ComErrorHangUp; }));
  EXPECT_TRUE(Port->ConnectionLost());
  EXPECT_DOUBLE_EQ(Term.ChannelValue(5), 12);  // closed as #5F12;
  EXPECT_EQ(View.TakeCommands(), (std::vector<std::string>{"'#5F12;'"}));
  EXPECT_TRUE(Term.IsConnected());
  Term.PollTimerTick();
  EXPECT_FALSE(Port->IsConnected());
  EXPECT_TRUE(Host.Raised(TNotification::ConnLost));
  EXPECT_FALSE(Term.IsConnected());  // it was the only interface
  EXPECT_EQ(Host.State, TConnectState::Disconnected);
}

TEST_F(ComPortTest, LosingOneOfTwoInterfacesKeepsTheSystemConnected) {
  auto* udp = new TUDPPort;
  udp->SetIp("127.0.0.1");
  udp->SetPort("0");
  ConnectSystem();
  ASSERT_TRUE(udp->IsConnected());
  Pty.CloseMaster();
  ASSERT_TRUE(WaitFor([&] { return Port->ConnectionLost(); }));
  Term.PollTimerTick();
  EXPECT_FALSE(Port->IsConnected());
  EXPECT_TRUE(Notifications.ConnLost.load());
  EXPECT_TRUE(Term.IsConnected());
  EXPECT_TRUE(udp->IsConnected());
}

TEST_F(ComPortTest, SentCommandsGoOutAsWrittenAndAreNotHeldUpByReception) {
  ConnectSystem();
  // The receive thread is waiting for input the whole time.
  bool deliverable = false;
  auto t0 = std::chrono::steady_clock::now();
  Term.Send(3, "#3F1;", deliverable);
  std::string got = Pty.Read(5);
  auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_TRUE(deliverable);
  EXPECT_EQ(got, "#3F1;");                          // nothing appended
  EXPECT_LT(took, std::chrono::milliseconds(500));  // generous: milliseconds in practice
  std::string all;
  for (int i = 0; i < 50; ++i) {
    std::string c = "#60F" + std::to_string(i) + ";";
    all += c;
    Term.Send(60, c, deliverable);
  }
  EXPECT_EQ(Pty.Read(all.size()), all);
}

TEST_F(ComPortTest, GarbageFloodDoesNotStopReception) {
  ConnectSystem();
  std::mt19937 rng(7);
  std::string junk(1 << 20, '\0');
  for (char& c : junk) {
    c = static_cast<char>(rng() % 256);
    if (c == '#') c = 'x';
  }
  // Overlong frames and control characters in between.
  junk += "#1F" + std::string(400, '9') + ";";
  for (size_t i = 0; i < junk.size(); i += 65536)
    Pty.Write(std::string_view(junk).substr(i, 65536));
  Pty.Write("#8F4,5;");
  ASSERT_TRUE(WaitFor([&] { return Term.ChannelValue(8) == 4.5; }, 20000));
  EXPECT_DOUBLE_EQ(Term.ChannelValue(1), 0);
}

}  // namespace
