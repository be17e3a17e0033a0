#include "core/uNumericText.h"

#include "core/uConvert.h"

namespace tessaro {

std::string NumericCaption(std::string_view denom, bool showName, std::string_view source,
                           bool showSource) {
  std::string c;
  if (showName && !denom.empty()) {
    c += denom;
    c += '=';
  }
  if (showSource && !source.empty()) {
    c += source;
    c += '=';
  }
  return c;
}

std::string NumericDisplayText(double v, int decimals, bool fixed, bool showUnit,
                               std::string_view unit) {
  char buf[32];
  int n = FormatReal(v, buf, SystemDecimalSeparator());
  std::string text = FormatDecimals(std::string_view(buf, static_cast<size_t>(n)), decimals, fixed);
  if (showUnit) text += unit;
  return text;
}

bool NumericOutKeyPasses(char c, bool intOnly) {
  if ((c >= '0' && c <= '9') || c == '-' || c == '\b') return true;
  if (!intOnly && (c == ',' || c == '.' || c == 'E' || c == 'e')) return true;
  return false;
}

bool BuildNumberCommand(int channel, std::string_view editText, std::string& command) {
  bool valid;
  TextToReal(editText, valid);
  if (!valid) return false;
  std::string payload(editText);
  size_t mark = payload.find_first_of(",.");
  if (mark != std::string::npos) payload[mark] = OutputDecimalSeparator();
  command = "#" + std::to_string(channel) + "F" + payload + ";";
  return true;
}

}  // namespace tessaro
