#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "ports/uURLPort.h"
#include "uPortTestKit.h"

using namespace tessaro;
using namespace tessaro::testkit;
using Clock = std::chrono::steady_clock;

namespace {

// A device on 127.0.0.1: answers a POST "#1Fslow;" only when released, "#1Fsilent;"
// never within the test, "#1Fhuge;" with 100 MB, and every other POST with Reply.
class TDeviceServer {
 public:
  TDeviceServer() {
    Server.Get("/dev", [this](const httplib::Request& req, httplib::Response& res) {
      if (!Authorised(req, res)) return;
      if (SilentGet) Hold();
      res.set_content("", "text/plain");
    });
    Server.Post("/dev", [this](const httplib::Request& req, httplib::Response& res) {
      {
        std::lock_guard<std::mutex> g(M);
        Bodies.push_back(req.body);
        Arrived.push_back(Clock::now());
      }
      if (!Authorised(req, res)) return;
      if (req.body == "#1Fslow;" || req.body == "#1Fsilent;") {
        Hold();
        return;
      }
      if (req.body == "#1Fhuge;") {
        res.set_content_provider(100u << 20, "text/plain",
                                 [](size_t offset, size_t length, httplib::DataSink& sink) {
                                   std::string chunk(std::min<size_t>(length, 65536), 'x');
                                   if (offset == 0) chunk.replace(0, 5, "#7F3;");
                                   return sink.write(chunk.data(), chunk.size());
                                 });
        return;
      }
      res.set_content(Reply, "text/plain");
    });
    Port = Server.bind_to_any_port("127.0.0.1");
    Thread = std::thread([this] { Server.listen_after_bind(); });
    WaitFor([this] { return Server.is_running(); });
  }
  ~TDeviceServer() {
    {
      std::lock_guard<std::mutex> g(M);
      Released = true;
    }
    Cv.notify_all();
    Server.stop();
    Thread.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(Port) + "/dev"; }
  std::vector<std::string> TakeBodies() {
    std::lock_guard<std::mutex> g(M);
    return Bodies;
  }
  std::vector<Clock::time_point> TakeArrivals() {
    std::lock_guard<std::mutex> g(M);
    return Arrived;
  }

  std::string Reply;
  std::string Credentials;  // "Basic ..." required when set
  bool SilentGet = false;

 private:
  bool Authorised(const httplib::Request& req, httplib::Response& res) {
    std::string auth = req.get_header_value("Authorization");
    {
      std::lock_guard<std::mutex> g(M);
      LastAuth = auth;
    }
    if (Credentials.empty() || auth == Credentials) return true;
    res.status = 401;
    res.set_content("#9F9;", "text/plain");  // must not be taken as a reply
    return false;
  }
  void Hold() {
    std::unique_lock<std::mutex> lk(M);
    Cv.wait_for(lk, std::chrono::seconds(10), [this] { return Released; });
  }

  httplib::Server Server;
  int Port = 0;
  std::thread Thread;
  std::mutex M;
  std::condition_variable Cv;
  bool Released = false;
  std::vector<std::string> Bodies;
  std::vector<Clock::time_point> Arrived;
  std::string LastAuth;
};

class URLPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Notifications.ClearAll();
    Term.SetPorts(&TPortList::Instance());
    Term.SetTerminalView(&View);
    TPortList::Instance().SetTerminalSink(&View);
    Port = new TURLPort;
    Port->SetUrl("  " + Server.Url() + " ");
    Port->SetView(&Box);
    TPortList::Instance().SelectTerminalInterface(1);
  }
  void TearDown() override {
    Term.Disconnect();
    TPortList::Instance().SetTerminalSink(nullptr);
    TPortList::Instance().RemoveAll();
  }
  void Send(int channel, const std::string& text) {
    bool deliverable = false;
    Term.Send(channel, text, deliverable);
  }

  TDeviceServer Server;
  TTerminal Term;
  TRecordingTerminal View;
  TRecordingView Box;
  TURLPort* Port = nullptr;
};

