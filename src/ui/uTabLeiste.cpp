#include "ui/uTabLeiste.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QHash>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cstdlib>

#include "ui/uQtBridge.h"

namespace tessaro {

namespace {

const QColor kStripColour(228, 228, 228);
const QColor kEdgeColour(143, 143, 143);

QFont BoldOf(const QFont& f) {
  QFont b(f);
  b.setBold(true);
  return b;
}

QPixmap DrawArrow(bool right, bool enabled) {
  QPixmap pm(10, 10);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(enabled ? QColor(40, 40, 40) : QColor(170, 170, 170));
  QPolygonF tri;
  if (right)
    tri << QPointF(2, 0.5) << QPointF(8.5, 5) << QPointF(2, 9.5);
  else
    tri << QPointF(8, 0.5) << QPointF(1.5, 5) << QPointF(8, 9.5);
  p.drawPolygon(tri);
  return pm;
}

}  // namespace

QPixmap TabArrowBitmap(const QString& name) {
  static QHash<QString, QPixmap> cache;
  auto it = cache.find(name);
  if (it != cache.end()) return *it;
  QPixmap pm;
  if (name == QLatin1String("aktiv_links"))
    pm = DrawArrow(false, true);
  else if (name == QLatin1String("inaktiv_links"))
    pm = DrawArrow(false, false);
  else if (name == QLatin1String("aktiv_rechts"))
    pm = DrawArrow(true, true);
  else if (name == QLatin1String("inaktiv_rechts"))
    pm = DrawArrow(true, false);
  else
    return pm;
  cache.insert(name, pm);
  return pm;
}

// ---------------------------------------------------------------- TTab

TTab::TTab(TTabLeiste* strip, const QString& caption)
    : QWidget(strip), Caption(caption), Strip(strip) {}

void TTab::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const int w = width();
  const int h = height();
  // The tabs hang from the sheet above: full width at the top, slanted sides.
  const qreal slant = Active ? Strip->Overlap() : Strip->Overlap() / 2.0;
  QPainterPath shape;
  shape.moveTo(0, 0);
  shape.lineTo(w, 0);
  shape.lineTo(w - slant, h - 0.5);
  shape.lineTo(slant, h - 0.5);
  shape.closeSubpath();
  if (Active) {
    p.fillPath(shape, ToQColor(Strip->TabColour()));
  } else {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(214, 214, 214));
    g.setColorAt(1, QColor(240, 240, 240));
    p.fillPath(shape, g);
  }
  p.setPen(kEdgeColour);
  p.drawLine(QPointF(0.5, 0), QPointF(slant + 0.5, h - 0.5));
  p.drawLine(QPointF(slant + 0.5, h - 0.5), QPointF(w - slant - 0.5, h - 0.5));
  p.drawLine(QPointF(w - slant - 0.5, h - 0.5), QPointF(w - 0.5, 0));
  if (!Active) p.drawLine(QPointF(0, 0.5), QPointF(w, 0.5));

  QFont f = font();
  if (Active) f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::black);
  const QRect text =
      rect().adjusted(static_cast<int>(slant) + 2, 0, -static_cast<int>(slant) - 2, 0);
  p.drawText(text, Qt::AlignCenter,
             QFontMetrics(f).elidedText(Caption, Qt::ElideRight, text.width()));
}

void TTab::mousePressEvent(QMouseEvent* e) {
  PressPos = e->position().toPoint();
  PressButton = e->button();
  Moved = false;
  Strip->FinishRename();
}

void TTab::mouseMoveEvent(QMouseEvent* e) {
  if (PressButton == Qt::NoButton) return;
  const QPoint d = e->position().toPoint() - PressPos;
  if (std::abs(d.x()) > TTabLeiste::ClickSlop || std::abs(d.y()) > TTabLeiste::ClickSlop)
    Moved = true;
}

void TTab::mouseReleaseEvent(QMouseEvent* e) {
  const Qt::MouseButton pressed = PressButton;
  PressButton = Qt::NoButton;
  if (pressed == Qt::NoButton || e->button() != pressed || Moved) return;
  // A release far from the press counts as a move even without move events in between.
  const QPoint d = e->position().toPoint() - PressPos;
  if (std::abs(d.x()) > TTabLeiste::ClickSlop || std::abs(d.y()) > TTabLeiste::ClickSlop) return;
  Strip->TabClicked(this, pressed, e->globalPosition().toPoint());
}

