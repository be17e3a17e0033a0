// A font as projects store it; the widget side converts it to its own font type.
#pragma once

#include <cstdint>
#include <string>

namespace tessaro {

struct TFontData {
  std::string Name = "DejaVu Sans";
  int Size = 10;
  uint32_t Color = 0;  // 0x00BBGGRR
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  bool operator==(const TFontData&) const = default;
};

}  // namespace tessaro