TEST_F(URLPortTest, EachCommandIsPostedAndTheReplyIsScannedWithTheFilter) {
  Server.Reply = "#5F12,3;#150STest;#60F1;#5F";
  Port->SetFilterActive(true);
  Port->SetFilterMin(100);
  Port->SetFilterMax(200);
  Term.Connect();
  ASSERT_TRUE(Port->IsConnected());
  EXPECT_EQ(Port->GetUrl(), Server.Url());  // trimmed
  EXPECT_EQ(Port->Summary(), "URL " + Server.Url());
  Send(2, "#2F1;");
  Send(3, "#3F2;");
  ASSERT_TRUE(WaitFor([&] { return View.CommandCount() == 6; }));
  EXPECT_EQ(Server.TakeBodies(), (std::vector<std::string>{"#2F1;", "#3F2;"}));
  EXPECT_DOUBLE_EQ(Term.ChannelValue(5), 12.3);
  EXPECT_EQ(Term.ChannelText(150), "Test");
  EXPECT_DOUBLE_EQ(Term.ChannelValue(60), 0);  // outside the filter
  std::vector<std::string> cmds = View.TakeCommands();
  EXPECT_EQ(cmds[0], "'#5F12,3;'");
  EXPECT_EQ(cmds[1], "'#150STest;'");
  EXPECT_EQ(cmds[2], "'#60F1;'");
}

TEST_F(URLPortTest, BasicAuthenticationIsSentWhenAUserNameIsSet) {
  Server.Credentials = "Basic dXNlcjpwYXNz";  // user:pass
  Port->SetUserName("user");
  Port->SetPassword("wrong");
  Port->Connect();
  EXPECT_FALSE(Port->IsConnected());  // a refused login is no connection
  Port->SetPassword("pass");
  Port->Connect();
  EXPECT_TRUE(Port->IsConnected());
  Port->Disconnect();
  Port->SetUserName("");
  Port->Connect();
  EXPECT_FALSE(Port->IsConnected());
}

TEST_F(URLPortTest, BlankUrlStaysClosedWithoutTouchingTheIndicator) {
  Port->SetUrl("   ");
  Port->Connect();
  EXPECT_FALSE(Port->IsConnected());
  EXPECT_TRUE(Box.Shown.empty());
}

TEST_F(URLPortTest, ServerThatNeverAnswersTheTestRequestFailsTheConnect) {
  Server.SilentGet = true;
  auto t0 = Clock::now();
  Port->Connect();
  auto took = Clock::now() - t0;
  EXPECT_FALSE(Port->IsConnected());
  EXPECT_EQ(Box.Shown.back(), IndicatorNotConnected);
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::milliseconds(3000));
}

TEST_F(URLPortTest, WatchdogAbortsASlowRequestAndTheNextCommandGoes) {
  Server.Reply = "#4F4;";
  Port->SetTimeout(300);
  Term.Connect();
  ASSERT_TRUE(Port->IsConnected());
  Send(1, "#1Fslow;");
  Send(2, "#2F1;");
  ASSERT_TRUE(WaitFor([&] { return Term.ChannelValue(4) == 4; }, 10000));
  std::vector<Clock::time_point> at = Server.TakeArrivals();
  ASSERT_EQ(at.size(), 2u);
  auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(at[1] - at[0]);
  EXPECT_GE(gap.count(), 250);
  EXPECT_LT(gap.count(), 300 + 150 + 500);  // slack for a loaded machine
  EXPECT_EQ(Port->AbortCount(), 1);
}

TEST_F(URLPortTest, QueueOverflowLosesCommandsAndSetsSendLoss) {
  Port->SetTimeout(5000);
  Term.Connect();
  ASSERT_TRUE(Port->IsConnected());
  Port->SendText("#1Fsilent;");
  ASSERT_TRUE(WaitFor([&] { return Server.TakeBodies().size() == 1; }));
  for (int i = 0; i < 99; ++i)
    Port->SendText("#2F1;");
  EXPECT_FALSE(Notifications.SendLoss.load());
  Port->SendText("#2F1;");
  EXPECT_TRUE(Notifications.SendLoss.load());
  // Disconnect ends the silent request at once.
  auto t0 = Clock::now();
  Term.Disconnect();
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2000));
}

TEST_F(URLPortTest, HugeReplyIsScannedOnlyAtItsStartAndTheInterfaceGoesOn) {
  Server.Reply = "#8F8;";
  Term.Connect();
  ASSERT_TRUE(Port->IsConnected());
  TPortList::Instance().SelectTerminalInterface(0);  // keep 16 MiB out of the recorder
  Send(1, "#1Fhuge;");
  Send(2, "#2F1;");
  ASSERT_TRUE(WaitFor([&] { return Term.ChannelValue(8) == 8; }, 20000));
  EXPECT_DOUBLE_EQ(Term.ChannelValue(7), 3);
}

}  // namespace
