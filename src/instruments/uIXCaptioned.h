// The optional name, input and unit shown around an instrument's value ("Temp=#5+1="
// before it, "V" after it), shared by the instruments that show or send one value.
#pragma once

#include <string>
#include <string_view>

#include "core/uConvert.h"
#include "core/uNumericText.h"

namespace tessaro {

enum class TCaptionPart { Name, Source, Unit };

template <class Base>
class TIXCaptioned : public Base {
 public:
  using Base::Base;

  const std::string& GetUnit() const { return Unit; }
  void SetUnit(std::string_view v) { Set(Unit, CutToChars(v, MaxUnitLength), TCaptionPart::Unit); }
  bool GetShowName() const { return ShowName; }
  void SetShowName(bool v) { Set(ShowName, v, TCaptionPart::Name); }
  bool GetShowSource() const { return ShowSource; }
  void SetShowSource(bool v) { Set(ShowSource, v, TCaptionPart::Source); }
  bool GetShowUnit() const { return ShowUnit; }
  void SetShowUnit(bool v) { Set(ShowUnit, v, TCaptionPart::Unit); }

 protected:
  // A setting of the caption changed: the instrument redraws what shows it.
  virtual void CaptionChanged(TCaptionPart part) = 0;
  // The text in front of the value.
  std::string Caption() const {
    return NumericCaption(this->GetDenom(), ShowName, this->GetSource(), ShowSource);
  }

  std::string Unit;
  bool ShowName = false;
  bool ShowSource = false;
  bool ShowUnit = false;

 private:
  template <class V>
  void Set(V& field, V value, TCaptionPart part) {
    field = std::move(value);
    CaptionChanged(part);
    this->RealignEditHandles();
  }
};

}  // namespace tessaro
