#include "ui/uTabBar.h"

#include <QLinearGradient>
#include <QPainter>

namespace tessaro {

TTabElement::TTabElement(TTabBar* bar, int index) : QWidget(bar), Bar(bar), Index(index) {}

void TTabElement::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, Active ? QColor(250, 250, 250) : QColor(235, 235, 235));
  g.setColorAt(1, Active ? QColor(215, 215, 215) : QColor(200, 200, 200));
  p.fillRect(rect(), g);
  p.setPen(QColor(143, 143, 143));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(Qt::black);
  p.drawText(rect(), Qt::AlignCenter, Caption);
}

void TTabElement::mousePressEvent(QMouseEvent*) {
  if (!Active) Bar->SetMode(Index);
}

TTabBar::TTabBar(QWidget* parent, int count) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(pal);
  for (int i = 0; i < count; ++i) {
    Tabs.push_back(new TTabElement(this, i));
    Widths.push_back(100);
  }
}

void TTabBar::SetCaption(int index, const QString& caption) {
  if (index < 0 || index >= Count()) return;
  Tabs[static_cast<size_t>(index)]->Caption = caption;
  Tabs[static_cast<size_t>(index)]->update();
}

void TTabBar::SetTabWidth(int index, int width) {
  if (index < 0 || index >= Count()) return;
  Widths[static_cast<size_t>(index)] = width;
  Layout();
}

void TTabBar::Layout() {
  int x = 2;
  for (int i = 0; i < Count(); ++i) {
    TTabElement* t = Tabs[static_cast<size_t>(i)];
    int w = Widths[static_cast<size_t>(i)];
    if (t->Active)
      t->setGeometry(x - 2, 0, w + 4, height());
    else
      t->setGeometry(x, 4, w, qMax(0, height() - 4));
    x += w + 1;
  }
  if (FCurrent >= 0) Tabs[static_cast<size_t>(FCurrent)]->raise();
}

void TTabBar::SetMode(int index) {
  if (index < 0 || index >= Count() || index == FCurrent) return;
  if (FCurrent >= 0) Tabs[static_cast<size_t>(FCurrent)]->Active = false;
  FCurrent = index;
  Tabs[static_cast<size_t>(index)]->Active = true;
  Layout();
  for (TTabElement* t : Tabs)
    t->update();
  if (OnChange) OnChange(this);
}

}  // namespace tessaro
