#include "instruments/uIXNumericDisp.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include "core/uConvert.h"
#include "core/uNumericText.h"
#include "core/uTerminal.h"
#include "instruments/uIXSections.h"
#include "ui/uFontBridge.h"

namespace tessaro {

namespace {

QLabel* MakeLabel(QWidget* parent, Qt::Alignment align, int pointSize) {
  auto* l = new QLabel(parent);
  l->setAlignment(align);
  QFont f = l->font();
  f.setPointSize(pointSize);
  l->setFont(f);
  l->setAttribute(Qt::WA_TransparentForMouseEvents);
  return l;
}

int TextWidth(const QLabel* l) {
  return QFontMetrics(l->font()).horizontalAdvance(l->text());
}

// The output arrow of the send button, drawn once.
QIcon SendIcon() {
  static QIcon icon = [] {
    QPixmap pm(100, 100);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 120, 215));
    p.setPen(Qt::NoPen);
    const QPointF arrow[] = {{15, 35}, {55, 35}, {55, 15}, {90, 50}, {55, 85}, {55, 65}, {15, 65}};
    p.drawPolygon(arrow, 7);
    return QIcon(pm);
  }();
  return icon;
}

}  // namespace

// ------------------------------------------------------------------ numeric display

TIXNumericDisp::TIXNumericDisp(TSheet* sheet) : TIXCaptioned(sheet) {
  ElementType = etNumericDisp;
  InputMode = imFormula;
  PeriodicRefresh = true;
  IsNumeric.store(true);
  FValueLabel = MakeLabel(this, Qt::AlignRight | Qt::AlignVCenter, 16);
  FValueLabel->setText("0");
  FNameLabel = MakeLabel(this, Qt::AlignLeft | Qt::AlignVCenter, 16);
  SetWidth(200);
  SetHeight(50);
  Arrange();
  UpdateDisplay();
}

void TIXNumericDisp::UpdateDisplay() {
  // Clearing Changed here (the refresh would otherwise redraw an unchanged value on
  // every tick) keeps the 400 ms refresh cheap with many displays.
  TIXCaptioned::UpdateDisplay();
  if (!IsNumeric.load()) return;
  FValueLabel->setText(Q(NumericDisplayText(ReadValue(), Decimals, FixedDecimals, ShowUnit, Unit)));
}

void TIXNumericDisp::ResetValue() {
  StoreValue(0);
  IsNumeric.store(true);
  UpdateDisplay();
}

void TIXNumericDisp::CaptionChanged(TCaptionPart part) {
  if (part == TCaptionPart::Unit)
    UpdateDisplay();
  else
    UpdateCaptions();
}

void TIXNumericDisp::UpdateCaptions() {
  FNameLabel->setText(Q(Caption()));
  Arrange();
}

void TIXNumericDisp::Arrange() {
  const int fw = FrameWidth, w = width(), h = height();
  int tw = FNameLabel->text().isEmpty() ? 0 : TextWidth(FNameLabel);
  FNameLabel->setGeometry(fw + 3, fw, tw, qMax(0, h - 2 * fw));
  FValueLabel->setGeometry(fw + tw - 3, fw, qMax(0, w - 2 * fw - tw), qMax(0, h - 2 * fw));
}

void TIXNumericDisp::SetDecimals(int v) {
  Clamp(v, 0, MaxDecimals);
  Decimals = v;
  NewValue(ReadValue());
  UpdateDisplay();
  RealignEditHandles();
}

void TIXNumericDisp::SetFixedDecimals(bool v) {
  FixedDecimals = v;
  UpdateDisplay();
  RealignEditHandles();
}

TFontData TIXNumericDisp::GetFont() const {
  return ReadFont(FValueLabel);
}

void TIXNumericDisp::SetFont(const TFontData& f) {
  ApplyFont(FValueLabel, f);
  ApplyFont(FNameLabel, f);
  Arrange();
  RealignEditHandles();
}

// ------------------------------------------------------------------ numeric output

TIXNumericOut::TIXNumericOut(TSheet* sheet) : TIXCaptioned(sheet) {
  ElementType = etNumericOut;
  InputMode = imOutput;
  PeriodicRefresh = false;
  IsNumeric.store(true);
  FNameLabel = MakeLabel(this, Qt::AlignRight | Qt::AlignTop, 9);
  FUnitLabel = MakeLabel(this, Qt::AlignLeft | Qt::AlignTop, 9);
  FEdit = new QLineEdit(this);
  FEdit->setAlignment(Qt::AlignRight);
  QFont ef = FEdit->font();
  ef.setPointSize(9);
  FEdit->setFont(ef);
  FEdit->setText("0");
  FEdit->installEventFilter(this);
  FButton = new QToolButton(this);
  FButton->setIcon(SendIcon());
  connect(FButton, &QToolButton::clicked, this, [this] { SendNumber(); });
  SetBackColor(0xF0F0F0);
  SetWidth(200);
  SetHeight(40);
  Arrange();
}

