// What the in/out channel does with a delivery: forward it at once as a command on its
// output channel. Runs in the delivering (receive) thread.
#pragma once

#include <optional>
#include <string_view>

#include "core/uIXElementBase.h"

namespace tessaro {

class TTerminal;

// Numeric delivery: "#<out>F<v>;" when connected and active; returns the animation to
// show (sent, not deliverable, output not compiled, not connected) or none when the
// instrument is switched off.
std::optional<TAnimStyle> ForwardInOutValue(TTerminal& t, const TIXElementBase& out, bool active,
                                            double v);
// Text delivery: "#<out>S<s>;" when connected, active and the output compiled.
void ForwardInOutText(TTerminal& t, const TIXElementBase& out, bool active, std::string_view s);

}  // namespace tessaro
