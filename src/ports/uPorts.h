// The interface model: TIXPort, base of the serial, UDP and URL interfaces, and the port
// list with the operations the command router uses.
//
// Threads: the list, the configuration and Connect/Disconnect/StartReceiving are
// main-thread business. SendToPorts (and so SendText) runs in the transmit thread, and
// the receive threads read the filter and ShowInTerminal, so Connected, Disabled, the
// filter fields and ShowInTerminal are atomics. The router and the terminal sink are
// atomic pointers set before connecting. Each interface keeps its endpoint usable by its
// receive thread and SendText at the same time; no lock is ever held across a blocking
// read, so a command never waits for reception.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "persist/uFileLoader.h"

namespace tessaro {

class TTerminal;
class TTerminalSink;

// Colours of the connection indicator (0x00BBGGRR).
constexpr uint32_t IndicatorConnected = 0x008000;
constexpr uint32_t IndicatorNotConnected = 0x0000FF;

// The interface's box on the configuration sheet.
class TPortView {
 public:
  virtual ~TPortView() = default;
  virtual void ShowIndicator(uint32_t color) = 0;
  virtual void HideIndicator() = 0;
  virtual void SetGreyed(bool greyed) = 0;
};

class TIXPort {
 public:
  TIXPort();
  virtual ~TIXPort();
  TIXPort(const TIXPort&) = delete;
  TIXPort& operator=(const TIXPort&) = delete;

  // Opens the endpoint. Subclasses open, set Connected, then call TIXPort::Connect,
  // which releases a half-open endpoint and shows the indicator.
  virtual void Connect();
  virtual void Disconnect() = 0;
  // Starts the receive thread created by Connect.
  virtual void StartReceiving() = 0;
  virtual bool ConnectionLost() { return false; }
  // Writes one outgoing command (transmit thread).
  virtual void SendText(std::string_view text) = 0;
  virtual std::string Summary() const { return {}; }
  // The interface's project section and its own pointer as that section expects it.
  virtual TFLItem FileItem() { return {}; }

  bool GetDisabled() const { return Disabled.load(); }
  void SetDisabled(bool v);
  bool GetFilterActive() const { return FilterActive.load(); }
  void SetFilterActive(bool v) { FilterActive.store(v); }
  int GetFilterMin() const { return FilterMin.load(); }
  void SetFilterMin(int v) { FilterMin.store(v); }
  int GetFilterMax() const { return FilterMax.load(); }
  void SetFilterMax(int v) { FilterMax.store(v); }
  bool IsConnected() const { return Connected.load(std::memory_order_acquire); }

  // Receive-side and send-side channel filter (channels 50 and above only).
  bool Admits(int channel) const {
    if (channel < 50 || !FilterActive.load(std::memory_order_relaxed)) return true;
    return channel >= FilterMin.load(std::memory_order_relaxed) &&
           channel <= FilterMax.load(std::memory_order_relaxed);
  }

  void SetView(TPortView* view) { View = view; }
  TPortView* GetView() const { return View; }

  std::atomic<bool> Disabled{false};
  std::atomic<bool> Connected{false};
  std::atomic<bool> ShowInTerminal{false};
  std::atomic<bool> FilterActive{false};
  std::atomic<int> FilterMin{50};
  std::atomic<int> FilterMax{999};

 protected:
  // Receive threads: the raw characters for the terminal's character box when this is
  // the terminal interface, and one framed command for the router.
  void EchoToTerminal(const char* data, size_t n);
  void EchoToTerminal(char c) { EchoToTerminal(&c, 1); }
  static void Deliver(TTerminal* router, TIXPort* port, std::string_view frame, bool notify);

  TPortView* View = nullptr;
};

// The two filter keys that close every interface section.
template <class T>
void BindPortFilter(TFLBinder<T>& b) {
  b.template Bind<TFLEBool, &T::GetFilterActive, &T::SetFilterActive>("filterActive");
  b.template BindXY<&T::GetFilterMin, &T::SetFilterMin, &T::GetFilterMax, &T::SetFilterMax>(
      "filterBounds");
}

// The global port list, in creation order. Interfaces add and remove themselves.
class TPortList {
 public:
  static TPortList& Instance();

  const std::vector<TIXPort*>& Ports() const { return List; }
  int Count() const { return static_cast<int>(List.size()); }

  // The command router that receive threads hand their frames to (TTerminal::SetPorts
  // registers itself). Read by an interface when its receive thread starts.
  void SetRouter(TTerminal* t) { FRouter.store(t, std::memory_order_release); }
  void ClearRouter(TTerminal* t) { FRouter.compare_exchange_strong(t, nullptr); }
  TTerminal* Router() const { return FRouter.load(std::memory_order_acquire); }
  // Terminal (may be null): the sink for sent lines and received traffic.
  void SetTerminalSink(TTerminalSink* sink) { TermSink.store(sink); }
  TTerminalSink* TerminalSink() const { return TermSink.load(std::memory_order_acquire); }
  // A host that lets pending UI events run during a connection test (may be null).
  void SetProcessEvents(void (*fn)(void*), void* ctx) {
    ProcessEventsFn = fn;
    ProcessEventsCtx = ctx;
  }

  // Every enabled interface tries to open; true when at least one did or none was
  // enabled. A failed interface sets ConnLost. On false everything is closed again.
  bool ConnectAll();
  void DisconnectAll();
  void StartAll();
  void ResetIndicators();
  // Closes every connected interface that lost its connection; true if any did.
  bool CheckConnectionLost();
  bool AnyConnected() const;
  // Transmit thread: the command to every connected interface that admits the channel.
  void SendToPorts(std::string_view text, int channel);
  bool CanSend(int channel) const;
  // n counts from 1; 0 selects none.
  void SelectTerminalInterface(int n);
  // Connection test: only when not connected and no test runs.
  void ConnectionTest(bool systemConnected);
  bool TestRunning() const { return Testing; }
  // Frees every interface from the last to the first (closing open ones first).
  void RemoveAll();

  // Framing rule for control characters: true when c must be dropped.
  static bool SkipControlChar(char c, char lastStored);

 private:
  friend class TIXPort;
  void Add(TIXPort* p) { List.push_back(p); }
  void Remove(TIXPort* p);
  void ProcessEvents() {
    if (ProcessEventsFn) ProcessEventsFn(ProcessEventsCtx);
  }

  std::vector<TIXPort*> List;
  std::atomic<TTerminalSink*> TermSink{nullptr};
  std::atomic<TTerminal*> FRouter{nullptr};
  void (*ProcessEventsFn)(void*) = nullptr;
  void* ProcessEventsCtx = nullptr;
  bool Testing = false;
  bool InTest = false;
};

}  // namespace tessaro
