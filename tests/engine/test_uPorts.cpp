#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "persist/uFileLoader.h"
#include "ports/uComPort.h"
#include "ports/uDeviceScan.h"
#include "ports/uPorts.h"
#include "ports/uUDPPort.h"
#include "ports/uURLPort.h"
#include "uPortTestKit.h"

using namespace tessaro;
using namespace tessaro::testkit;
namespace fs = std::filesystem;

namespace {

struct TListPort : TIXPort {
  bool Opens = true;
  bool Lost = false;
  std::vector<std::string> Sent;
  void Connect() override {
    if (IsConnected()) return;
    Connected.store(Opens);
    TIXPort::Connect();
  }
  void Disconnect() override { Connected.store(false); }
  void StartReceiving() override {}
  bool ConnectionLost() override { return Lost; }
  void SendText(std::string_view t) override { Sent.emplace_back(t); }
};

class PortListTest : public ::testing::Test {
 protected:
  void SetUp() override { Notifications.ClearAll(); }
  void TearDown() override {
    TPortList::Instance().SetTerminalSink(nullptr);
    TPortList::Instance().RemoveAll();
  }
  TListPort* Add() { return new TListPort; }
  TPortList& List = TPortList::Instance();
};

TEST_F(PortListTest, SendToPortsAndCanSendFollowTheFilter) {
  TListPort* filtered = Add();
  TListPort* open = Add();
  filtered->SetFilterActive(true);
  filtered->SetFilterMin(100);
  filtered->SetFilterMax(200);
  ASSERT_TRUE(List.ConnectAll());
  struct Case {
    int Channel;
    bool ToFiltered;
  } cases[] = {{150, true}, {300, false}, {20, true}, {100, true}, {200, true}, {99, false}};
  for (const Case& c : cases) {
    filtered->Sent.clear();
    open->Sent.clear();
    List.SendToPorts("#x;", c.Channel);
    EXPECT_EQ(filtered->Sent.size(), c.ToFiltered ? 1u : 0u) << c.Channel;
    EXPECT_EQ(open->Sent.size(), 1u) << c.Channel;
  }
  open->Disconnect();
  EXPECT_TRUE(List.CanSend(150));
  EXPECT_FALSE(List.CanSend(300));
  EXPECT_TRUE(List.CanSend(20));
  filtered->Disconnect();
  EXPECT_FALSE(List.CanSend(20));
}

TEST_F(PortListTest, TerminalSelectionEchoesSentLinesOfOneInterfaceOnly) {
  TRecordingTerminal view;
  List.SetTerminalSink(&view);
  Add();
  Add();
  ASSERT_TRUE(List.ConnectAll());
  List.SelectTerminalInterface(2);
  EXPECT_FALSE(List.Ports()[0]->ShowInTerminal.load());
  EXPECT_TRUE(List.Ports()[1]->ShowInTerminal.load());
  List.SendToPorts("#1F1;", 1);
  EXPECT_EQ(view.TakeSent(), (std::vector<std::string>{"'#1F1;'"}));
  List.SelectTerminalInterface(0);
  List.SendToPorts("#1F2;", 1);
  EXPECT_EQ(view.TakeSent().size(), 1u);
}

TEST_F(PortListTest, CheckConnectionLostClosesOnlyTheLostInterface) {
  TListPort* a = Add();
  TListPort* b = Add();
  ASSERT_TRUE(List.ConnectAll());
  EXPECT_FALSE(List.CheckConnectionLost());
  a->Lost = true;
  EXPECT_TRUE(List.CheckConnectionLost());
  EXPECT_TRUE(Notifications.ConnLost.load());
  EXPECT_FALSE(a->IsConnected());
  EXPECT_TRUE(b->IsConnected());
  EXPECT_TRUE(List.AnyConnected());
}

TEST_F(PortListTest, ConnectionTestShowsColoursAndClosesEverything) {
  TListPort* good = Add();
  TListPort* bad = Add();
  bad->Opens = false;
  TRecordingView gv, bv;
  good->SetView(&gv);
  bad->SetView(&bv);
  int events = 0;
  List.SetProcessEvents([](void* n) { ++*static_cast<int*>(n); }, &events);
  List.ConnectionTest(false);
  List.SetProcessEvents(nullptr, nullptr);
  EXPECT_EQ(gv.Shown, (std::vector<uint32_t>{0xFFFFFFFF, IndicatorConnected}));
  EXPECT_EQ(bv.Shown, (std::vector<uint32_t>{0xFFFFFFFF, IndicatorNotConnected}));
  EXPECT_FALSE(List.AnyConnected());
  EXPECT_GE(events, 3);       // before, and after each interface
  List.ConnectionTest(true);  // not while the system is connected
  EXPECT_EQ(gv.Shown.size(), 2u);
}

TEST_F(PortListTest, SkipControlCharacterKeepsCrAndLoneLf) {
  EXPECT_FALSE(TPortList::SkipControlChar('\r', 'a'));
  EXPECT_FALSE(TPortList::SkipControlChar('\n', 'a'));
  EXPECT_TRUE(TPortList::SkipControlChar('\n', '\r'));
  EXPECT_TRUE(TPortList::SkipControlChar('\t', 'a'));
  EXPECT_TRUE(TPortList::SkipControlChar('\0', 'a'));
  EXPECT_FALSE(TPortList::SkipControlChar(' ', 'a'));
}

TEST(PortRouter, TheTerminalRegistersAsRouterAndLeavesOnDestruction) {
  {
    TTerminal t;
    t.SetPorts(&TPortList::Instance());
    EXPECT_EQ(TPortList::Instance().Router(), &t);
  }
  EXPECT_EQ(TPortList::Instance().Router(), nullptr);
}

// ------------------------------------------------------------------ project sections

std::vector<std::string> Keys(const TFLSet& set) {
  std::vector<std::string> k;
  for (const auto& e : set.Entries())
    k.push_back(e->Name);
  return k;
}

TEST(PortSections, KeysInFileOrder) {
  EXPECT_EQ(ComPortSection().Name(), "IXCOMPORT");
  EXPECT_EQ(Keys(ComPortSection()),
            (std::vector<std::string>{"disabled", "port", "baudrate", "databit", "parity",
                                      "stopbit", "filterActive", "filterBounds"}));
  EXPECT_EQ(UdpPortSection().Name(), "IXUDPPORT");
  EXPECT_EQ(Keys(UdpPortSection()),
            (std::vector<std::string>{"disabled", "ip", "port", "clientIp", "clientPort",
                                      "filterActive", "filterBounds"}));
  EXPECT_EQ(UrlPortSection().Name(), "IXURLPORT");
  EXPECT_EQ(Keys(UrlPortSection()),
            (std::vector<std::string>{"disabled", "url", "timeout", "username", "passwort",
                                      "filterActive", "filterBounds"}));
}

TEST(PortSections, LoadingASectionCreatesTheInterfaceWithItsValues) {
  ComPortSection();
  UdpPortSection();
  UrlPortSection();
  const char* text =
      "IXCOMPORT\n"
      "disabled true\nport \"/dev/ttyACM1\"\nbaudrate 7200\ndatabit 7\nparity \"Odd\"\n"
      "stopbit 2\nfilterActive true\nfilterBounds x=100 y=200\n"
      "IXUDPPORT\n"
      "ip \"127.0.0.1\"\nport \"16000\"\nclientIp \"127.0.0.1\"\nclientPort \"16001\"\n"
      "IXURLPORT\n"
      "url \"http://127.0.0.1:8080/x\"\ntimeout 2500\nusername \"u\"\npasswort \"p w\"\n";
  TFileLoad f;
  f.OpenText(text);
  f.LoadSections(ProjectSections());
  f.Close();
  TPortList& list = TPortList::Instance();
  ASSERT_EQ(list.Count(), 3);
  auto* com = dynamic_cast<TComPort*>(list.Ports()[0]);
  auto* udp = dynamic_cast<TUDPPort*>(list.Ports()[1]);
  auto* url = dynamic_cast<TURLPort*>(list.Ports()[2]);
  ASSERT_TRUE(com && udp && url);
  EXPECT_TRUE(com->GetDisabled());
  EXPECT_EQ(com->GetDevice(), "/dev/ttyACM1");
  EXPECT_EQ(com->GetSettings(), (TComSettings{7200, 7, 'O', 2}));
  EXPECT_TRUE(com->GetFilterActive());
  EXPECT_EQ(com->GetFilterMin(), 100);
  EXPECT_EQ(com->GetFilterMax(), 200);
  EXPECT_EQ(udp->GetPort(), "16000");
  EXPECT_EQ(udp->GetClientPort(), "16001");
  EXPECT_FALSE(udp->GetFilterActive());
  EXPECT_EQ(url->GetUrl(), "http://127.0.0.1:8080/x");
  EXPECT_EQ(url->GetTimeout(), 2500);
  EXPECT_EQ(url->GetPassword(), "p w");
  // Saving writes the same values back (the written form is the file engine's).
  std::string out;
  UrlPortSection().Find("passwort")->Save(url->FileItem().Object, out);
  EXPECT_EQ(out, "\"p w\"");
  list.RemoveAll();
}

// ------------------------------------------------------------------ device scan

TEST(DeviceScan, DefaultListHasFifteenNamesInOrder) {
  std::vector<std::string> d = DefaultSerialDevices();
  ASSERT_EQ(d.size(), 15u);
  EXPECT_EQ(d[0], "/dev/ttyUSB0");
  EXPECT_EQ(d[4], "/dev/ttyUSB4");
  EXPECT_EQ(d[5], "/dev/ttyS0");
  EXPECT_EQ(d[14], "/dev/ttyACM4");
}

// A fake sysfs and /dev: ttyUSB0 (usb driver), ttyS0 (8250 with hardware), ttyS1
// (8250 without), ttyS2 (8250, device file missing), tty0 (no driver).
class DeviceScanTree : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("tessaro-scan-" + std::to_string(getpid()));
    fs::remove_all(Root);
    fs::create_directories(Root / "sys" / "drivers" / "serial8250");
    fs::create_directories(Root / "sys" / "drivers" / "ftdi_sio");
    fs::create_directories(Root / "dev");
    Tty("ttyUSB0", "ftdi_sio", true);
    Tty("ttyS0", "serial8250", true);
    Tty("ttyS1", "serial8250", true);
    Tty("ttyS2", "serial8250", false);
    fs::create_directories(Root / "sys" / "class" / "tty" / "tty0");
  }
  void TearDown() override { fs::remove_all(Root); }
  void Tty(const std::string& name, const std::string& driver, bool devFile) {
    fs::path devdir = Root / "sys" / "devices" / name;
    fs::create_directories(devdir);
    fs::create_directory_symlink(Root / "sys" / "drivers" / driver, devdir / "driver");
    fs::create_directories(Root / "sys" / "class" / "tty" / name);
    fs::create_directory_symlink(devdir, Root / "sys" / "class" / "tty" / name / "device");
    if (devFile) std::ofstream(Root / "dev" / name) << "";
  }
  fs::path Root;
};

TEST_F(DeviceScanTree, DropsDriverlessAndEmptyLegacyPorts) {
  TDeviceScanRoots roots;
  roots.Sys = (Root / "sys" / "class" / "tty").string();
  roots.Dev = (Root / "dev").string();
  // The fake devices are plain files: answer the port-type query by name.
  static std::string s1;
  s1 = (Root / "dev" / "ttyS1").string();
  roots.QueryPortType = [](int fd, int& type) {
    char link[64], path[4096] = {};
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    type = (n > 0 && s1 == path) ? 0 : 4;
    return true;
  };
  std::string dev = roots.Dev;
  EXPECT_EQ(ScanSerialDevices(roots), dev + "/ttyS0," + dev + "/ttyUSB0");
  EXPECT_EQ(AvailableDeviceRows(ScanSerialDevices(roots)),
            (std::vector<std::string>{dev + "/ttyS0", dev + "/ttyUSB0"}));
  roots.Sys = (Root / "nothing").string();
  EXPECT_EQ(ScanSerialDevices(roots), "");
  EXPECT_EQ(AvailableDeviceRows(""), (std::vector<std::string>{"-"}));
}

}  // namespace
