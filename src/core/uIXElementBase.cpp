#include "core/uIXElementBase.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/uConvert.h"
#include "core/uTerminal.h"

namespace tessaro {

TIXElementBase::TIXElementBase() = default;

TIXElementBase::~TIXElementBase() {
  if (Compiled) FreeCompiledInput(Compiled);
}

// ---------------------------------------------------------------- value lock

void TIXElementBase::LockValue() const {
  int spins = 0;
  int32_t expected = 0;
  while (!ValueLock.compare_exchange_weak(expected, 1, std::memory_order_acquire,
                                          std::memory_order_relaxed)) {
    expected = 0;
    // The lock is only ever held for a copy: a few yields nearly always suffice; the
    // 5 ms sleep is the fallback for a holder that was preempted.
    if (++spins < 64)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// A release store ends the copy as the exchange would, without a second locked
// read-modify-write on the delivery path.
void TIXElementBase::UnlockValue() const {
  ValueLock.store(0, std::memory_order_release);
}

void TIXElementBase::StoreValue(double v) {
  LockValue();
  CurrentValue = v;
  UnlockValue();
}

double TIXElementBase::ReadValue() const {
  LockValue();
  double v = CurrentValue;
  UnlockValue();
  return v;
}

void TIXElementBase::StoreText(std::string_view s) {
  // Copy outside the lock when the text needs a new buffer, so the lock is only held
  // for a swap; assign() reuses capacity for texts no longer than the last.
  std::string copy(s);
  LockValue();
  CurrentText.swap(copy);
  UnlockValue();
}

std::string TIXElementBase::ReadText() const {
  LockValue();
  std::string s = CurrentText;
  UnlockValue();
  return s;
}

// ---------------------------------------------------------------- virtual operations

void TIXElementBase::NewValue(double value) {
  StoreValue(value);
  IsNumeric.store(true, std::memory_order_relaxed);
  Changed.store(true, std::memory_order_release);
}

void TIXElementBase::NewText(std::string_view text) {
  StoreText(text);
  IsNumeric.store(false, std::memory_order_relaxed);
  Changed.store(true, std::memory_order_release);
}

void TIXElementBase::UpdateDisplay() {
  Changed.store(false, std::memory_order_release);
}

void TIXElementBase::ResetValue() {
  StoreValue(InitialValue);
  NewValue(InitialValue);
  UpdateDisplay();
}

void TIXElementBase::MarkCompileState() {
  if (Attached) return;
  if (Disabled)
    PenColor = clSilver;
  else if (CompiledOk)
    PenColor = clCompiledOk;
  else if (SourceEmpty)
    PenColor = clSilver;
  else
    PenColor = clNotCompiled;
  FrameAppearanceChanged();
}

void TIXElementBase::UnmarkCompileState() {
  if (Attached) return;
  PenColor = FrameColor;
  FrameAppearanceChanged();
}

void TIXElementBase::SetBackColor(uint32_t color) {
  BackColor = color;
  FrameAppearanceChanged();
  RealignEditHandles();
}

void TIXElementBase::SetFrameColor(uint32_t color) {
  FrameColor = color;
  PenColor = color;
  FrameAppearanceChanged();
  RealignEditHandles();
}

void TIXElementBase::SetInitialValue(double value) {
  InitialValue = value;
  StoreValue(value);
}

// ---------------------------------------------------------------- properties

void TIXElementBase::SetDenom(std::string_view s) {
  Denom = CutToChars(s, MaxDenomLength);
  UpdateCaptions();
  RealignEditHandles();
}

void TIXElementBase::SetSource(std::string_view s) {
  Source = CutToChars(s, MaxSourceLength);
  SourceChanged();
  RealignEditHandles();
}

namespace {
// Applies the position rule (greater than 9000 ignored); true when the value changed.
bool AcceptPosition(int& field, int v) {
  if (v > MaxPosition || v == field) return false;
  field = v;
  return true;
}
// Applies the size rule (below 0 becomes 0, greater than 9000 ignored).
bool AcceptSize(int& field, int v) {
  if (v < 0) v = 0;
  if (v > MaxPosition || v == field) return false;
  field = v;
  return true;
}
}  // namespace

void TIXElementBase::SetLeft(int v) {
  if (!AcceptPosition(Left, v)) return;
  GeometryChanged();
  RealignEditHandles();
  RefreshProperties();
}

void TIXElementBase::SetTop(int v) {
  if (!AcceptPosition(Top, v)) return;
  GeometryChanged();
  RealignEditHandles();
  RefreshProperties();
}

void TIXElementBase::SetWidth(int v) {
  if (!AcceptSize(Width, v)) return;
  GeometryChanged();
  Arrange();
  RealignEditHandles();
  RefreshProperties();
}

void TIXElementBase::SetHeight(int v) {
  if (!AcceptSize(Height, v)) return;
  GeometryChanged();
  Arrange();
  RealignEditHandles();
  RefreshProperties();
}

void TIXElementBase::SetFrameWidth(int v) {
  FrameWidth = v < 0 ? 0 : v;
  FrameAppearanceChanged();
  Arrange();
  RealignEditHandles();
}

// ---------------------------------------------------------------- sending

void TIXElementBase::Send(TTerminal& terminal, char type, std::string_view payload) {
  TIXElementBase* out = OutputElement();
  if (!terminal.IsConnected()) {
    if (SendAnimation) ShowSendAnimation(TAnimStyle::NotSent);
    return;
  }
  if (!out->CompiledOk) {
    if (SendAnimation) ShowSendAnimation(TAnimStyle::NotCompiled);
    return;
  }
  std::string cmd;
  cmd.reserve(payload.size() + 8);
  cmd += '#';
  cmd += std::to_string(out->OutputChannel);
  cmd += type;
  cmd += payload;
  cmd += ';';
  bool deliverable = false;
  terminal.Send(out->OutputChannel, cmd, deliverable);
  if (SendAnimation) ShowSendAnimation(deliverable ? TAnimStyle::Sent : TAnimStyle::NotSent);
}

void TIXElementBase::SendCommand(TTerminal& terminal, double value) {
  OutputElement()->StoreValue(value);
  char buf[32];
  int n = FormatReal(value, buf, OutputDecimalSeparator());
  Send(terminal, 'F', std::string_view(buf, static_cast<size_t>(n)));
}

void TIXElementBase::SendCommand(TTerminal& terminal, std::string_view text) {
  OutputElement()->StoreText(text);
  Send(terminal, 'S', text);
}

// ---------------------------------------------------------------- class-level operations

void TInstrumentSet::RebuildRefreshList() {
  Refresh.clear();
  Each([this](TIXElementBase& e) {
    if (e.PeriodicRefresh) Refresh.push_back(&e);
  });
}

void TInstrumentSet::RefreshAll() {
  for (TIXElementBase* e : Refresh)
    if (e->Changed.load(std::memory_order_acquire)) e->UpdateDisplay();
}

void TInstrumentSet::NotifyRunStart() {
  Each([](TIXElementBase& e) {
    if (e.RunNotify && !e.GetDisabled()) e.RunStart();
  });
}

void TInstrumentSet::NotifyRunStop() {
  Each([](TIXElementBase& e) {
    if (e.RunNotify && !e.GetDisabled()) e.RunStop();
  });
}

void TInstrumentSet::ShowCompileState() {
  Each([](TIXElementBase& e) { e.MarkCompileState(); });
}

void TInstrumentSet::HideCompileState() {
  Each([](TIXElementBase& e) { e.UnmarkCompileState(); });
}

void TInstrumentSet::ResetAll() {
  Each([](TIXElementBase& e) { e.ResetValue(); });
}

void TInstrumentSet::Forget(TIXElementBase* e) {
  Refresh.erase(std::remove(Refresh.begin(), Refresh.end(), e), Refresh.end());
}

}  // namespace tessaro
