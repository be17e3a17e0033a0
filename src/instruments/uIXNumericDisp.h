// The numeric display (the value of its formula as text, with optional name, input and
// unit) and the numeric output (an edit field whose number is sent on its channel).
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "core/uFont.h"
#include "instruments/uIXControls.h"

namespace tessaro {

class TIXNumericDisp : public TIXElement {
  Q_OBJECT
 public:
  explicit TIXNumericDisp(TSheet* sheet);
  static TFLSet& FileSet();
  TFLItem FileItem() override { return {&FileSet(), static_cast<void*>(this), Attached}; }
  void Duplicate() override;

  void UpdateDisplay() override;
  void ResetValue() override;
  void UpdateCaptions() override;
  void SourceChanged() override { UpdateCaptions(); }
  void Arrange() override;

  int GetDecimals() const { return Decimals; }
  void SetDecimals(int v);
  bool GetFixedDecimals() const { return FixedDecimals; }
  void SetFixedDecimals(bool v);
  const std::string& GetUnit() const { return Unit; }
  void SetUnit(std::string_view v);
  bool GetShowName() const { return ShowName; }
  void SetShowName(bool v);
  bool GetShowUnit() const { return ShowUnit; }
  void SetShowUnit(bool v);
  bool GetShowSource() const { return ShowSource; }
  void SetShowSource(bool v);
  TFontData GetFont() const;
  void SetFont(const TFontData& f);

  QLabel* ValueLabel() const { return FValueLabel; }
  QLabel* NameLabel() const { return FNameLabel; }

 private:
  QLabel* FValueLabel;
  QLabel* FNameLabel;
  int Decimals = 2;
  bool FixedDecimals = false;
  std::string Unit;
  bool ShowName = false, ShowUnit = false, ShowSource = false;
};

class TIXNumericOut : public TIXAnimElement {
  Q_OBJECT
 public:
  explicit TIXNumericOut(TSheet* sheet);
  static TFLSet& FileSet();
  TFLItem FileItem() override { return {&FileSet(), static_cast<void*>(this), Attached}; }
  void Duplicate() override;

  void ResetValue() override;
  void UpdateCaptions() override;
  void SourceChanged() override { UpdateCaptions(); }
  void Arrange() override;

  // Button click and Enter in the edit field.
  void SendNumber();

  const std::string& GetUnit() const { return Unit; }
  void SetUnit(std::string_view v);
  bool GetShowName() const { return ShowName; }
  void SetShowName(bool v);
  bool GetShowUnit() const { return ShowUnit; }
  void SetShowUnit(bool v);
  bool GetShowSource() const { return ShowSource; }
  void SetShowSource(bool v);
  bool GetIntOnly() const { return IntOnly; }
  void SetIntOnly(bool v) { IntOnly = v; }
  std::string GetEditText() const;
  void SetEditText(std::string_view s);
  TFontData GetFont() const;
  void SetFont(const TFontData& f);

  QLineEdit* Edit() const { return FEdit; }
  QToolButton* Button() const { return FButton; }
  QLabel* NameLabel() const { return FNameLabel; }
  QLabel* UnitLabel() const { return FUnitLabel; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* FEdit;
  QLabel* FNameLabel;
  QLabel* FUnitLabel;
  QToolButton* FButton;
  std::string Unit;
  bool ShowName = false, ShowUnit = false, ShowSource = false, IntOnly = false;
  int UnitWidth = 0;
};

}  // namespace tessaro
