#include "instruments/uIXInOut.h"

#include <QPainter>

#include "core/uInOutForward.h"
#include "core/uTerminal.h"
#include "instruments/uIXSections.h"
#include "ui/uQtBridge.h"

namespace tessaro {

TIXInOut::TIXInOut(TSheet* sheet) : TIXElement(sheet) {
  InputMode = imChannelOrFormula;
  Output = new TIXElement(sheet, this);
  Output->InputMode = imOutput;
  HasSendAnimation = true;
  SetSendAnimation(false);
  SetDenom("E/A-Kanal");
  SetWidth(120);
  SetHeight(60);
}

void TIXInOut::NewValue(double v) {
  TIXElement::NewValue(v);
  auto style = ForwardInOutValue(InstrumentTerminal(), *Output, !GetDisabled(), v);
  if (style && GetSendAnimation()) RequestAnimation(static_cast<int>(*style));
}

void TIXInOut::NewText(std::string_view s) {
  TIXElement::NewText(s);
  ForwardInOutText(InstrumentTerminal(), *Output, !GetDisabled(), s);
}

void TIXInOut::SetOutSource(std::string_view s) {
  Output->SetSource(s);
  update();
}

void TIXInOut::SetShowDenom(bool v) {
  ShowDenom = v;
  update();
}

uint32_t TIXInOut::StateColor() const {
  if (GetDisabled() || !Output->CompiledOk) return clSilver;
  if (CompiledOk) return clCompiledOk;
  return clNotCompiled;
}

void TIXInOut::MarkCompileState() {
  PenColor = StateColor();
  update();
}

void TIXInOut::UnmarkCompileState() {
  PenColor = StateColor();
  update();
}

void TIXInOut::paintEvent(QPaintEvent* e) {
  PenColor = StateColor();
  TIXElement::paintEvent(e);
  QPainter p(this);
  QRect r = InnerRect().adjusted(3, 0, -3, 0);
  int lh = r.height() / 3;
  p.setPen(Qt::black);
  const QString lines[] = {ShowDenom ? Q(GetDenom()) : QString(), Q(GetSource()),
                           Q(Output->GetSource())};
  for (int i = 0; i < 3; ++i)
    p.drawText(QRect(r.left(), r.top() + i * lh, r.width(), lh), Qt::AlignLeft | Qt::AlignVCenter,
               (i == 2 && !lines[2].isEmpty() ? QString::fromUtf8("→ ") : QString()) + lines[i]);
}

}  // namespace tessaro

namespace tessaro {

TFLSet& TIXInOut::FileSet() {
  using T = TIXInOut;
  static TFLSet set("IXINOUT", &CreateInstrument<T>);
  static const bool bound = [] {
    TIXKeys<T> k(set);
    k.Disabled();
    k.Denom();
    k.Source("inSource");
    k.String(
        "outSource", [](T& t) { return t.GetOutSource(); },
        [](T& t, const std::string& v) { t.SetOutSource(v); });
    k.Bool<&T::GetShowDenom, &T::SetShowDenom>("showDenom");
    k.Position();
    k.Size();
    k.Bool<&T::GetHideInRun, &T::SetHideInRun>("hideInRun");
    k.ShowAnim();
    return true;
  }();
  (void)bound;
  return set;
}

void TIXInOut::Duplicate() {
  DuplicateInstrument(*this);
}

}  // namespace tessaro