// ---------------------------------------------------------------- TTabArrow

TTabArrow::TTabArrow(QWidget* parent, bool pointsRight) : QWidget(parent), FRight(pointsRight) {}

QString TTabArrow::BitmapName() const {
  return QString(isEnabled() ? "aktiv_" : "inaktiv_") + (FRight ? "rechts" : "links");
}

void TTabArrow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), kStripColour);
  const QPixmap pm = TabArrowBitmap(BitmapName());
  p.drawPixmap((width() - pm.width()) / 2, (height() - pm.height()) / 2, pm);
}

void TTabArrow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick)
    OnClick();
}

void TTabArrow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) update();
  QWidget::changeEvent(e);
}

// ---------------------------------------------------------------- TTabDummy

void TTabDummy::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(kEdgeColour);
  p.drawLine(0, 0, width(), 0);
}

// ---------------------------------------------------------------- TTabLeiste

TTabLeiste::TTabLeiste(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kStripColour);
  setPalette(pal);

  FLeftArrow = new TTabArrow(this, false);
  FRightArrow = new TTabArrow(this, true);
  FLeftArrow->OnClick = [this] { ScrollLeft(); };
  FRightArrow->OnClick = [this] { ScrollRight(); };
  FDummy = new TTabDummy(this);

  FMenu = new QMenu(this);
  ActNew = FMenu->addAction(QString());
  ActDelete = FMenu->addAction(QString());
  FMenu->addSeparator();
  ActToLeft = FMenu->addAction(QString());
  ActToRight = FMenu->addAction(QString());
  FMenu->addSeparator();
  ActRename = FMenu->addAction(QString());
  connect(ActNew, &QAction::triggered, this, [this] { ContextNew(); });
  connect(ActDelete, &QAction::triggered, this, [this] { ContextDelete(FContextTab); });
  connect(ActToLeft, &QAction::triggered, this, [this] { ContextToLeft(FContextTab); });
  connect(ActToRight, &QAction::triggered, this, [this] { ContextToRight(FContextTab); });
  connect(ActRename, &QAction::triggered, this, [this] { ContextRename(FContextTab); });
  LangUpdate();

  FRenameField = new QLineEdit(this);
  FRenameField->hide();
  FRenameField->installEventFilter(this);
  connect(FRenameField, &QLineEdit::editingFinished, this, [this] { FinishRename(); });

  Reset();
}

TTabLeiste::~TTabLeiste() {
  // The rename field may lose its focus while the children go away, after this part of
  // the strip is gone: nothing of ours may run then.
  FRenameIndex = -1;
  FRenameField->removeEventFilter(this);
  disconnect(FRenameField, nullptr, this, nullptr);
}

void TTabLeiste::LangUpdate() {
  ActNew->setText(ResText("utableiste.snew", "Neues Blatt"));
  ActDelete->setText(ResText("utableiste.sdelete", "Blatt Löschen"));
  ActToLeft->setText(ResText("utableiste.stoleft", "Nach Links"));
  ActToRight->setText(ResText("utableiste.storight", "Nach Rechts"));
  ActRename->setText(ResText("utableiste.srename", "Umbenennen"));
}

QString TTabLeiste::NewTabCaption(int number) const {
  return ResText("utableiste.stlblatt", "Blatt") + ' ' + QString::number(number);
}

void TTabLeiste::Reset() {
  CancelRename();
  for (TTab* t : Tabs) {
    t->hide();
    t->deleteLater();  // may be called from a tab's own event
  }
  Tabs.clear();
  TTab* first = new TTab(this, NewTabCaption(1));
  first->Active = true;
  Tabs.push_back(first);
  FActive = 0;
  FPrevious = -1;
  FFirstVisible = 0;
  FContextTab = -1;
  Relayout();
}

TTab* TTabLeiste::Tab(int index) const {
  return index >= 0 && index < Count() ? Tabs[static_cast<size_t>(index)] : nullptr;
}

