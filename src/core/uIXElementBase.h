// The engine half of every instrument: input text, compile results, the last delivered
// value and the flags that routing, compiler, edit mode and refresh work with. The
// widget class TIXElement derives from it and overrides the display operations.
//
// Threads: NewValue/NewText run in receive threads under TTerminal's ReceiveLock (or in
// the main thread for simulated input). CurrentValue/CurrentText are guarded by the
// spin lock ValueLock, held only for a copy. Changed and IsNumeric are atomics written
// by the delivering thread and read/cleared by the main thread. Everything else belongs
// to the main thread (compile state only changes while disconnected).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/uLists.h"

namespace tessaro {

class TTerminal;

// Type numbers of the instrument classes.
enum TElementType : int {
  etNone = 0,
  etAnalogDisp = 1,
  etNumericDisp = 2,
  etTimeChart = 3,
  etXYChart = 4,
  etRemoteLabel = 5,
  etStringSender = 6,
  etSwitch = 7,
  etButton = 8,
  etLED = 9,
  etFileRecorder = 10,
  etPicture = 11,
  etBarGraph = 13,
  etNumericOut = 14,
  etBlinkLED = 15,
  etToneGen = 16,
  etLEDBar = 17,
  etLookupTable = 18,
  etBitmapButton = 19,
  etBitmapSwitch = 20,
  etBitmapSlider = 21,
};

// How Source is compiled and triggered.
enum TInputMode : int {
  imNone = 0,     // no input
  imFormula = 1,  // numeric formula
  imText = 2,     // one text channel
  imOutput = 3,   // one output channel
  imChannelOrFormula = 4,
};

// Send animation styles.
enum class TAnimStyle : int { Sent = 1, NotSent = 2, NotCompiled = 3 };

// Frame colours of the compile-state display (0x00BBGGRR).
constexpr uint32_t clSilver = 0xC0C0C0;
constexpr uint32_t clCompiledOk = 0x85C47D;
constexpr uint32_t clNotCompiled = 0x2222BD;
constexpr uint32_t clWhite = 0xFFFFFF;

constexpr int MaxDenomLength = 32;
constexpr int MaxSourceLength = 255;
constexpr int MaxPosition = 9000;

// Compiled input, filled by the compile pass (see expr/). Kept opaque here so the base
// does not depend on the expression engine.
struct TCompiledInput;

class TIXElementBase {
 public:
  TIXElementBase();
  virtual ~TIXElementBase();
  TIXElementBase(const TIXElementBase&) = delete;
  TIXElementBase& operator=(const TIXElementBase&) = delete;

  // ---------------------------------------------------------------- virtual operations
  virtual void NewValue(double value);
  virtual void NewText(std::string_view text);
  virtual void UpdateDisplay();
  virtual void ResetValue();
  virtual void BeforeCompile() {}
  virtual void RunStart() {}
  virtual void RunStop() {}
  virtual void UpdateCaptions() {}
  virtual void SourceChanged() {}
  virtual void Arrange() {}
  virtual void Duplicate() {}
  virtual void LanguageChanged() {}
  virtual void DeferredUpdate(int /*argument*/) {}
  virtual void MarkCompileState();
  virtual void UnmarkCompileState();
  virtual uint32_t GetBackColor() const { return BackColor; }
  virtual void SetBackColor(uint32_t color);
  virtual uint32_t GetFrameColor() const { return FrameColor; }
  virtual void SetFrameColor(uint32_t color);
  virtual void SetInitialValue(double value);

  // Widget-side hooks: the engine says what changed, the widget repaints.
  virtual void FrameAppearanceChanged() {}
  virtual void GeometryChanged() {}
  virtual void RealignEditHandles() {}
  virtual void RefreshProperties() {}
  // The outcome of SendCommand for the send animation.
  virtual void ShowSendAnimation(TAnimStyle /*style*/) {}
  // The object that sends: the instrument itself or its output sub-channel.
  virtual TIXElementBase* OutputElement() { return this; }

  // ---------------------------------------------------------------- values
  void StoreValue(double v);
  double ReadValue() const;
  void StoreText(std::string_view s);
  std::string ReadText() const;

