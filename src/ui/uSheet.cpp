#include "ui/uSheet.h"

#include <QEvent>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

#include "instruments/uIXControls.h"
#include "ui/uQtBridge.h"

namespace tessaro {

TSheet::TSheet(QWidget* parent) : QWidget(parent) {}

TSheet::~TSheet() {
  DeleteAllInstruments();
}

void TSheet::AddInstrument(TIXElement* e) {
  FInstruments.push_back(e);
}

void TSheet::RemoveInstrument(TIXElement* e) {
  FInstruments.erase(std::remove(FInstruments.begin(), FInstruments.end(), e), FInstruments.end());
}

void TSheet::DeleteAllInstruments() {
  // Top-level instruments delete their sub-channels with them (Qt children).
  while (!FInstruments.empty()) {
    TIXElement* e = FInstruments.back();
    if (e->Attached && e->parentWidget() && e->parentWidget() != this) {
      FInstruments.pop_back();
      continue;
    }
    delete e;
  }
}

void TSheet::FitContents() {
  QSize view = FBox ? static_cast<QScrollArea*>(FBox)->viewport()->size() : size();
  int w = view.width(), h = view.height();
  for (TIXElement* e : FInstruments) {
    if (e->Attached || e->isHidden()) continue;
    w = qMax(w, e->GetLeft() + e->GetWidth() + 8);
    h = qMax(h, e->GetTop() + e->GetHeight() + 8);
  }
  if (size() != QSize(w, h)) resize(w, h);
}

void TSheet::SetBox(QWidget* box) {
  FBox = box;
  // The box's visible area changes size with the window: the sheet follows it.
  static_cast<QScrollArea*>(box)->viewport()->installEventFilter(this);
}

bool TSheet::eventFilter(QObject* watched, QEvent* event) {
  if (FBox && event->type() == QEvent::Resize &&
      watched == static_cast<QScrollArea*>(FBox)->viewport())
    FitContents();
  return QWidget::eventFilter(watched, event);
}

void TSheet::SetShown(bool on) {
  if (FBox) FBox->setVisible(on);
  setVisible(on);
}

void TSheet::SetRunAppearance() {
  InRun = true;
  for (TIXElement* e : FInstruments)
    e->SetRunAppearance();
  FitContents();
  update();
}

void TSheet::SetEditAppearance() {
  InRun = false;
  for (TIXElement* e : FInstruments)
    e->SetEditAppearance();
  FitContents();
  update();
}

void TSheet::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Background.Paint(p, rect(), InRun);
}

int TSheetList::IndexOfInstrument(const TIXElementBase* e) const {
  for (size_t i = 0; i < Sheets.size(); ++i)
    for (TIXElement* x : Sheets[i]->Instruments())
      if (static_cast<const TIXElementBase*>(x) == e) return static_cast<int>(i);
  return -1;
}

void TSheetList::ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const {
  for (TSheet* s : Sheets) {
    // Copy: a callback may not change the list, but be safe against it.
    std::vector<TIXElement*> list = s->Instruments();
    for (TIXElement* e : list)
      fn(*e);
  }
}

}  // namespace tessaro
