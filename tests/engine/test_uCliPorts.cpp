// tessaro-cli send, simulate and monitor, run as the user runs them.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <set>

#include "uPortTestKit.h"

extern char** environ;

using namespace tessaro::testkit;

namespace {

const std::string Cli = std::string(TESSARO_BINARY_DIR) + "/tessaro-cli";

struct TChild {
  pid_t Pid = -1;
  int Out = -1;
  int Err = -1;
  std::string OutText, ErrText;

  explicit TChild(std::vector<std::string> args) {
    int o[2], e[2];
    if (pipe(o) != 0 || pipe(e) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, o[1], 1);
    posix_spawn_file_actions_adddup2(&fa, e[1], 2);
    posix_spawn_file_actions_addclose(&fa, o[0]);
    posix_spawn_file_actions_addclose(&fa, e[0]);
    args.insert(args.begin(), Cli);
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn(&Pid, Cli.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(o[1]);
    close(e[1]);
    Out = o[0];
    Err = e[0];
  }
  ~TChild() {
    if (Pid > 0) {
      kill(Pid, SIGKILL);
      waitpid(Pid, nullptr, 0);
    }
    close(Out);
    close(Err);
  }
  // Reads standard output until it holds `lines` lines or ms pass.
  bool WaitLines(size_t lines, int ms = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (static_cast<size_t>(std::count(OutText.begin(), OutText.end(), '\n')) < lines) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      end - std::chrono::steady_clock::now())
                      .count();
      pollfd p{Out, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return false;
      char buf[4096];
      ssize_t n = read(Out, buf, sizeof buf);
      if (n <= 0) return false;
      OutText.append(buf, static_cast<size_t>(n));
    }
    return true;
  }
  // Exit status, or -1 when the program is still running after ms.
  int Wait(int ms = 10000) {
    int status = 0;
    bool done = WaitFor([&] { return waitpid(Pid, &status, WNOHANG) == Pid; }, ms);
    if (!done) return -1;
    Pid = -1;
    char buf[4096];
    ssize_t n;
    while ((n = read(Err, buf, sizeof buf)) > 0)
      ErrText.append(buf, static_cast<size_t>(n));
    while ((n = read(Out, buf, sizeof buf)) > 0)
      OutText.append(buf, static_cast<size_t>(n));
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
};

int FreeUdpPort(int& fd) {
  fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  return ntohs(a.sin_port);
}

TEST(CliPorts, MonitorPrintsWhatSendSendsOverUdp) {
  int probe;
  int port = FreeUdpPort(probe);
  close(probe);
  std::string addr = "127.0.0.1:" + std::to_string(port);
  TChild monitor({"monitor", "--udp", addr});
  // The monitor is listening once a probe command comes through.
  bool up = WaitFor([&] {
    TChild({"send", "--udp", addr, "#1F0;"}).Wait();
    return monitor.WaitLines(1, 100);
  });
  ASSERT_TRUE(up);
  TChild send({"send", "--udp", addr, "#5F12,3;", "x#25STest;#7F", "/#8F1;"});
  EXPECT_EQ(send.Wait(), 0);
  ASSERT_TRUE(monitor.WaitLines(3 + 1));
  std::string out = monitor.OutText.substr(monitor.OutText.find("#5F"));
  EXPECT_EQ(out, "#5F12,3;\n#25STest;\n#8F1;\n");
  kill(monitor.Pid, SIGTERM);
  EXPECT_EQ(monitor.Wait(), 0);
}

TEST(CliPorts, SerialMonitorReportsALostLineWithStatusThree) {
  TPty pty;
  TChild monitor({"monitor", "--serial", pty.SlaveName, "--baud", "9600"});
  bool up = WaitFor([&] {
    pty.Write("#3F3;");
    return monitor.WaitLines(1, 100);
  });
  ASSERT_TRUE(up);
  pty.CloseMaster();
  EXPECT_EQ(monitor.Wait(), 3);
  EXPECT_NE(monitor.ErrText.find("connection lost"), std::string::npos);
}

TEST(CliPorts, SendWritesTheCommandsToASerialLine) {
  TPty pty;
  TChild send({"send", "--serial", pty.SlaveName, "#1F1;", "#2STwo;"});
  EXPECT_EQ(pty.Read(12), "#1F1;#2STwo;");
  EXPECT_EQ(send.Wait(), 0);
}

TEST(CliPorts, SimulatorSendsTheFourSignalsOverTheListedChannels) {
  int fd;
  int port = FreeUdpPort(fd);
  TChild sim({"simulate", "--udp", "127.0.0.1:" + std::to_string(port), "--rate", "100",
              "--channels", "3,7-9", "--seconds", "0.3"});
  EXPECT_EQ(sim.Wait(), 0);
  std::vector<std::string> got;
  char buf[256];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) break;
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    got.emplace_back(buf, static_cast<size_t>(n));
  }
  close(fd);
  ASSERT_GE(got.size(), 4u * 20u);
  EXPECT_EQ(got.size() % 4, 0u);
  // The first round: sine at 0, triangle at its bottom, square high, walk near 0.
  EXPECT_EQ(got[0], "#3F0;");
  EXPECT_EQ(got[1], "#7F-100;");
  EXPECT_EQ(got[2], "#8F100;");
  EXPECT_EQ(got[3].substr(0, 3), "#9F");
  std::set<std::string> channels;
  for (const auto& g : got)
    channels.insert(g.substr(0, g.find('F')));
  EXPECT_EQ(channels, (std::set<std::string>{"#3", "#7", "#8", "#9"}));
}

TEST(CliPorts, BadArgumentsGiveUsageAndStatusTwo) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{"send", "#1F1;"},
        {"send", "--udp", "127.0.0.1:1", "--serial", "/dev/x", "#1F1;"},
        {"simulate", "--udp", "127.0.0.1:1", "--channels", "5-2"},
        {"monitor"}}) {
    TChild c(args);
    EXPECT_EQ(c.Wait(), 2) << args[0];
    EXPECT_NE(c.ErrText.find("usage"), std::string::npos) << c.ErrText;
  }
}

}  // namespace
