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

  TSheetBckgnd Background{this};

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  std::vector<TIXElement*> FInstruments;
  bool InRun = false;
};

// The sheets of the project in tab order, and the current one.
class TSheetList : public TInstrumentWalk {
 public:
  std::vector<TSheet*> Sheets;
  int Current = 0;

  TSheet* CurrentSheet() const {
    return Current >= 0 && Current < static_cast<int>(Sheets.size()) ? Sheets[static_cast<size_t>(Current)] : nullptr;
  }
  int SheetCount() const override { return static_cast<int>(Sheets.size()); }
  // Index of the sheet whose list holds the instrument, or -1.
  int IndexOfInstrument(const TIXElementBase* e) const;
  void ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const override;
};

}  // namespace tessaro
