// Shared pieces of the interface tests: waiting with a deadline, a recording terminal,
// a recording interface box and a pseudo-terminal pair.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/uTerminal.h"
#include "core/uViews.h"
#include "ports/uPorts.h"

namespace tessaro::testkit {

template <typename Pred>
bool WaitFor(Pred pred, int ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= end) return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class TRecordingTerminal : public TTerminalSink {
 public:
  void AddCharacter(char c) override {
    std::lock_guard<std::mutex> g(M);
    Chars += c;
  }
  void AddCommand(std::string_view text, bool forwarded) override {
    std::lock_guard<std::mutex> g(M);
    Commands.emplace_back(text);
    (void)forwarded;
  }
  void AddSentLine(std::string_view text) override {
    std::lock_guard<std::mutex> g(M);
    Sent.emplace_back(text);
  }
  void StartCollecting() override {}
  void StopCollecting() override {}
  bool Collecting() const override { return false; }
  void Refresh() override {}

  std::vector<std::string> TakeCommands() {
    std::lock_guard<std::mutex> g(M);
    return Commands;
  }
  std::string TakeChars() {
    std::lock_guard<std::mutex> g(M);
    return Chars;
  }
  std::vector<std::string> TakeSent() {
    std::lock_guard<std::mutex> g(M);
    return Sent;
  }
  size_t CommandCount() {
    std::lock_guard<std::mutex> g(M);
    return Commands.size();
  }

 private:
  std::mutex M;
  std::string Chars;
  std::vector<std::string> Commands;
  std::vector<std::string> Sent;
};

class TRecordingView : public TPortView {
 public:
  void ShowIndicator(uint32_t color) override { Shown.push_back(color); }
  void HideIndicator() override { Shown.push_back(0xFFFFFFFF); }
  void SetGreyed(bool g) override { Greyed = g; }
  std::vector<uint32_t> Shown;  // 0xFFFFFFFF = hidden
  bool Greyed = false;
};

// The window as the router sees it: remembers which notifications were shown.
class TRecordingHost : public TTerminalHost {
 public:
  void ShowConnectState(TConnectState s) override { State = s; }
  void ProcessPendingEvents() override {}
  void SetBlinkTimerEnabled(bool) override {}
  void SetPollTimerEnabled(bool) override {}
  void SetAlive(bool) override {}
  void ShowNotification(TNotification n, bool enabled) override {
    if (enabled) Shown[static_cast<int>(n)] = true;
  }
  void ShowInterfacePage() override {}
  void CompileIfPending() override {}
  // Set now, or shown (and so cleared) by a blink tick since.
  bool Raised(TNotification n) {
    return Shown[static_cast<int>(n)] || Notifications.Flag(n).load();
  }
  TConnectState State = TConnectState::Disconnected;
  bool Shown[3] = {false, false, false};
};

// A pseudo-terminal: the program opens SlaveName; the test plays the device on Master.
// Closing the master is pulling the adapter.
struct TPty {
  int Master = -1;
  int Slave = -1;  // kept open until the program has opened its own descriptor
  std::string SlaveName;

  TPty() {
    char name[256] = {};
    if (openpty(&Master, &Slave, name, nullptr, nullptr) == 0) SlaveName = name;
    // Programs started by a test must not keep the adapter plugged in.
    fcntl(Master, F_SETFD, FD_CLOEXEC);
    fcntl(Slave, F_SETFD, FD_CLOEXEC);
  }
  ~TPty() {
    CloseMaster();
    if (Slave >= 0) close(Slave);
  }
  void CloseMaster() {
    if (Master >= 0) close(Master);
    Master = -1;
  }
  void CloseSlave() {
    if (Slave >= 0) close(Slave);
    Slave = -1;
  }
  void Write(std::string_view s) const {
    size_t done = 0;
    while (done < s.size()) {
      ssize_t n = write(Master, s.data() + done, s.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
      } else {
        pollfd p{Master, POLLOUT, 0};
        poll(&p, 1, 100);
      }
    }
  }
  // Whatever arrives on the master within ms until `want` bytes are there.
  std::string Read(size_t want, int ms = 5000) const {
    std::string out;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (out.size() < want) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      end - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0) break;
      pollfd p{Master, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buf[4096];
      ssize_t n = read(Master, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }
};

}  // namespace tessaro::testkit
