// The diagnostic trace of a test, line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/uTrace.h"

struct TraceLines {
  std::vector<std::string> Lines;
  TraceLines() { tessaro::SetTraceHook(&Add, this); }
  ~TraceLines() { tessaro::SetTraceHook(nullptr, nullptr); }
  static void Add(std::string_view t, void* self) {
    static_cast<TraceLines*>(self)->Lines.emplace_back(t);
  }
};
