// A sheet: a page of instruments. The sheet list is what the engine walks (compile
// pass, refresh list, run notifications, saving) and what sheet(n) switches.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

#include "core/uIXElementBase.h"

namespace tessaro {

class TIXElement;

class TSheet : public QWidget {
  Q_OBJECT
 public:
  explicit TSheet(QWidget* parent, const QString& name = QString());
  ~TSheet() override;

  QString Name;
  // Every instrument of the sheet, sub-channels included, in creation order.
  const std::vector<TIXElement*>& Instruments() const { return FInstruments; }
  void AddInstrument(TIXElement* e);
  void RemoveInstrument(TIXElement* e);
  void DeleteAllInstruments();

  void SetRunAppearance();
  void SetEditAppearance();
  uint32_t RunColor = 0xF0F0F0;
  uint32_t EditColor = 0xFFFFFF;

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
  void ForEachInstrument(const std::function<void(TIXElementBase&)>& fn) const override;
};

}  // namespace tessaro
