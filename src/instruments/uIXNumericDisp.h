// The numeric display (the value of its formula as text, with optional name, input and
// unit) and the numeric output (an edit field whose number is sent on its channel).
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "core/uFont.h"
#include "instruments/uIXCaptioned.h"
#include "instruments/uIXControls.h"

namespace tessaro {

class TIXNumericDisp : public TIXCaptioned<TIXElement> {
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
  TFontData GetFont() const;
  void SetFont(const TFontData& f);

  QLabel* ValueLabel() const { return FValueLabel; }

  QLabel* NameLabel() const { return FNameLabel; }

 protected:
  void CaptionChanged(TCaptionPart part) override;

 private:
  QLabel* FValueLabel;
  QLabel* FNameLabel;
  int Decimals = 2;
  bool FixedDecimals = false;
};

class TIXNumericOut : public TIXCaptioned<TIXAnimElement> {
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
  void CaptionChanged(TCaptionPart) override { UpdateCaptions(); }

 private:
  QLineEdit* FEdit;
  QLabel* FNameLabel;
  QLabel* FUnitLabel;
  QToolButton* FButton;
  bool IntOnly = false;
  int UnitWidth = 0;
};

}  // namespace tessaro
