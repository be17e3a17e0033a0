// tessaro-cli send, simulate and monitor: work with the interfaces without the window
// and without hardware. Each opens its interface exactly as the program does.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/uCliCommands.h"
#include "core/uConvert.h"
#include "core/uTerminal.h"
#include "core/uViews.h"
#include "ports/uComPort.h"
#include "ports/uPorts.h"
#include "ports/uUDPPort.h"

namespace tessaro::cli {
namespace {

std::atomic<bool> Interrupted{false};

void OnSignal(int) {
  Interrupted.store(true);
}

void CatchSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

bool ParseInt(std::string_view s, int& v) {
  bool valid = false;
  v = StrToIntTolerant(s, valid);
  return valid;
}

// "HOST:PORT" at the last colon.
bool SplitHostPort(std::string_view s, std::string& host, std::string& port) {
  size_t colon = s.rfind(':');
  if (colon == std::string_view::npos || colon + 1 >= s.size()) return false;
  host = std::string(s.substr(0, colon));
  port = std::string(s.substr(colon + 1));
  return true;
}

// The interface options shared by the three commands; the rest stays in Args.
struct TInterfaceOptions {
  std::string Udp, From, Peer, Serial;
  int Baud = 115200;
  std::vector<std::string> Args;
  std::string Error;

  // Takes the options that name a value; others go through `extra`.
  template <typename Extra>
  bool Parse(int argc, char** argv, Extra&& extra) {
    for (int i = 1; i < argc; ++i) {
      std::string_view a = argv[i];
      auto value = [&](std::string& out) {
        if (i + 1 >= argc) {
          Error = std::string(a) + " needs a value";
          return false;
        }
        out = argv[++i];
        return true;
      };
      std::string v;
      if (a == "--udp") {
        if (!value(Udp)) return false;
      } else if (a == "--from") {
        if (!value(From)) return false;
      } else if (a == "--peer") {
        if (!value(Peer)) return false;
      } else if (a == "--serial") {
        if (!value(Serial)) return false;
      } else if (a == "--baud") {
        if (!value(v)) return false;
        if (!ParseInt(v, Baud) || Baud <= 0) {
          Error = "invalid baud rate \"" + v + "\"";
          return false;
        }
      } else if (a.size() > 2 && a.substr(0, 2) == "--") {
        int used = extra(a, i + 1 < argc ? argv[i + 1] : nullptr);
        if (used < 0) {
          if (Error.empty()) Error = "unknown option " + std::string(a);
          return false;
        }
        i += used;
      } else {
        Args.emplace_back(a);
      }
    }
    if (Udp.empty() == Serial.empty()) {
      Error = "give either --udp or --serial";
      return false;
    }
    return true;
  }
};

// An interface that sends: UDP to HOST:PORT from --from (any free port by default), or
// the serial device. The error is printed; null when it cannot be opened.
std::unique_ptr<TIXPort> OpenSender(const TInterfaceOptions& o) {
  std::unique_ptr<TIXPort> port;
  if (!o.Udp.empty()) {
    auto udp = std::make_unique<TUDPPort>();
    std::string host, p;
    if (!SplitHostPort(o.Udp, host, p)) {
      std::fprintf(stderr, "tessaro-cli: --udp wants HOST:PORT\n");
      return nullptr;
    }
    udp->SetClientIp(host);
    udp->SetClientPort(p);
    udp->SetIp("0.0.0.0");
    udp->SetPort(o.From.empty() ? "0" : o.From);
    udp->Connect();
    if (!udp->IsConnected()) {
      std::fprintf(stderr, "tessaro-cli: cannot open UDP %s: %s\n", o.Udp.c_str(),
                   udp->LastErrorText().c_str());
      return nullptr;
    }
    port = std::move(udp);
  } else {
    auto com = std::make_unique<TComPort>();
    com->SetDevice(o.Serial);
    com->SetBaud(o.Baud);
    com->Connect();
    if (!com->IsConnected()) {
      std::fprintf(stderr, "tessaro-cli: cannot open %s: %s\n", o.Serial.c_str(),
                   std::strerror(com->LastError()));
      return nullptr;
    }
    port = std::move(com);
  }
  return port;
}

void Finish(TIXPort& port) {
  if (auto* com = dynamic_cast<TComPort*>(&port)) com->Drain();
  port.Disconnect();
}

// ---------------------------------------------------------------- send

int RunSend(int argc, char** argv) {
  TInterfaceOptions o;
  if (!o.Parse(argc, argv, [](std::string_view, const char*) { return -1; }) || o.Args.empty()) {
    std::fprintf(stderr, "tessaro-cli send: %s\nusage: %s\n",
                 o.Error.empty() ? "no command given" : o.Error.c_str(), SendCommand.Usage);
    return 2;
  }
  std::unique_ptr<TIXPort> port = OpenSender(o);
  if (!port) return 1;
  for (const std::string& c : o.Args)
    port->SendText(c);
  Finish(*port);
  return 0;
}

// ---------------------------------------------------------------- simulate

// "1-4", "5,7,10-12": channels 0..999 in the order given.
bool ParseChannels(std::string_view s, std::vector<int>& out) {
  out.clear();
  while (!s.empty()) {
    size_t comma = s.find(',');
    std::string_view item = s.substr(0, comma);
    s = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
    size_t dash = item.find('-', 1);
    int a = 0, b = 0;
    if (dash == std::string_view::npos) {
      if (!ParseInt(item, a)) return false;
      b = a;
    } else if (!ParseInt(item.substr(0, dash), a) || !ParseInt(item.substr(dash + 1), b)) {
      return false;
    }
    if (a < 0 || b > 999 || a > b) return false;
    for (int c = a; c <= b; ++c)
      out.push_back(c);
  }
  return !out.empty();
}

// The four signals, repeating over the channels: a sine, a triangle, a square wave
// (each of amplitude 100 and period 10 s) and a random walk within -100..100.
struct TSignals {
  std::mt19937 Random{12345};
  std::vector<double> Walk;