  // ---------------------------------------------------------------- properties
  const std::string& GetDenom() const { return Denom; }
  void SetDenom(std::string_view s);
  const std::string& GetSource() const { return Source; }
  void SetSource(std::string_view s);
  bool GetDisabled() const { return Disabled; }
  void SetDisabled(bool v) { Disabled = v; }
  int GetLeft() const { return Left; }
  int GetTop() const { return Top; }
  int GetWidth() const { return Width; }
  int GetHeight() const { return Height; }
  void SetLeft(int v);
  void SetTop(int v);
  void SetWidth(int v);
  void SetHeight(int v);
  int GetFrameWidth() const { return FrameWidth; }
  void SetFrameWidth(int v);
  double GetInitialValue() const { return InitialValue; }
  bool GetSendAnimation() const { return SendAnimation; }
  void SetSendAnimation(bool v) { SendAnimation = v; }
  // Pen colour the frame shows now (FrameColor or a compile-state colour).
  uint32_t FramePenColor() const { return PenColor; }

  // ---------------------------------------------------------------- sending
  // Stores the value in the output channel and sends "#<ch>F<value>;" / "#<ch>S<text>;"
  // when connected and compiled; the animation shows the outcome.
  void SendCommand(TTerminal& terminal, double value);
  void SendCommand(TTerminal& terminal, std::string_view text);

  // ---------------------------------------------------------------- fields
  int ElementType = etNone;
  int InputMode = imNone;
  bool PeriodicRefresh = false;
  bool Attached = false;
  bool TriggerOnReceive = true;
  bool HiddenInRun = false;
  bool RunNotify = false;
  bool HasSendAnimation = false;  // a sending instrument (the "showAnim" key exists)

  // Compile state: written by the compile pass while disconnected.
  bool CompiledOk = false;
  bool SourceEmpty = false;
  int OutputChannel = 0;
  bool IsFormula = false;
  TIntList ReferencedChannels;
  TCompiledInput* Compiled = nullptr;  // owned; token list and reverse Polish program

  std::atomic<bool> IsNumeric{false};
  std::atomic<bool> Changed{false};

 protected:
  void Send(TTerminal& terminal, char type, std::string_view payload);

  std::string Denom;
  std::string Source;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int FrameWidth = 6;
  uint32_t FrameColor = clSilver;
  uint32_t PenColor = clSilver;
  uint32_t BackColor = clWhite;
  double InitialValue = 0;
  bool Disabled = false;
  bool SendAnimation = true;

 private:
  void LockValue() const;
  void UnlockValue() const;

  double CurrentValue = 0;
  std::string CurrentText;
  mutable std::atomic<int32_t> ValueLock{0};
};

// Destroys a compiled input (defined by the expression engine).
void FreeCompiledInput(TCompiledInput* c);

// The instruments of the project as the engine sees them: every instrument of every
// sheet, sheets in list order, instruments in list order. The window implements it over
// its sheets; TSheetModelList is a plain one for the CLI and tests.
class TInstrumentWalk {
 public:
  virtual ~TInstrumentWalk() = default;
  virtual int SheetCount() const = 0;
  virtual void ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const = 0;
};

// The class-level operations over all instruments. Main thread only.
class TInstrumentSet {
 public:
  explicit TInstrumentSet(TInstrumentWalk* walk = nullptr) : Walk(walk) {}
  void SetWalk(TInstrumentWalk* walk) { Walk = walk; }
  TInstrumentWalk* GetWalk() const { return Walk; }

  // Instruments with PeriodicRefresh; rebuilt at the end of every compile pass.
  void RebuildRefreshList();
  // Redraws every instrument of the refresh list whose Changed is set.
  void RefreshAll();
  void NotifyRunStart();
  void NotifyRunStop();
  void ShowCompileState();
  void HideCompileState();
  // "Werte löschen": every instrument back to its initial value.
  void ResetAll();
  // An instrument is about to be destroyed: take it off the refresh list.
  void Forget(TIXElementBase* e);
  const std::vector<TIXElementBase*>& RefreshList() const { return Refresh; }

 private:
  void Each(const std::function<void(TIXElementBase&)>& fn) const {
    if (Walk) Walk->ForEachInstrument(fn);
  }
  TInstrumentWalk* Walk;
  std::vector<TIXElementBase*> Refresh;
};

// A plain sheet list: sheets of non-owned instruments in creation order.
class TSheetModelList : public TInstrumentWalk {
 public:
  struct TSheetModel {
    std::string Name;
    std::vector<TIXElementBase*> Instruments;
  };
  std::vector<TSheetModel> Sheets;

  int SheetCount() const override { return static_cast<int>(Sheets.size()); }
  void ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const override {
    for (const auto& s : Sheets)
      for (TIXElementBase* e : s.Instruments)
        fn(*e);
  }
};

}  // namespace tessaro
