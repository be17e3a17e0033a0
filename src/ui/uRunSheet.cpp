#include "ui/uRunSheet.h"

#include "instruments/uIXControls.h"
#include "persist/uFileHandling.h"
#include "ui/uQtBridge.h"
#include "ui/uTabLeiste.h"

#include <QScrollArea>
#include <QScrollBar>

namespace tessaro {

namespace {
constexpr uint32_t RunContainerColor = 0xE9DCD1;   // RGB(209, 220, 233)
constexpr uint32_t EditContainerColor = 0xD2EAEC;  // RGB(236, 234, 210)
}  // namespace

TRunSheet::TRunSheet(QWidget* parent, TSheetList& sheets) : QWidget(parent), FSheets(sheets) {
  setObjectName("RunSheet");
  setAutoFillBackground(true);
  Strip = new TTabLeiste(this);
  Strip->OnSheetChange = [this] { SheetChange(); };
  Strip->OnSheetAdd = [this] { SheetAdd(); };
  Strip->OnSheetDelete = [this](int i) { SheetDelete(i); };
  Strip->OnSheetMove = [this](int from, int to) { SheetMove(from, to); };
  Strip->Reset();
  SheetAdd();
  FSheets.Current = 0;
  FSheets.Sheets[0]->SetShown(true);
  LayoutSheets();
}

TRunSheet::~TRunSheet() {
  for (TSheet* s : FSheets.Sheets)
    s->DeleteAllInstruments();
  FSheets.Sheets.clear();  // the sheets themselves go with their parent
}

void TRunSheet::LayoutSheets() {
  const int w = width(), h = height();
  for (TSheet* s : FSheets.Sheets) {
    s->Box()->setGeometry(0, 0, w, qMax(0, h - StripHeight - 1));
    s->FitContents();
  }
  Strip->setGeometry(0, qMax(0, h - StripHeight - 1), w, StripHeight);
}

void TRunSheet::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  LayoutSheets();
}

void TRunSheet::Notify() {
  if (OnSheetsChanged) OnSheetsChanged(FSheets.Current + 1, FSheets.SheetCount());
}

void TRunSheet::ApplyStripColour() {
  if (TSheet* s = CurrentSheet())
    Strip->SetTabColour(RunAppearance ? s->Background.RunColor() : s->Background.EditColor());
}

void TRunSheet::SheetChange() {
  if (OnBeforeSheetChange) OnBeforeSheetChange();
  int index = Strip->ActiveIndex();
  if (index < 0 || index >= FSheets.SheetCount()) return;
  if (TSheet* old = CurrentSheet()) old->SetShown(false);
  FSheets.Current = index;
  CurrentSheet()->SetShown(true);
  ApplyStripColour();
  Notify();
}

void TRunSheet::SheetAdd() {
  // Each sheet scrolls in a frameless box of its own.
  auto* box = new QScrollArea(this);
  box->setFrameShape(QFrame::NoFrame);
  box->setWidgetResizable(false);
  box->setGeometry(0, 0, width(), qMax(0, height() - StripHeight - 1));
  auto* s = new TSheet(nullptr);
  box->setWidget(s);
  s->SetBox(box);
  s->SetShown(false);
  s->FitContents();
  s->Background.ResolveFile = [](const QString& name) { return Q(MakeAbsolute(S(name))); };
  s->Background.OnTabColour = [this, s](uint32_t c) {
    if (s == CurrentSheet() && !RunAppearance) Strip->SetTabColour(c);
  };
  if (RunAppearance)
    s->SetRunAppearance();
  else
    s->SetEditAppearance();
  FSheets.Sheets.push_back(s);
  Notify();
}

void TRunSheet::SheetDelete(int index) {
  if (index < 0 || index >= FSheets.SheetCount()) return;
  TSheet* s = FSheets.Sheets[static_cast<size_t>(index)];
  s->DeleteAllInstruments();
  FSheets.Sheets.erase(FSheets.Sheets.begin() + index);
  delete s->Box();  // and the sheet in it
  FSheets.Current = qBound(0, Strip->ActiveIndex(), FSheets.SheetCount() - 1);
  if (TSheet* c = CurrentSheet()) c->SetShown(true);
  Notify();
}

void TRunSheet::SheetMove(int from, int to) {
  int n = FSheets.SheetCount();
  if (from < 0 || to < 0 || from >= n || to >= n) return;
  std::swap(FSheets.Sheets[static_cast<size_t>(from)], FSheets.Sheets[static_cast<size_t>(to)]);
  FSheets.Current = qBound(0, Strip->ActiveIndex(), n - 1);
  Notify();
}

void TRunSheet::SelectSheet(int index) {
  Strip->SetActive(index);
}

TSheet* TRunSheet::NextSheetForLoading() {
  if (FirstSheetUnused) {
    FirstSheetUnused = false;
    return FSheets.Sheets.front();
  }
  Strip->AddTab();
  Strip->SetActive(Strip->Count() - 1);
  return FSheets.Sheets.back();
}

int TRunSheet::IndexOfSheet(const TSheet* s) const {
  for (int i = 0; i < FSheets.SheetCount(); ++i)
    if (FSheets.Sheets[static_cast<size_t>(i)] == s) return i;
  return -1;
}

QString TRunSheet::GetSheetName(const TSheet* s) const {
  int i = IndexOfSheet(s);
  return i >= 0 ? Strip->TabCaption(i) : QString();
}

void TRunSheet::SetSheetName(const TSheet* s, const QString& name) {
  int i = IndexOfSheet(s);
  if (i >= 0) Strip->SetTabCaption(i, name);
}

void TRunSheet::SetRunAppearance() {
  RunAppearance = true;
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(RunContainerColor));
  setPalette(p);
  for (TSheet* s : FSheets.Sheets)
    s->SetRunAppearance();
  ApplyStripColour();
}

void TRunSheet::SetEditAppearance() {
  RunAppearance = false;
  QPalette p = palette();
  p.setColor(QPalette::Window, ToQColor(EditContainerColor));
  setPalette(p);
  for (TSheet* s : FSheets.Sheets)
    s->SetEditAppearance();
  if (TSheet* c = CurrentSheet()) c->setFocus();
  ApplyStripColour();
}

void TRunSheet::SetEditingEnabled(bool on) {
  Strip->EditingEnabled = on;
}

void TRunSheet::ResetToOneSheet() {
  if (TSheet* c = CurrentSheet()) c->SetShown(false);
  while (FSheets.SheetCount() > 1) {
    int last = FSheets.SheetCount() - 1;
    TSheet* s = FSheets.Sheets[static_cast<size_t>(last)];
    s->DeleteAllInstruments();
    FSheets.Sheets.pop_back();
    delete s->Box();
  }
  FSheets.Sheets[0]->DeleteAllInstruments();
  Strip->Reset();
  FSheets.Current = 0;
  FSheets.Sheets[0]->Background.ResetBackground();
  FSheets.Sheets[0]->SetShown(true);
  FirstSheetUnused = true;
  ApplyStripColour();
  Notify();
}

}  // namespace tessaro
