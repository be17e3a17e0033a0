#include "core/uTerminal.h"

#include "core/uConvert.h"
#include "core/uIXElementBase.h"
#include "core/uTrace.h"
#include "core/uViews.h"
#include "ports/uPorts.h"

namespace tessaro {

uint32_t ConnectStateColor(TConnectState s) {
  switch (s) {
    case TConnectState::Connecting:
      return 0x00FFFF;
    case TConnectState::Connected:
      return 0x00FF00;
    default:
      return 0xC0C0C0;
  }
}

const char* ConnectStateTextId(TConnectState s) {
  switch (s) {
    case TConnectState::Connecting:
      return "uterminal.sterconnecting";
    case TConnectState::Connected:
      return "uterminal.sterconnec";
    default:
      return "uterminal.sterdiscon";
  }
}

const char* ConnectStateText(TConnectState s) {
  switch (s) {
    case TConnectState::Connecting:
      return "Verbinden...";
    case TConnectState::Connected:
      return "Verbunden";
    default:
      return "Getrennt";
  }
}

TTerminal::TTerminal() {
  SendQueue.SetLimit(SendQueueLimit);
  SendQueue.OnOverflow = [] { Notifications.SendLoss.store(true, std::memory_order_relaxed); };
}

TTerminal::~TTerminal() {
  StopTransmitThread();
  if (Ports) Ports->ClearRouter(this);
}

void TTerminal::SetPorts(TPortList* p) {
  if (Ports && Ports != p) Ports->ClearRouter(this);
  Ports = p;
  if (p) p->SetRouter(this);
}

// ---------------------------------------------------------------- receive side

namespace {
constexpr bool IsTypeLetter(char c) {
  return c == 'F' || c == 'S';
}
}  // namespace

bool TTerminal::ProcessCommand(std::string_view frame, TIXPort* port, bool notify) {
  std::lock_guard<std::recursive_mutex> g(ReceiveLock);
  return ProcessLocked(frame, port, notify);
}

bool TTerminal::ProcessLocked(std::string_view f, TIXPort* port, bool notify) {
  const size_t len = f.size();
  if (len < 4 || len > static_cast<size_t>(MaxCommandLength) || f[0] != '#' || f[len - 1] != ';')
    return false;
  // The first F or S at the 3rd, 4th or 5th character ends the channel digits.
  size_t type;
  if (IsTypeLetter(f[2]))
    type = 2;
  else if (len > 4 && IsTypeLetter(f[3]))
    type = 3;
  else if (len > 5 && IsTypeLetter(f[4]))
    type = 4;
  else
    return false;
  int channel = 0;
  for (size_t i = 1; i < type; ++i) {
    char c = f[i];
    if (c < '0' || c > '9') return false;
    channel = channel * 10 + (c - '0');
  }
  if (port && !port->Admits(channel)) return false;

  std::string_view payload = f.substr(type + 1, len - type - 2);
  if (channel == 0) {
    return Console ? Console->Receive(f.substr(type, len - type - 1)) : false;
  }
  TKanal& k = Channels[static_cast<size_t>(channel)];
  if (f[type] == 'F') {
    bool valid;
    double v = TextToReal(payload, valid);
    if (!valid) return false;
    k.Value.store(v, std::memory_order_relaxed);
    if (!notify || k.Dependents.Count() == 0) return false;
    if (Triggers)
      for (TIXElementBase* e : k.Dependents)
        Triggers->Calculate(*e);
    return true;
  }
  k.Text.assign(payload);
  if (!notify || k.Dependents.Count() == 0) return false;
  if (Triggers)
    for (TIXElementBase* e : k.Dependents)
      Triggers->UpdateText(*e);
  return true;
}

bool TTerminal::ReceiveFrame(std::string_view frame, TIXPort* port, bool notify) {
  bool forwarded = ProcessCommand(frame, port, notify);
  if (port && TermView && port->ShowInTerminal.load(std::memory_order_relaxed)) {
    char buf[MaxCommandLength + 2];
    size_t n = frame.size() > MaxCommandLength ? MaxCommandLength : frame.size();
    buf[0] = '\'';
    frame.copy(buf + 1, n);
    buf[n + 1] = '\'';
    TermView->AddCommand(std::string_view(buf, n + 2), forwarded);
  }
  return forwarded;
}

void TTerminal::Recalculate(TIXElementBase& e) {
  std::lock_guard<std::recursive_mutex> g(ReceiveLock);
  if (Triggers) Triggers->Calculate(e);
}

std::string TTerminal::ChannelText(int n) {
  std::lock_guard<std::recursive_mutex> g(ReceiveLock);
  return Channels[static_cast<size_t>(n)].Text;
}

// ---------------------------------------------------------------- send side

void TTerminal::Send(int channel, std::string_view text, bool& deliverable) {
  if (!IsConnected()) return;
  {
    std::lock_guard<std::mutex> g(SendLock);
    SendQueue.Push(text, channel);
    deliverable = Ports ? Ports->CanSend(channel) : false;
  }
  // Wake the transmit thread at once instead of letting the command wait for its
  // 10 ms period; the flag keeps the common case free of a lock.
  if (TransmitSleeping.load()) {
    { std::lock_guard<std::mutex> g(TransmitMutex); }
    TransmitWake.notify_one();
  }
}

void TTerminal::TransmitLoop() {
  Trace("Thread started");
  for (;;) {
    {
      std::unique_lock<std::mutex> lk(TransmitMutex);
      TransmitSleeping.store(true);
      TransmitWake.wait_for(lk, std::chrono::milliseconds(TransmitPeriodMs),
                            [this] { return TransmitStop || SendQueue.Pending() > 0; });
      TransmitSleeping.store(false);
      if (TransmitStop) break;
    }
    if (SendQueue.BeginRead()) {
      while (SendQueue.Next()) {
        const TStringInt& e = SendQueue.Read();
        if (Ports) Ports->SendToPorts(e.Text, e.Value);
      }
    }
  }
  Trace("Thread stopped");
}

void TTerminal::StartTransmitThread() {
  StopTransmitThread();
  {
    std::lock_guard<std::mutex> g(TransmitMutex);
    TransmitStop = false;
  }
  TransmitThread = std::thread([this] { TransmitLoop(); });
}

void TTerminal::StopTransmitThread() {
  if (!TransmitThread.joinable()) return;
  {
    std::lock_guard<std::mutex> g(TransmitMutex);
    TransmitStop = true;
  }
  TransmitWake.notify_all();
  TransmitThread.join();
}

// ---------------------------------------------------------------- connection

void TTerminal::ShowConnectState(TConnectState s) {
  if (Host) Host->ShowConnectState(s);
}

void TTerminal::Connect() {
  if (IsConnected()) return;
  Trace("Terminal.Connect");
  Notifications.ClearAll();
  if (Host) {
    Host->ShowNotification(TNotification::SendLoss, false);
    Host->ShowNotification(TNotification::ReceiveLoss, false);
    Host->ShowNotification(TNotification::ConnLost, false);
    Host->CompileIfPending();
    Host->HideCompileState();
  }
  ShowConnectState(TConnectState::Connecting);
  if (Host) Host->ProcessPendingEvents();
  SendQueue.Clear();
  bool ok = Ports ? Ports->ConnectAll() : true;
  if (ok) {
    Connected.store(true, std::memory_order_release);
    StartRun();
    ShowConnectState(TConnectState::Connected);
  } else {
    StopRun();
    ShowConnectState(TConnectState::Disconnected);
    if (Host) Host->ShowInterfacePage();
  }
}

void TTerminal::Disconnect() {
  if (!IsConnected()) return;
  Trace("Terminal.Disconnect");
  if (Ports) Ports->DisconnectAll();
  Connected.store(false, std::memory_order_release);
  StopRun();
  ShowConnectState(TConnectState::Disconnected);
}

void TTerminal::StartRun() {
  if (Ports) Ports->ResetIndicators();
  if (TermView) TermView->StartCollecting();
  if (Console) Console->RunStart();
  StartTransmitThread();
  if (Ports) Ports->StartAll();
  if (Instruments) Instruments->NotifyRunStart();
  BlinkEnabled = true;
  PollEnabled = true;
  if (Host) {
    Host->SetBlinkTimerEnabled(true);
    Host->SetPollTimerEnabled(true);
  }
}

void TTerminal::StopRun() {
  if (TermView) TermView->StopCollecting();
  if (Console) Console->RunStop();
  BlinkEnabled = false;
  if (Host) Host->SetBlinkTimerEnabled(false);
  BlinkTimerTick();
  PollEnabled = false;
  if (Host) Host->SetPollTimerEnabled(false);
  PollTimerTick();
  if (Instruments) Instruments->NotifyRunStop();
  StopTransmitThread();
}

void TTerminal::BlinkTimerTick() {
  if (Instruments) Instruments->RefreshAll();
  Phase = !Phase;
  if (Host) Host->SetAlive(Phase);
  static constexpr TNotification all[] = {TNotification::SendLoss, TNotification::ReceiveLoss,
                                          TNotification::ConnLost};
  for (TNotification n : all) {
    if (Notifications.Flag(n).exchange(false)) {
      if (Host) Host->ShowNotification(n, true);
    }
  }
}

void TTerminal::PollTimerTick() {
  if (TermView && TermView->Collecting()) TermView->Refresh();
  if (Console && Console->ActiveOrRecording()) Console->Update();
  if (Ports && Ports->CheckConnectionLost() && !Ports->AnyConnected()) Disconnect();
}

void TTerminal::ResetValues() {
  for (TKanal& k : Channels)
    k.Value.store(0.0, std::memory_order_relaxed);
}

bool TTerminal::ReceiveSimulation(std::string_view text) {
  text = text.substr(0, MaxCommandLength);
  size_t hash = text.find('#');
  bool forwarded = false;
  if (hash != std::string_view::npos) {
    bool notify = !(hash > 0 && text[hash - 1] == '/');
    forwarded = ProcessCommand(text.substr(hash), nullptr, notify);
  }
  if (!IsConnected()) BlinkTimerTick();
  return forwarded;
}

void TTerminal::SendSimulation(std::string_view text) {
  if (!IsConnected()) return;
  bool deliverable = false;
  Send(1, text, deliverable);
}

// ---------------------------------------------------------------- dependencies

void TTerminal::AddDependent(int channel, TIXElementBase* e) {
  if (channel < 0 || channel >= ChannelCount) return;
  TKanal& k = Channels[static_cast<size_t>(channel)];
  if (k.Dependents.Contains(e)) return;
  k.Dependents.Add(e);
  k.HasDependents = true;
}

void TTerminal::AddSecondaryDependent(int channel, TIXElementBase* e) {
  if (channel < 0 || channel >= ChannelCount) return;
  TKanal& k = Channels[static_cast<size_t>(channel)];
  if (k.Dependents.Contains(e) || k.SecondaryDependents.Contains(e)) return;
  k.SecondaryDependents.Add(e);
}

void TTerminal::ClearDependents() {
  for (TKanal& k : Channels) {
    k.Dependents.Clear();
    k.HasDependents = false;
  }
}

void TTerminal::ForgetInstrument(TIXElementBase* e) {
  std::lock_guard<std::recursive_mutex> g(ReceiveLock);
  for (TKanal& k : Channels) {
    if (!k.HasDependents && k.SecondaryDependents.Count() == 0) continue;
    if (k.Dependents.Contains(e)) {
      k.Dependents.Remove(e);
      k.HasDependents = k.Dependents.Count() > 0;
    }
    if (k.SecondaryDependents.Contains(e)) k.SecondaryDependents.Remove(e);
  }
}

void TTerminal::ClearSecondaryDependents() {
  for (TKanal& k : Channels)
    k.SecondaryDependents.Clear();
}

}  // namespace tessaro
