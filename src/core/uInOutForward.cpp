#include "core/uInOutForward.h"

#include <string>

#include "core/uConvert.h"
#include "core/uTerminal.h"

namespace tessaro {

std::optional<TAnimStyle> ForwardInOutValue(TTerminal& t, const TIXElementBase& out, bool active,
                                            double v) {
  if (!t.IsConnected()) return TAnimStyle::NotSent;
  if (!active) return std::nullopt;
  if (!out.CompiledOk) return TAnimStyle::NotCompiled;
  char num[32];
  int n = FormatReal(v, num, OutputDecimalSeparator());
  std::string cmd = "#" + std::to_string(out.OutputChannel) + "F";
  cmd.append(num, static_cast<size_t>(n));
  cmd += ';';
  bool deliverable = false;
  t.Send(out.OutputChannel, cmd, deliverable);
  return deliverable ? TAnimStyle::Sent : TAnimStyle::NotSent;
}

void ForwardInOutText(TTerminal& t, const TIXElementBase& out, bool active, std::string_view s) {
  if (!t.IsConnected() || !active || !out.CompiledOk) return;
  std::string cmd = "#" + std::to_string(out.OutputChannel) + "S";
  cmd += s;
  cmd += ';';
  bool deliverable = false;
  t.Send(out.OutputChannel, cmd, deliverable);
}

}  // namespace tessaro