bool TIXNumericOut::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FEdit && event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      SendNumber();
      return true;
    }
    QString t = ke->text();
    if (t.isEmpty()) return false;  // navigation, delete, shortcuts
    if (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    for (QChar c : t) {
      char ch = c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x01';
      if (!NumericOutKeyPasses(ch, IntOnly)) return true;  // swallowed
    }
  }
  return TIXCaptioned::eventFilter(watched, event);
}

void TIXNumericOut::SendNumber() {
  TTerminal& t = InstrumentTerminal();
  if (!t.IsConnected()) {
    if (GetSendAnimation()) ShowSendAnimation(TAnimStyle::NotSent);
    return;
  }
  std::string cmd;
  if (!CompiledOk || !BuildNumberCommand(OutputChannel, GetEditText(), cmd)) {
    if (GetSendAnimation()) ShowSendAnimation(TAnimStyle::NotCompiled);
    return;
  }
  bool deliverable = false;
  t.Send(OutputChannel, cmd, deliverable);
  if (GetSendAnimation()) ShowSendAnimation(deliverable ? TAnimStyle::Sent : TAnimStyle::NotSent);
}

void TIXNumericOut::ResetValue() {
  StoreValue(0);
  UpdateDisplay();
}

void TIXNumericOut::UpdateCaptions() {
  FNameLabel->setText(Q(Caption()));
  if (ShowUnit) {
    FUnitLabel->setText(Q(Unit));
    UnitWidth = TextWidth(FUnitLabel);
  } else {
    FUnitLabel->clear();
    UnitWidth = 0;
  }
  Arrange();
}

void TIXNumericOut::Arrange() {
  const int fw = FrameWidth, w = width(), h = height();
  int tw = FNameLabel->text().isEmpty() ? 0 : TextWidth(FNameLabel);
  FNameLabel->setGeometry(fw + 3, fw + 3, tw, qMax(0, h - 2 * fw - 3));
  int bh = qMax(0, h - 2 * fw);
  FButton->setGeometry(w - fw - bh, fw, bh, bh);
  FButton->setIconSize(QSize(qMax(0, bh - 4), qMax(0, bh - 4)));
  FUnitLabel->setGeometry(w - fw - UnitWidth - bh - 3, fw + 3, UnitWidth, qMax(0, h - 2 * fw - 3));
  int left = tw < 1 ? fw : fw + 3 + tw + 5;
  int ew = UnitWidth < 1 ? w - fw - bh - left : (w - fw - UnitWidth - bh - 3) - left - 5;
  FEdit->setGeometry(left, fw, qMax(0, ew), bh);
}

std::string TIXNumericOut::GetEditText() const {
  return S(FEdit->text());
}

void TIXNumericOut::SetEditText(std::string_view s) {
  FEdit->setText(Q(s));
  RealignEditHandles();
}

TFontData TIXNumericOut::GetFont() const {
  return ReadFont(FEdit);
}

void TIXNumericOut::SetFont(const TFontData& f) {
  ApplyFont(FEdit, f);
  ApplyFont(FNameLabel, f);
  ApplyFont(FUnitLabel, f);
  UpdateCaptions();
  Arrange();
  RealignEditHandles();
}

}  // namespace tessaro

namespace tessaro {

TFLSet& TIXNumericDisp::FileSet() {
  using T = TIXNumericDisp;
  static TFLSet set("IXNUMERICDISP", &CreateInstrument<T>);
  static const bool bound = [] {
    TIXKeys<T> k(set);
    k.CaptionedHead();
    k.Int<&T::GetDecimals, &T::SetDecimals>("decimal");
    k.Bool<&T::GetFixedDecimals, &T::SetFixedDecimals>("fixedDecimal");
    k.Font();
    k.Colours();
    k.FrameWidth();
    return true;
  }();
  (void)bound;
  return set;
}

void TIXNumericDisp::Duplicate() {
  DuplicateInstrument(*this);
}

TFLSet& TIXNumericOut::FileSet() {
  using T = TIXNumericOut;
  static TFLSet set("IXNUMERICOUT", &CreateInstrument<T>);
  static const bool bound = [] {
    TIXKeys<T> k(set);
    k.CaptionedHead();
    k.Bool<&T::GetIntOnly, &T::SetIntOnly>("intOnly");
    k.Font();
    k.Colours();
    k.FrameWidth();
    k.String(
        "edittext", [](T& t) { return t.GetEditText(); },
        [](T& t, const std::string& v) { t.SetEditText(v); });
    k.ShowAnim();
    return true;
  }();
  (void)bound;
  return set;
}

void TIXNumericOut::Duplicate() {
  DuplicateInstrument(*this);
}

}  // namespace tessaro
