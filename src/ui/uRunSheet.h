// TRunSheet: the container of the sheets in the work area, with the sheet tab strip
// docked under them. It owns the sheet list and carries out what the tab strip asks
// for (change, add, delete, move), and gives the project loader its sheets.
#pragma once

#include <QWidget>

#include <functional>

#include "ui/uSheet.h"

namespace tessaro {

class TTabLeiste;

class TRunSheet : public QWidget {
  Q_OBJECT
 public:
  static constexpr int StripHeight = 20;

  // `sheets` is the list the engine walks; it outlives the container.
  TRunSheet(QWidget* parent, TSheetList& sheets);
  ~TRunSheet() override;

  TSheetList& Sheets() { return FSheets; }
  const TSheetList& Sheets() const { return FSheets; }
  TSheet* CurrentSheet() const { return FSheets.CurrentSheet(); }
  TTabLeiste* TabStrip() const { return Strip; }

  // The tab strip's callbacks.
  void SheetChange();
  void SheetAdd();
  void SheetDelete(int index);
  void SheetMove(int from, int to);

  // Selects a sheet through its tab (0-based).
  void SelectSheet(int index);
  // The first call after start-up or a reset returns the first sheet; every later call
  // adds a sheet, selects it and returns it.
  TSheet* NextSheetForLoading();
  QString GetSheetName(const TSheet* s) const;
  void SetSheetName(const TSheet* s, const QString& name);
  int IndexOfSheet(const TSheet* s) const;

  void SetRunAppearance();
  void SetEditAppearance();
  void SetEditingEnabled(bool on);
  // Back to one empty sheet with a default background (a new project).
  void ResetToOneSheet();

  // Called after the current sheet or the number of sheets changed (1-based, count).
  std::function<void(int current, int count)> OnSheetsChanged;
  // Called before the current sheet changes (marks and property editor go away).
  std::function<void()> OnBeforeSheetChange;

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void LayoutSheets();
  void Notify();
  void ApplyStripColour();

  TSheetList& FSheets;
  TTabLeiste* Strip;
  bool FirstSheetUnused = true;
  bool RunAppearance = false;
};

}  // namespace tessaro
