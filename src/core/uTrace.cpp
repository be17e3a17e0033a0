#include "core/uTrace.h"

#include <atomic>

namespace tessaro {

namespace {
std::atomic<TTraceHook> gHook{nullptr};
std::atomic<void*> gContext{nullptr};
}  // namespace

void SetTraceHook(TTraceHook hook, void* context) {
  gHook.store(nullptr, std::memory_order_release);
  gContext.store(context, std::memory_order_release);
  gHook.store(hook, std::memory_order_release);
}

void Trace(std::string_view text) {
  TTraceHook h = gHook.load(std::memory_order_acquire);
  if (h) h(text, gContext.load(std::memory_order_acquire));
}

}  // namespace tessaro
