#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "core/uTerminal.h"
#include "ports/uUDPPort.h"
#include "uPortTestKit.h"

using namespace tessaro;
using namespace tessaro::testkit;

namespace {

// A plain socket on 127.0.0.1 playing the peer device.
struct TPeer {
  int Fd = -1;
  int Port = 0;
  TPeer() {
    Fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
    Port = ntohs(a.sin_port);
  }
  ~TPeer() { close(Fd); }
  void SendTo(int port, std::string_view s) const {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    sendto(Fd, s.data(), s.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  // The next datagram, or "<none>" after ms.
  std::string Receive(int ms = 5000) const {
    pollfd p{Fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return "<none>";
    char buf[65536];
    ssize_t n = recv(Fd, buf, sizeof buf, 0);
    return n < 0 ? "<error>" : std::string(buf, static_cast<size_t>(n));
  }
};

TEST(UDPPortSettings, DefaultsNeverLeaveThisMachine) {
  TUDPPort p;
  EXPECT_EQ(p.GetIp(), "0.0.0.0");
  EXPECT_EQ(p.GetPort(), "15005");
  EXPECT_EQ(p.GetClientIp(), "127.0.0.1");
  EXPECT_EQ(p.GetClientPort(), "15005");
  EXPECT_EQ(p.Summary(), "UDP 127.0.0.1 /15005");
}

TEST(UDPPortSettings, OwnAddressesIncludeLoopback) {
  std::vector<std::string> own = OwnAddresses();
  EXPECT_NE(std::find(own.begin(), own.end(), "127.0.0.1"), own.end());
}

class UDPPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Term.SetPorts(&TPortList::Instance());
    Term.SetTerminalView(&View);
    TPortList::Instance().SetTerminalSink(&View);
    Port = new TUDPPort;
    Port->SetIp("127.0.0.1");
    Port->SetPort("0");
    Port->SetClientIp("127.0.0.1");
    Port->SetClientPort(std::to_string(Peer.Port));
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
    ASSERT_GT(Port->BoundPort(), 0);
  }
  void Datagram(std::string_view s) const { Peer.SendTo(Port->BoundPort(), s); }
  // A marker datagram: once it is through, everything sent before it has been scanned.
  void Sync() {
    static int n = 0;
    std::string cmd = "#48F" + std::to_string(++n) + ";";
    Datagram(cmd);
    ASSERT_TRUE(WaitFor([&] { return Term.ChannelValue(48) == n; }));
  }

  TPeer Peer;
  TTerminal Term;
  TRecordingTerminal View;
  TUDPPort* Port = nullptr;
};

TEST_F(UDPPortTest, EachDatagramIsFramedOnItsOwn) {
  ConnectSystem();
  Datagram("#5F12,3;#25STest;");            // two commands, both in order
  Datagram("xx#6F1");                       // unterminated ...
  Datagram("2;#7F1;");                      // ... its continuation is no frame either, #7 is
  Datagram("#8F" + std::string(300, '1'));  // overflow: the rest is not looked at
  Datagram(std::string(250, 'x') + "#9F1;");
  Sync();
  std::vector<std::string> cmds = View.TakeCommands();
  cmds.pop_back();  // the marker
  EXPECT_EQ(cmds, (std::vector<std::string>{"'#5F12,3;'", "'#25STest;'", "'#7F1;'", "'#9F1;'"}));
  EXPECT_DOUBLE_EQ(Term.ChannelValue(5), 12.3);
  EXPECT_EQ(Term.ChannelText(25), "Test");
  EXPECT_DOUBLE_EQ(Term.ChannelValue(6), 0);
  EXPECT_DOUBLE_EQ(Term.ChannelValue(8), 0);
  std::string chars = View.TakeChars();
  EXPECT_EQ(chars.substr(0, 32), "#5F12,3;#25STest;|xx#6F1|2;#7F1;");
}

TEST_F(UDPPortTest, FilterOfTheInterfaceAppliesToReceivedCommands) {
  Port->SetFilterActive(true);
  Port->SetFilterMin(100);
  Port->SetFilterMax(200);
  ConnectSystem();
  Datagram("#60F1;#150F2;#49F3;");
  Sync();
  EXPECT_DOUBLE_EQ(Term.ChannelValue(60), 0);
  EXPECT_DOUBLE_EQ(Term.ChannelValue(150), 2);
  EXPECT_DOUBLE_EQ(Term.ChannelValue(49), 3);
}

TEST_F(UDPPortTest, OnlyTheConfiguredPeerIsHeard) {
  ConnectSystem();
  TPeer stranger;
  stranger.SendTo(Port->BoundPort(), "#11F5;");
  Sync();
  EXPECT_DOUBLE_EQ(Term.ChannelValue(11), 0);
}

TEST_F(UDPPortTest, EveryCommandIsOneDatagramAndLeavesAtOnce) {
  ConnectSystem();
  bool deliverable = false;
  auto t0 = std::chrono::steady_clock::now();
  Term.Send(5, "#5F1;", deliverable);
  EXPECT_EQ(Peer.Receive(), "#5F1;");
  // Generous for a loaded machine; in practice well under a millisecond.
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(500));
  for (int i = 0; i < 100; ++i)
    Term.Send(7, "#7F" + std::to_string(i) + ";", deliverable);
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(Peer.Receive(), "#7F" + std::to_string(i) + ";");
  EXPECT_EQ(View.TakeSent().front(), "'#5F1;'");
}

TEST_F(UDPPortTest, LargeAndGarbageDatagramsDoNotStopReception) {
  ConnectSystem();
  std::string big(65000, 'z');
  big.replace(big.size() - 8, 8, "#12F7,5;");
  Datagram(big);
  for (int i = 0; i < 2000; ++i)
    Datagram(std::string(1 + i % 700, static_cast<char>(i % 256)));
  Sync();
  EXPECT_DOUBLE_EQ(Term.ChannelValue(12), 7.5);
}

TEST_F(UDPPortTest, BindFailureLeavesThePortClosed) {
  ConnectSystem();
  TUDPPort second;
  second.SetIp("127.0.0.1");
  second.SetPort(std::to_string(Port->BoundPort()));  // taken
  second.Connect();
  EXPECT_FALSE(second.IsConnected());
  EXPECT_FALSE(second.LastErrorText().empty());
  TUDPPort bad;
  bad.SetPort("70000");
  bad.Connect();
  EXPECT_FALSE(bad.IsConnected());
}

}  // namespace
