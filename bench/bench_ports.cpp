// Interfaces at speed: UDP in, a serial line in, and a burst of sends out.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/uTerminal.h"
#include "core/uViews.h"
#include "ports/uComPort.h"
#include "ports/uUDPPort.h"

using namespace tessaro;
using Clock = std::chrono::steady_clock;

namespace {

// Counts framed commands (the interface is the terminal interface).
struct TCounter : TTerminalSink {
  std::atomic<long> Commands{0};
  void AddCharacter(char) override {}
  void AddCommand(std::string_view, bool) override {
    Commands.fetch_add(1, std::memory_order_relaxed);
  }
  void AddSentLine(std::string_view) override {}
  void StartCollecting() override {}
  void StopCollecting() override {}
  bool Collecting() const override { return false; }
  void Refresh() override {}
};

int LoopbackSocket(int& port) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  port = ntohs(a.sin_port);
  return fd;
}

template <typename Pred>
bool WaitUntil(Pred p, int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!p()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

struct TUdpRig {
  TTerminal Term;
  TCounter Count;
  TUDPPort* Port;
  int Peer = -1;
  int PeerPort = 0;
  TUdpRig() {
    Peer = LoopbackSocket(PeerPort);
    Term.SetPorts(&TPortList::Instance());
    Term.SetTerminalView(&Count);
    Port = new TUDPPort;
    Port->SetIp("127.0.0.1");
    Port->SetPort("0");
    Port->SetClientIp("127.0.0.1");
    Port->SetClientPort(std::to_string(PeerPort));
    Port->ShowInTerminal.store(true);
    Term.Connect();
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(Port->BoundPort()));
    connect(Peer, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  ~TUdpRig() {
    Term.Disconnect();
    TPortList::Instance().RemoveAll();
    close(Peer);
  }
};

// As fast as one sender thread goes: commands received and processed per second.
void BM_UdpIngest(benchmark::State& state) {
  TUdpRig rig;
  const long n = 100000;
  long lost = 0;
  for (auto _ : state) {
    long before = rig.Count.Commands.load();
    auto t0 = Clock::now();
    std::thread sender([&] {
      for (long i = 0; i < n; ++i) {
        char cmd[9];
        snprintf(cmd, sizeof cmd, "#5F%04ld;", i % 10000);
        while (send(rig.Peer, cmd, 8, 0) < 0) {
        }
      }
    });
    sender.join();
    WaitUntil([&] { return rig.Count.Commands.load() - before >= n; }, 2000);
    auto took = std::chrono::duration<double>(Clock::now() - t0).count();
    long got = rig.Count.Commands.load() - before;
    lost += n - got;
    state.SetIterationTime(took);
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["lost"] = static_cast<double>(lost);
}
BENCHMARK(BM_UdpIngest)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// 150,000 commands per second for 5 s: none may be lost.
void BM_UdpIngestSustained(benchmark::State& state) {
  TUdpRig rig;
  const long rate = 150000, seconds = 5, n = rate * seconds;
  for (auto _ : state) {
    long before = rig.Count.Commands.load();
    auto t0 = Clock::now();
    for (long i = 0; i < n; ++i) {
      if ((i & 255) == 0)
        std::this_thread::sleep_until(t0 + std::chrono::nanoseconds(i * 1000000000L / rate));
      char cmd[9];
      snprintf(cmd, sizeof cmd, "#6F%04ld;", i % 10000);
      while (send(rig.Peer, cmd, 8, 0) < 0) {
      }
    }
    WaitUntil([&] { return rig.Count.Commands.load() - before >= n; }, 2000);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    state.counters["lost"] = static_cast<double>(n - (rig.Count.Commands.load() - before));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_UdpIngestSustained)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Commands through a pseudo-terminal: bytes per second received and processed.
void BM_SerialIngest(benchmark::State& state) {
  int master, slave;
  char name[256];
  openpty(&master, &slave, name, nullptr, nullptr);
  TTerminal term;
  TCounter count;
  term.SetPorts(&TPortList::Instance());
  term.SetTerminalView(&count);
  auto* port = new TComPort;
  port->SetDevice(name);
  port->ShowInTerminal.store(true);
  term.Connect();
  std::string block;
  long perBlock = 0;
  while (block.size() < (1u << 20)) {
    block += "#12F" + std::to_string(perBlock % 100000) + ",5;";
    ++perBlock;
  }
  for (auto _ : state) {
    long before = count.Commands.load();
    auto t0 = Clock::now();
    size_t done = 0;
    while (done < block.size()) {
      ssize_t w = write(master, block.data() + done, block.size() - done);
      if (w > 0) done += static_cast<size_t>(w);
    }
    WaitUntil([&] { return count.Commands.load() - before >= perBlock; }, 5000);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<long>(block.size()));
  term.Disconnect();
  TPortList::Instance().RemoveAll();
  close(master);
  close(slave);
}
BENCHMARK(BM_SerialIngest)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// 100 commands queued with Send until the last has left the UDP interface.
void BM_UdpSendBurst(benchmark::State& state) {
  TUdpRig rig;
  std::string cmds[100];
  for (int i = 0; i < 100; ++i)
    cmds[i] = "#7F" + std::to_string(i) + ";";
  char buf[64];
  for (auto _ : state) {
    auto t0 = Clock::now();
    bool deliverable = false;
    for (const std::string& c : cmds)
      rig.Term.Send(7, c, deliverable);
    int got = 0;
    while (got < 100) {
      pollfd p{rig.Peer, POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) break;
      while (recv(rig.Peer, buf, sizeof buf, MSG_DONTWAIT) > 0)
        ++got;
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    if (got < 100) state.SkipWithError("commands missing");
  }
}
BENCHMARK(BM_UdpSendBurst)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
