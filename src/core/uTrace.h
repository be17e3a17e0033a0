// The diagnostic trace: short texts such as "Terminal.Connect" or lexer messages.
// It produces no output unless a hook is installed (tests and the CLI install one).
#pragma once

#include <string_view>

namespace tessaro {

using TTraceHook = void (*)(std::string_view text, void* context);

// Installs the hook (nullptr removes it). Not meant to change while threads trace.
void SetTraceHook(TTraceHook hook, void* context);
void Trace(std::string_view text);

}  // namespace tessaro
