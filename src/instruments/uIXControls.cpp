#include "instruments/uIXControls.h"

#include <QPainter>
#include <QThread>

#include "core/uTerminal.h"
#include "instruments/uIXSections.h"
#include "instruments/uSendAnim.h"
#include "ui/uQtBridge.h"
#include "ui/uSheet.h"

namespace tessaro {

namespace {
TTerminal* gTerminal = nullptr;
TInstrumentSet* gSet = nullptr;
}  // namespace

void SetInstrumentSet(TInstrumentSet* s) {
  gSet = s;
}

namespace {
std::function<TSheet*()> gNewSheet;
}

void SetNewInstrumentSheet(std::function<TSheet*()> provider) {
  gNewSheet = std::move(provider);
}
TSheet* NewInstrumentSheet() {
  return gNewSheet ? gNewSheet() : nullptr;
}
TInstrumentSet* InstrumentSet() {
  return gSet;
}

void SetInstrumentTerminal(TTerminal* t) {
  gTerminal = t;
}

TTerminal& InstrumentTerminal() {
  static TTerminal fallback;  // tests that never set one still get a disconnected router
  return gTerminal ? *gTerminal : fallback;
}

TIXElement::TIXElement(TSheet* sheet) : QWidget(sheet), FSheet(sheet) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setGeometry(0, 0, 0, 0);
  if (sheet) sheet->AddInstrument(this);
}

TIXElement::TIXElement(TSheet* sheet, TIXElement* composite) : QWidget(composite), FSheet(sheet) {
  Attached = true;
  PeriodicRefresh = false;
  hide();
  if (sheet) sheet->AddInstrument(this);
}

TIXElement::~TIXElement() {
  if (FSheet) FSheet->RemoveInstrument(this);
  InstrumentTerminal().ForgetInstrument(this);
  if (TInstrumentSet* set = InstrumentSet()) set->Forget(this);
}

void TIXElement::PostDeferredUpdate(int argument) {
  QMetaObject::invokeMethod(
      this, [this, argument] { DeferredUpdate(argument); }, Qt::QueuedConnection);
}

void TIXElement::RequestAnimation(int style) {
  QMetaObject::invokeMethod(
      this,
      [this, style] {
        if (FSheet && !FSheet->isVisible()) return;
        TAnim::Start(this, style, 6);
      },
      Qt::QueuedConnection);
}

void TIXElement::ShowSendAnimation(TAnimStyle style) {
  if (QThread::currentThread() != thread())
    RequestAnimation(static_cast<int>(style));
  else
    TAnim::Start(this, static_cast<int>(style), 6);
}

void TIXElement::SetRunAppearance() {
  if (!Attached && (HiddenInRun || GetDisabled())) hide();
}

void TIXElement::SetEditAppearance() {
  if (!Attached) show();
}

void TIXElement::GeometryChanged() {
  setGeometry(Left, Top, Width, Height);
  // While a project loads, the sheets are fitted once at the end.
  if (FSheet && !Attached && !Loading()) FSheet->FitContents();
}

QRect TIXElement::InnerRect() const {
  int fw = FrameWidth;
  return QRect(fw, fw, qMax(0, width() - 2 * fw), qMax(0, height() - 2 * fw));
}

void TIXElement::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ToQColor(GetBackColor()));
  if (FrameWidth > 0) {
    QPen pen(ToQColor(FramePenColor()));
    pen.setWidth(FrameWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // The pen is centred on the path: inset by half its width so all of it shows.
    qreal h = FrameWidth / 2.0;
    p.drawRect(QRectF(h, h, width() - FrameWidth, height() - FrameWidth));
  }
}

void TIXElement::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Arrange();
}

TIXAnimElement::TIXAnimElement(TSheet* sheet) : TIXElement(sheet) {
  HasSendAnimation = true;
  SetSendAnimation(true);
}

TAttachedIXElement::TAttachedIXElement(TSheet* sheet, TIXElement* composite)
    : TIXElement(sheet, composite) {}

void TAttachedIXElement::NewValue(double v) {
  TIXElement::NewValue(v);
  if (OnNewValue) OnNewValue(this);
}

void TAttachedIXElement::NewText(std::string_view s) {
  TIXElement::NewText(s);
  if (OnNewText) OnNewText(this);
}

}  // namespace tessaro
