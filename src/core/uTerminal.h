// The command router: the channel table of 1000 TKanal slots, ProcessCommand for every
// received command, the send queue with its transmit thread, and the connect/disconnect
// sequence of the whole system.
//
// Threads and locks:
// - ProcessCommand and Recalculate run under ReceiveLock (receive threads, or the main
//   thread for simulated input); instrument triggers run inside it.
// - Send runs in the main thread; SendLock serialises queueing; the transmit thread
//   drains SendQueue, which has its own lock for the bank swap.
// - Connect, Disconnect, the two tick handlers and the dependency maintenance run in the
//   main thread; dependencies change only while disconnected.
// - TKanal::Value is an atomic (read by the channel table view without a lock);
//   TKanal::Text is guarded by ReceiveLock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/uBuffer.h"
#include "core/uFramer.h"
#include "core/uLists.h"
#include "core/uNotifications.h"

namespace tessaro {

class TIXElementBase;
class TIXPort;
class TPortList;
class TInstrumentSet;
class TTerminalSink;
class TConsoleSink;

constexpr int ChannelCount = 1000;
constexpr int SendQueueStep = 15;
constexpr int SendQueueLimit = 100;
constexpr int TransmitPeriodMs = 10;

struct TKanal {
  std::atomic<double> Value{0.0};
  std::string Text;
  bool HasDependents = false;
  TPtrList Dependents;
  TPtrList SecondaryDependents;
};

enum class TConnectState { Disconnected, Connecting, Connected };

// Colour (0x00BBGGRR) and resource text of the connection status display.
uint32_t ConnectStateColor(TConnectState s);
const char* ConnectStateTextId(TConnectState s);
const char* ConnectStateText(TConnectState s);  // German source text

// What TTerminal needs of the main window. Main thread only.
class TTerminalHost {
 public:
  virtual ~TTerminalHost() = default;
  virtual void ShowConnectState(TConnectState state) = 0;
  virtual void ProcessPendingEvents() = 0;
  virtual void SetBlinkTimerEnabled(bool on) = 0;
  virtual void SetPollTimerEnabled(bool on) = 0;
  // The heartbeat marker: white in the on phase, black in the off phase.
  virtual void SetAlive(bool phaseOn) = 0;
  // The label of a notification in its enabled (set) or disabled look.
  virtual void ShowNotification(TNotification which, bool enabled) = 0;
  // Brings the interface configuration tab forward (after a failed connect).
  virtual void ShowInterfacePage() = 0;
  // Compiles every instrument if a recompilation is pending.
  virtual void CompileIfPending() = 0;
  // Connecting ends the compile-state display.
  virtual void HideCompileState() {}
};

// The numeric and the text trigger of an instrument (the expression engine).
class TInstrumentTriggers {
 public:
  virtual ~TInstrumentTriggers() = default;
  virtual void Calculate(TIXElementBase& e) = 0;
  virtual void UpdateText(TIXElementBase& e) = 0;
};

class TTerminal {
 public:
  TTerminal();
  ~TTerminal();
  TTerminal(const TTerminal&) = delete;
  TTerminal& operator=(const TTerminal&) = delete;

  // Collaborators; any may be null (then that part does nothing). Set before connecting.
  void SetHost(TTerminalHost* h) { Host = h; }
  // Also makes this terminal the router the interfaces' receive threads deliver to.
  void SetPorts(TPortList* p);
  void SetInstruments(TInstrumentSet* s) { Instruments = s; }
  void SetTriggers(TInstrumentTriggers* t) { Triggers = t; }
  void SetTerminalView(TTerminalSink* t) { TermView = t; }
  void SetConsole(TConsoleSink* c) { Console = c; }
  TInstrumentTriggers* GetTriggers() const { return Triggers; }

  // ---------------------------------------------------------------- receive side
  // A framed command "#..;" (at most 255 characters) from `port` (null: no filter).
  // Returns forwarded: it reached at least one instrument (or the console took it).
  bool ProcessCommand(std::string_view frame, TIXPort* port, bool notify);
  // ProcessCommand plus the copy for the terminal view when `port` is the terminal
  // interface: what every receive thread calls for each frame.
  bool ReceiveFrame(std::string_view frame, TIXPort* port, bool notify);
  // Re-evaluates one instrument's formula under ReceiveLock.
  void Recalculate(TIXElementBase& e);

  // ---------------------------------------------------------------- send side
  // Queues a command when connected; deliverable says whether an interface admits the
  // channel. Not connected: nothing happens and deliverable stays as it was.
  void Send(int channel, std::string_view text, bool& deliverable);

  // ---------------------------------------------------------------- connection
  void Connect();
  void Disconnect();
  bool IsConnected() const { return Connected.load(std::memory_order_acquire); }
  void BlinkTimerTick();
  void PollTimerTick();
  void ShowConnectState(TConnectState s);
  bool BlinkTimerEnabled() const { return BlinkEnabled; }
  bool PollTimerEnabled() const { return PollEnabled; }
  bool BlinkPhase() const { return Phase; }

  // "Werte löschen": every channel's number back to 0 (texts stay).
  void ResetValues();

  // The two manual command fields of the main window.
  // Receive simulation: the text cut to 255 characters, from its first "#" to the end,
  // no interface; silent when a "/" stands directly before that "#". Without a
  // connection one blink tick follows so that the result shows.
  bool ReceiveSimulation(std::string_view text);
  // Send simulation: when connected, the text goes out on channel 1.
  void SendSimulation(std::string_view text);

  // ---------------------------------------------------------------- dependencies
  void AddDependent(int channel, TIXElementBase* e);
  void AddSecondaryDependent(int channel, TIXElementBase* e);
  void ClearDependents();
  void ClearSecondaryDependents();
  // An instrument is being destroyed: no channel may reach it any more.
  void ForgetInstrument(TIXElementBase* e);

  // ---------------------------------------------------------------- channel table
  TKanal& Channel(int n) { return Channels[static_cast<size_t>(n)]; }
  const TKanal& Channel(int n) const { return Channels[static_cast<size_t>(n)]; }
  double ChannelValue(int n) const {
    return Channels[static_cast<size_t>(n)].Value.load(std::memory_order_relaxed);
  }
  // Reads a channel's text under ReceiveLock (main thread).
  std::string ChannelText(int n);

  std::recursive_mutex& GetReceiveLock() { return ReceiveLock; }
  TStringIntExtendBuffer& GetSendQueue() { return SendQueue; }

 private:
  bool ProcessLocked(std::string_view frame, TIXPort* port, bool notify);
  void StartRun();
  void StopRun();
  void TransmitLoop();
  void StartTransmitThread();
  void StopTransmitThread();

  std::array<TKanal, ChannelCount> Channels;
  std::atomic<bool> Connected{false};
  bool BlinkEnabled = false;
  bool PollEnabled = false;
  TStringIntExtendBuffer SendQueue{SendQueueStep};
  std::recursive_mutex ReceiveLock;
  std::mutex SendLock;
  bool Phase = false;

  std::thread TransmitThread;
  std::mutex TransmitMutex;
  std::condition_variable TransmitWake;
  bool TransmitStop = false;
  std::atomic<bool> TransmitSleeping{false};

  TTerminalHost* Host = nullptr;
  TPortList* Ports = nullptr;
  TInstrumentSet* Instruments = nullptr;
  TInstrumentTriggers* Triggers = nullptr;
  TTerminalSink* TermView = nullptr;
  TConsoleSink* Console = nullptr;
};

}  // namespace tessaro
