#include "ports/uPorts.h"

#include <algorithm>

#include "core/uNotifications.h"
#include "core/uTerminal.h"
#include "core/uViews.h"

namespace tessaro {

TIXPort::TIXPort() {
  TPortList::Instance().Add(this);
}

TIXPort::~TIXPort() {
  TPortList::Instance().Remove(this);
}

void TIXPort::Connect() {
  if (!IsConnected()) Disconnect();
  if (View) View->ShowIndicator(IsConnected() ? IndicatorConnected : IndicatorNotConnected);
  TPortList& list = TPortList::Instance();
  if (list.InTest) list.ProcessEvents();
}

void TIXPort::EchoToTerminal(const char* data, size_t n) {
  if (!ShowInTerminal.load(std::memory_order_relaxed)) return;
  TTerminalSink* t = TPortList::Instance().TerminalSink();
  if (!t) return;
  for (size_t i = 0; i < n; ++i)
    t->AddCharacter(data[i]);
}

void TIXPort::Deliver(TTerminal* router, TIXPort* port, std::string_view frame, bool notify) {
  if (router) router->ReceiveFrame(frame, port, notify);
}

void TIXPort::SetDisabled(bool v) {
  Disabled.store(v);
  if (View) View->SetGreyed(v);
}

TPortList& TPortList::Instance() {
  static TPortList list;
  return list;
}

void TPortList::Remove(TIXPort* p) {
  auto it = std::find(List.begin(), List.end(), p);
  if (it != List.end()) List.erase(it);
}

bool TPortList::ConnectAll() {
  bool any = false;
  bool all = true;
  for (TIXPort* p : List) {
    if (p->GetDisabled()) continue;
    p->Connect();
    bool ok = p->IsConnected();
    if (!ok) Notifications.ConnLost.store(true);
    any = any || ok;
    all = all && ok;
  }
  bool result = any || all;
  if (!result) DisconnectAll();
  return result;
}

void TPortList::DisconnectAll() {
  for (TIXPort* p : List)
    p->Disconnect();
}

void TPortList::StartAll() {
  for (TIXPort* p : List)
    if (!p->GetDisabled() && p->IsConnected()) p->StartReceiving();
}

void TPortList::ResetIndicators() {
  for (TIXPort* p : List)
    if (p->GetView()) p->GetView()->HideIndicator();
}

bool TPortList::CheckConnectionLost() {
  bool lost = false;
  for (TIXPort* p : List) {
    if (p->IsConnected() && p->ConnectionLost()) {
      Notifications.ConnLost.store(true);
      p->Disconnect();
      lost = true;
    }
  }
  return lost;
}

bool TPortList::AnyConnected() const {
  return std::any_of(List.begin(), List.end(), [](TIXPort* p) { return p->IsConnected(); });
}

void TPortList::SendToPorts(std::string_view text, int channel) {
  for (TIXPort* p : List) {
    if (!p->IsConnected() || !p->Admits(channel)) continue;
    p->SendText(text);
    if (p->ShowInTerminal.load(std::memory_order_relaxed)) {
      if (TTerminalSink* t = TerminalSink()) {
        std::string line;
        line.reserve(text.size() + 2);
        line += '\'';
        line += text;
        line += '\'';
        t->AddSentLine(line);
      }
    }
  }
}

bool TPortList::CanSend(int channel) const {
  return std::any_of(List.begin(), List.end(),
                     [channel](TIXPort* p) { return p->IsConnected() && p->Admits(channel); });
}

void TPortList::SelectTerminalInterface(int n) {
  for (int i = 0; i < Count(); ++i)
    List[static_cast<size_t>(i)]->ShowInTerminal.store(i + 1 == n);
}

void TPortList::ConnectionTest(bool systemConnected) {
  if (systemConnected || Testing) return;
  Testing = true;
  ResetIndicators();
  ProcessEvents();
  InTest = true;
  ConnectAll();
  InTest = false;
  DisconnectAll();
  Testing = false;
}

void TPortList::RemoveAll() {
  // The destructor takes an interface off the list; the concrete destructors close it.
  while (!List.empty())
    delete List.back();
}

bool TPortList::SkipControlChar(char c, char lastStored) {
  if (c == '\r') return false;
  if (c == '\n') return lastStored == '\r';
  return static_cast<unsigned char>(c) < 0x20;
}

}  // namespace tessaro
