#pragma once

#include <QFont>
#include <QWidget>

#include "core/uFont.h"
#include "ui/uQtBridge.h"

namespace tessaro {

inline QFont ToQFont(const TFontData& f) {
  QFont q(Q(f.Name));
  q.setPointSize(f.Size > 0 ? f.Size : 10);
  q.setBold(f.Bold);
  q.setItalic(f.Italic);
  q.setUnderline(f.Underline);
  q.setStrikeOut(f.StrikeOut);
  return q;
}

inline TFontData FromQFont(const QFont& q, uint32_t color) {
  TFontData f;
  f.Name = S(q.family());
  f.Size = q.pointSize();
  f.Color = color;
  f.Bold = q.bold();
  f.Italic = q.italic();
  f.Underline = q.underline();
  f.StrikeOut = q.strikeOut();
  return f;
}

// Font and text colour of a child control.
inline void ApplyFont(QWidget* w, const TFontData& f) {
  w->setFont(ToQFont(f));
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, ToQColor(f.Color));
  p.setColor(QPalette::Text, ToQColor(f.Color));
  w->setPalette(p);
}

inline TFontData ReadFont(const QWidget* w) {
  return FromQFont(w->font(), FromQColor(w->palette().color(QPalette::WindowText)));
}

}  // namespace tessaro
