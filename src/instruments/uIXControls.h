// TIXElement: the widget of an instrument. It derives from the engine half
// (TIXElementBase) and only shows what the engine holds: frame and background, its
// child controls, the send animation. No widget is touched outside the main thread;
// receive threads reach it through PostDeferredUpdate and RequestAnimation.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/uIXElementBase.h"
#include "persist/uFileLoader.h"

namespace tessaro {

class TTerminal;
class TSheet;

// The router the instruments send through (one per program).
void SetInstrumentTerminal(TTerminal* t);
TTerminal& InstrumentTerminal();
// The refresh list the instruments are on (null in tests without a window).
void SetInstrumentSet(TInstrumentSet* s);
TInstrumentSet* InstrumentSet();

class TIXElement : public QWidget, public TIXElementBase {
  Q_OBJECT
 public:
  // Creates the instrument on `sheet` and adds it to the sheet's instrument list.
  explicit TIXElement(TSheet* sheet);
  // An attached sub-channel: its parent is the composite, never shown.
  TIXElement(TSheet* sheet, TIXElement* composite);
  ~TIXElement() override;

  TSheet* Sheet() const { return FSheet; }

  // The instrument's project section and its own pointer as that section expects it;
  // no section: nothing is written for it.
  virtual TFLItem FileItem() { return TFLItem{nullptr, nullptr, Attached}; }

  // Queued call of DeferredUpdate(argument) in the main thread; dropped when the
  // instrument is gone by then.
  void PostDeferredUpdate(int argument);
  // Send animation from any thread; dropped when the instrument's sheet is not shown.
  void RequestAnimation(int style);

  // Run-mode visibility.
  void SetRunAppearance();
  void SetEditAppearance();

  void FrameAppearanceChanged() override { update(); }
  void GeometryChanged() override;
  void ShowSendAnimation(TAnimStyle style) override;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  // The inner rectangle the child controls live in.
  QRect InnerRect() const;

 private:
  TSheet* FSheet;
};

// An instrument that sends (its "showAnim" switch is on by default).
class TIXAnimElement : public TIXElement {
  Q_OBJECT
 public:
  explicit TIXAnimElement(TSheet* sheet);
};

// A sub-channel of a composite instrument; reports deliveries to its owner.
class TAttachedIXElement : public TIXElement {
  Q_OBJECT
 public:
  TAttachedIXElement(TSheet* sheet, TIXElement* composite);
  std::function<void(TAttachedIXElement*)> OnNewValue;
  std::function<void(TAttachedIXElement*)> OnNewText;
  void NewValue(double v) override;
  void NewText(std::string_view s) override;
};

}  // namespace tessaro
