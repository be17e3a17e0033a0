// The in/out channel: evaluates its input whenever it is triggered and forwards the
// result at once as a command on its output channel (numbers as "F", texts as "S").
#pragma once

#include "instruments/uIXControls.h"

namespace tessaro {

class TIXInOut : public TIXElement {
  Q_OBJECT
 public:
  explicit TIXInOut(TSheet* sheet);
  static TFLSet& FileSet();
  TFLItem FileItem() override { return {&FileSet(), static_cast<void*>(this), Attached}; }
  void Duplicate() override;

  void NewValue(double v) override;
  void NewText(std::string_view s) override;
  void MarkCompileState() override;
  void UnmarkCompileState() override;
  void SourceChanged() override { update(); }
  void UpdateCaptions() override { update(); }

  const std::string& GetInSource() const { return GetSource(); }
  void SetInSource(std::string_view s) { SetSource(s); }
  const std::string& GetOutSource() const { return Output->GetSource(); }
  void SetOutSource(std::string_view s);
  bool GetShowDenom() const { return ShowDenom; }
  void SetShowDenom(bool v);
  bool GetHideInRun() const { return HiddenInRun; }
  void SetHideInRun(bool v) { HiddenInRun = v; }

  TIXElement* OutputChannelElement() const { return Output; }
  TIXElementBase* OutputElement() override { return Output; }
  // The frame colour: silver off or output inactive, green both valid, red otherwise.
  uint32_t StateColor() const;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  TIXElement* Output;
  bool ShowDenom = true;
};

}  // namespace tessaro
