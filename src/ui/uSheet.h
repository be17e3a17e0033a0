// A sheet: a page of instruments. The sheet list is what the engine walks (compile
// pass, refresh list, run notifications, saving) and what sheet(n) switches.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

#include "core/uIXElementBase.h"
#include "ui/uSheetBckgnd.h"

namespace tessaro {

class TIXElement;

class TSheet : public QWidget {
  Q_OBJECT
 public:
  explicit TSheet(QWidget* parent);
  ~TSheet() override;

  // Every instrument of the sheet, sub-channels included, in creation order.
  const std::vector<TIXElement*>& Instruments() const { return FInstruments; }
  void AddInstrument(TIXElement* e);
  void RemoveInstrument(TIXElement* e);
  void DeleteAllInstruments();

  void SetRunAppearance();
  void SetEditAppearance();
  bool InRunAppearance() const { return InRun; }

  // The sheet scrolls inside its box: it is as large as the box shows, or larger when
  // instruments lie beyond it.
  QWidget* Box() const { return FBox; }
  void SetBox(QWidget* box);
  void FitContents();
  // Shows or hides the sheet with its box.
  void SetShown(bool on);

  TSheetBckgnd Background{this};

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<TIXElement*> FInstruments;
  bool InRun = false;
  QWidget* FBox = nullptr;
};

// The sheets of the project in tab order, and the current one.
class TSheetList : public TInstrumentWalk {
 public:
  std::vector<TSheet*> Sheets;
  int Current = 0;

  TSheet* CurrentSheet() const {
    return Current >= 0 && Current < static_cast<int>(Sheets.size())
               ? Sheets[static_cast<size_t>(Current)]
               : nullptr;
  }
  int SheetCount() const override { return static_cast<int>(Sheets.size()); }
  // Index of the sheet whose list holds the instrument, or -1.
  int IndexOfInstrument(const TIXElementBase* e) const;
  void ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const override;
};

}  // namespace tessaro
