#include "ui/uCustomButtons.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tessaro {

// ------------------------------------------------------------------ icon button

TIconButton::TIconButton(QWidget* parent, const QIcon& icon, const QString& hint)
    : QWidget(parent), Icon(icon) {
  setToolTip(hint);
  resize(29, 29);
  setCursor(Qt::PointingHandCursor);
  if (parent) Back = parent->palette().color(QPalette::Window);
}

void TIconButton::SetIcon(const QIcon& icon) {
  Icon = icon;
  update();
}

void TIconButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Hover ? HoverColor() : Back);
  Icon.paint(&p, QRect(1, 1, width() - 2, height() - 2));
}

void TIconButton::enterEvent(QEnterEvent*) {
  Hover = true;
  update();
}

void TIconButton::leaveEvent(QEvent*) {
  Hover = false;
  update();
}

void TIconButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

// ------------------------------------------------------------------ ribbon button

TRibbonButton::TColors TRibbonButton::LookColors(TLook look) {
  switch (look) {
    case TLook::Hover:
      return {QColor(224, 241, 254), QColor(218, 239, 254), QColor(134, 168, 208)};
    case TLook::Pressed:
      return {QColor(189, 226, 253), QColor(176, 220, 253), QColor(134, 168, 208)};
    default:
      return {QColor(238, 238, 238), QColor(226, 226, 226), QColor(180, 180, 180)};
  }
}

TRibbonButton::TRibbonButton(QWidget* parent, const QString& caption, const QIcon& icon)
    : QWidget(parent), FCaption(caption), Icon(icon) {
  resize(100, 50);
  QFont f = font();
  f.setPointSize(8);
  setFont(f);
}

void TRibbonButton::SetCaption(const QString& c) {
  FCaption = c;
  update();
}

void TRibbonButton::SetIcon(const QIcon& icon) {
  Icon = icon;
  update();
}

void TRibbonButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  TColors c = LookColors(FLook);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, c.Top);
  g.setColorAt(1, c.Bottom);
  p.fillRect(rect(), g);
  p.setPen(c.Frame);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  int textTop = 2;
  if (!Icon.isNull()) {
    Icon.paint(&p, QRect((width() - 30) / 2, 3, 30, 30));
    textTop = 33;
  }
  p.setPen(Qt::black);
  p.drawText(QRect(2, textTop, width() - 4, height() - textTop - 2),
             Qt::AlignCenter | Qt::TextWordWrap, FCaption);
}

void TRibbonButton::enterEvent(QEnterEvent*) {
  Inside = true;
  FLook = (QGuiApplication::mouseButtons() & Qt::LeftButton) ? TLook::Pressed : TLook::Hover;
  update();
}

void TRibbonButton::leaveEvent(QEvent*) {
  Inside = false;
  FLook = TLook::Normal;
  update();
}

void TRibbonButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  FLook = TLook::Pressed;
  update();
}

void TRibbonButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  bool inside = rect().contains(e->position().toPoint());
  FLook = inside ? TLook::Hover : TLook::Normal;
  update();
  if (inside) emit clicked();
}

// ------------------------------------------------------------------ frame panel

TFramePanel::TFramePanel(QWidget* parent) : QWidget(parent) {}

void TFramePanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Color);
  p.setPen(QColor(171, 173, 179));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  p.drawRect(rect().adjusted(1, 1, -2, -2));
}

// ------------------------------------------------------------------ icons

QIcon MakeIcon(const QString& name) {
  QPixmap pm(64, 64);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(QColor(40, 70, 120), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  if (name == "new") {
    p.setBrush(Qt::white);
    p.drawRect(14, 8, 36, 48);
  } else if (name == "open") {
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(8, 18, 48, 34);
  } else if (name == "save" || name == "saveas") {
    p.setBrush(QColor(90, 130, 200));
    p.drawRect(10, 10, 44, 44);
    p.setBrush(Qt::white);
    p.drawRect(20, 12, 24, 14);
    if (name == "saveas") p.drawLine(40, 44, 56, 60);
  } else if (name == "connect") {
    p.setPen(QPen(QColor(0, 150, 0), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(10, 32, 54, 32);
  } else if (name == "disconnect") {
    p.setPen(QPen(QColor(200, 0, 0), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(10, 32, 26, 32);
    p.drawLine(38, 32, 54, 32);
  } else if (name == "leave") {
    p.drawRect(10, 10, 44, 44);
    p.drawLine(22, 32, 42, 32);
  } else if (name == "close") {
    p.drawLine(14, 14, 50, 50);
    p.drawLine(50, 14, 14, 50);
  } else if (name == "extras") {
    for (int y : {18, 32, 46})
      p.drawLine(14, y, 50, y);
  } else {
    p.drawEllipse(12, 12, 40, 40);
  }
  return QIcon(pm);
}

}  // namespace tessaro