int TTabLeiste::IndexOf(const TTab* tab) const {
  auto it = std::find(Tabs.begin(), Tabs.end(), tab);
  return it == Tabs.end() ? -1 : static_cast<int>(it - Tabs.begin());
}

QString TTabLeiste::TabCaption(int index) const {
  const TTab* t = Tab(index);
  return t ? t->Caption : QString();
}

int TTabLeiste::TabWidth(int index) const {
  const TTab* t = Tab(index);
  if (!t) return 0;
  const int w = QFontMetrics(BoldOf(t->font())).horizontalAdvance(t->Caption) + height() / 2 + 6;
  return std::clamp(w, MinTabWidth, MaxTabWidth);
}

int TTabLeiste::TabsLeft() const {
  return ArrowWidth + height() / 2 + 10;
}

int TTabLeiste::TabsLimit() const {
  return width() - ArrowWidth + 10;
}

void TTabLeiste::resizeEvent(QResizeEvent*) {
  Relayout();
}

void TTabLeiste::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(kEdgeColour);
  p.drawLine(0, 0, width(), 0);
}

void TTabLeiste::Relayout() {
  const int h = height();
  FOverlap = h / 2;
  FLeftArrow->setGeometry(0, 0, ArrowWidth, h);
  FDummy->setGeometry(ArrowWidth, 0, h / 2 + 10, h);
  FRightArrow->setGeometry(width() - ArrowWidth, 0, ArrowWidth, h);

  FFirstVisible = std::clamp(FFirstVisible, 0, Count() - 1);
  const int limit = TabsLimit();
  int x = TabsLeft();
  bool full = false;
  FLastVisible = FFirstVisible - 1;
  for (int i = 0; i < Count(); ++i) {
    TTab* t = Tabs[static_cast<size_t>(i)];
    if (i < FFirstVisible) {
      t->hide();
      continue;
    }
    const int w = TabWidth(i);
    if (full || x + w > limit) {
      full = true;
      t->hide();
      continue;
    }
    if (t->Active)
      t->setGeometry(x - FOverlap, 0, w + 2 * FOverlap, h);
    else
      t->setGeometry(x, 0, w, h);
    t->show();
    t->update();
    FLastVisible = i;
    x += w;
  }
  FLeftArrow->setEnabled(FFirstVisible > 0);
  FRightArrow->setEnabled(FLastVisible < Count() - 1);
  if (TTab* a = Tab(FActive)) a->raise();
  FLeftArrow->raise();
  FRightArrow->raise();  // the last tab may reach 10 pixels under it
  if (FRenameField->isVisible()) {
    if (TTab* r = Tab(FRenameIndex)) FRenameField->setGeometry(r->geometry());
    FRenameField->raise();
  }
}

void TTabLeiste::ScrollIntoView(int index) {
  if (index < 0 || index >= Count()) return;
  if (index < FFirstVisible) {
    FFirstVisible = index;
    return;
  }
  // Drop tabs at the front until the wanted one fits; a tab wider than the whole strip
  // ends up first.
  auto fits = [&] {
    int x = TabsLeft();
    for (int i = FFirstVisible; i <= index; ++i)
      x += TabWidth(i);
    return x <= TabsLimit();
  };
  while (FFirstVisible < index && !fits())
    ++FFirstVisible;
}

void TTabLeiste::ScrollLeft() {
  if (FFirstVisible <= 0) return;
  --FFirstVisible;
  Relayout();
}

void TTabLeiste::ScrollRight() {
  if (FLastVisible + 1 >= Count()) return;
  ScrollIntoView(FLastVisible + 1);
  Relayout();
}

void TTabLeiste::SetActive(int index) {
  if (index == FActive || index < 0 || index >= Count()) return;
  if (TTab* old = Tab(FActive)) old->Active = false;
  FPrevious = FActive;
  FActive = index;
  Tabs[static_cast<size_t>(index)]->Active = true;
  ScrollIntoView(index);
  Relayout();
  if (OnSheetChange) OnSheetChange();
}