  double Value(size_t index, double t) {
    constexpr double Pi = 3.14159265358979323846;
    double phase = std::fmod(t, 10.0) / 10.0;
    switch (index % 4) {
      case 0:
        return 100.0 * std::sin(2.0 * Pi * phase);
      case 1:
        return phase < 0.5 ? -100.0 + 400.0 * phase : 300.0 - 400.0 * phase;
      case 2:
        return phase < 0.5 ? 100.0 : -100.0;
      default: {
        if (Walk.size() <= index) Walk.resize(index + 1, 0.0);
        std::uniform_real_distribution<double> step(-2.0, 2.0);
        double& w = Walk[index];
        w = std::fmin(100.0, std::fmax(-100.0, w + step(Random)));
        return w;
      }
    }
  }
};

int RunSimulate(int argc, char** argv) {
  TInterfaceOptions o;
  double rate = 20.0, seconds = 0.0;
  std::vector<int> channels{1, 2, 3, 4};
  bool ok = o.Parse(argc, argv, [&](std::string_view opt, const char* v) {
    if (!v) return -1;
    bool valid = false;
    if (opt == "--rate") {
      rate = TextToReal(v, valid);
      if (!valid || !(rate > 0) || rate > 100000) {
        o.Error = "invalid rate";
        return -1;
      }
      return 1;
    }
    if (opt == "--seconds") {
      seconds = TextToReal(v, valid);
      if (!valid || !(seconds >= 0)) {
        o.Error = "invalid seconds";
        return -1;
      }
      return 1;
    }
    if (opt == "--channels") {
      if (!ParseChannels(v, channels)) {
        o.Error = "invalid channel list";
        return -1;
      }
      return 1;
    }
    return -1;
  });
  if (!ok || !o.Args.empty()) {
    std::fprintf(stderr, "tessaro-cli simulate: %s\nusage: %s\n",
                 o.Error.empty() ? "unexpected argument" : o.Error.c_str(), SimulateCommand.Usage);
    return 2;
  }
  std::unique_ptr<TIXPort> port = OpenSender(o);
  if (!port) return 1;
  // What the peer sends back (a dashboard's echo) is read and dropped, so that it never
  // piles up in the socket.
  port->StartReceiving();
  CatchSignals();
  TSignals signals;
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto period = std::chrono::duration<double>(1.0 / rate);
  for (long tick = 0; !Interrupted.load(); ++tick) {
    double t = static_cast<double>(tick) / rate;
    if (seconds > 0 && t >= seconds) break;
    std::this_thread::sleep_until(start +
                                  std::chrono::duration_cast<Clock::duration>(period * tick));
    for (size_t i = 0; i < channels.size(); ++i) {
      double v = std::round(signals.Value(i, t) * 1000.0) / 1000.0;
      char num[32];
      int n = FormatReal(v, num, '.');
      std::string cmd =
          "#" + std::to_string(channels[i]) + "F" + std::string(num, static_cast<size_t>(n)) + ";";
      port->SendText(cmd);
    }
  }
  Finish(*port);
  return 0;
}

// ---------------------------------------------------------------- monitor

// Prints every framed command the router receives, one per line.
class TPrintingTerminal : public TTerminalSink {
 public:
  void AddCharacter(char) override {}
  void AddCommand(std::string_view text, bool) override {
    // The terminal's form is "'" + frame + "'".
    if (text.size() >= 2) text = text.substr(1, text.size() - 2);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  void AddSentLine(std::string_view) override {}
  void StartCollecting() override {}
  void StopCollecting() override {}
  bool Collecting() const override { return false; }
  void Refresh() override {}
};

int RunMonitor(int argc, char** argv) {
  TInterfaceOptions o;
  if (!o.Parse(argc, argv, [](std::string_view, const char*) { return -1; }) || !o.Args.empty()) {
    std::fprintf(stderr, "tessaro-cli monitor: %s\nusage: %s\n",
                 o.Error.empty() ? "unexpected argument" : o.Error.c_str(), MonitorCommand.Usage);
    return 2;
  }
  TTerminal term;
  TPrintingTerminal printer;
  TPortList& ports = TPortList::Instance();
  term.SetPorts(&ports);
  term.SetTerminalView(&printer);
  std::unique_ptr<TIXPort> port;
  std::string name;
  if (!o.Udp.empty()) {
    auto udp = std::make_unique<TUDPPort>();
    std::string host, p;
    if (!SplitHostPort(o.Udp, host, p)) {
      std::fprintf(stderr, "tessaro-cli: --udp wants BIND:PORT\n");
      return 2;
    }
    udp->SetIp(host);
    udp->SetPort(p);
    if (o.Peer.empty()) {
      udp->HearAnyPeer = true;
    } else {
      std::string ph, pp;
      if (!SplitHostPort(o.Peer, ph, pp)) {
        std::fprintf(stderr, "tessaro-cli: --peer wants HOST:PORT\n");
        return 2;
      }
      udp->SetClientIp(ph);
      udp->SetClientPort(pp);
    }
    name = "UDP " + o.Udp;
    port = std::move(udp);
  } else {
    auto com = std::make_unique<TComPort>();
    com->SetDevice(o.Serial);
    com->SetBaud(o.Baud);
    name = o.Serial;
    port = std::move(com);
  }
  port->ShowInTerminal.store(true);
  CatchSignals();
  term.Connect();
  if (!term.IsConnected()) {
    std::string why = "cannot open";
    if (auto* udp = dynamic_cast<TUDPPort*>(port.get())) why += ": " + udp->LastErrorText();
    if (auto* com = dynamic_cast<TComPort*>(port.get()))
      why += std::string(": ") + std::strerror(com->LastError());
    std::fprintf(stderr, "tessaro-cli: %s %s\n", name.c_str(), why.c_str());
    return 1;
  }
  // The program's 100 ms poll tick: it notices a lost line and disconnects.
  while (!Interrupted.load() && term.IsConnected()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    term.PollTimerTick();
  }
  bool lost = !term.IsConnected();
  term.Disconnect();
  port.reset();
  if (lost) {
    std::fputs("connection lost\n", stderr);
    return 3;
  }
  return 0;
}

}  // namespace

const TCliCommand SendCommand = {
    "send",
    "tessaro-cli send (--udp HOST:PORT [--from PORT] | --serial DEVICE [--baud N]) COMMAND ...",
    &RunSend};
const TCliCommand SimulateCommand = {
    "simulate",
    "tessaro-cli simulate (--udp HOST:PORT [--from PORT] | --serial DEVICE [--baud N]) [--rate HZ] "
    "[--channels LIST] [--seconds S]",
    &RunSimulate};
const TCliCommand MonitorCommand = {
    "monitor",
    "tessaro-cli monitor (--udp BIND:PORT [--peer HOST:PORT] | --serial DEVICE [--baud N])",
    &RunMonitor};

}  // namespace tessaro::cli