int TTabLeiste::AddTab(const QString& caption) {
  TTab* t = new TTab(this, caption.isEmpty() ? NewTabCaption(Count() + 1) : caption);
  Tabs.push_back(t);
  const int index = Count() - 1;
  if (OnSheetAdd) OnSheetAdd();
  Relayout();
  return index;
}

bool TTabLeiste::DeleteTab(int index) {
  if (Count() <= 1 || index < 0 || index >= Count()) return false;
  FinishRename();
  if (index == FActive) SetActive(index > 0 ? index - 1 : index + 1);
  if (index < FActive) --FActive;
  if (FPrevious == index)
    FPrevious = -1;
  else if (index < FPrevious)
    --FPrevious;
  if (index < FFirstVisible) --FFirstVisible;
  FContextTab = -1;

  TTab* t = Tabs[static_cast<size_t>(index)];
  Tabs.erase(Tabs.begin() + index);
  t->hide();
  t->deleteLater();
  Relayout();
  if (OnSheetDelete) OnSheetDelete(index);
  return true;
}

void TTabLeiste::SwapTabs(int a, int b) {
  FinishRename();
  std::swap(Tabs[static_cast<size_t>(a)], Tabs[static_cast<size_t>(b)]);
  // Indexes follow the tabs (and so the sheets) they named.
  auto follow = [a, b](int& i) {
    if (i == a)
      i = b;
    else if (i == b)
      i = a;
  };
  follow(FActive);
  follow(FPrevious);
  follow(FContextTab);
  Relayout();
  if (OnSheetMove) OnSheetMove(a, b);
}

bool TTabLeiste::MoveTabLeft(int index) {
  if (Count() <= 1 || index <= 0 || index >= Count()) return false;
  SwapTabs(index, index - 1);
  return true;
}

bool TTabLeiste::MoveTabRight(int index) {
  if (Count() <= 1 || index < 0 || index + 1 >= Count()) return false;
  SwapTabs(index, index + 1);
  return true;
}

void TTabLeiste::RenameTab(int index, const QString& caption) {
  TTab* t = Tab(index);
  if (!t) return;
  t->Caption = caption;
  Relayout();
}

void TTabLeiste::SetTabColour(uint32_t colour) {
  FTabColour = colour;
  for (TTab* t : Tabs)
    t->update();
}

void TTabLeiste::TabClicked(TTab* tab, Qt::MouseButton button, const QPoint& globalPos) {
  const int index = IndexOf(tab);
  if (index < 0) return;
  if (button == Qt::LeftButton) {
    SetActive(index);
  } else if (button == Qt::RightButton && EditingEnabled) {
    FContextTab = index;
    FMenu->popup(globalPos);
  }
}

void TTabLeiste::ContextNew() {
  AddTab();
}

void TTabLeiste::ContextDelete(int tabIndex) {
  DeleteTab(tabIndex);
}

void TTabLeiste::ContextToLeft(int tabIndex) {
  MoveTabLeft(tabIndex);
}

void TTabLeiste::ContextToRight(int tabIndex) {
  MoveTabRight(tabIndex);
}

void TTabLeiste::ContextRename(int tabIndex) {
  TTab* t = Tab(tabIndex);
  if (!t) return;
  FinishRename();
  FContextTab = tabIndex;
  FRenameIndex = tabIndex;
  FRenameField->setGeometry(t->geometry());
  FRenameField->setText(t->Caption);
  FRenameField->selectAll();
  FRenameField->show();
  FRenameField->raise();
  FRenameField->setFocus();
}

void TTabLeiste::FinishRename() {
  if (FRenameIndex < 0) return;
  const int index = FRenameIndex;
  FRenameIndex = -1;  // hiding takes the focus away, which ends up here again
  FRenameField->hide();
  RenameTab(index, FRenameField->text());
}

void TTabLeiste::CancelRename() {
  FRenameIndex = -1;
  if (FRenameField) FRenameField->hide();
}

bool TTabLeiste::eventFilter(QObject* watched, QEvent* e) {
  if (watched == FRenameField && e->type() == QEvent::FocusOut) FinishRename();
  return QWidget::eventFilter(watched, e);
}

}  // namespace tessaro
