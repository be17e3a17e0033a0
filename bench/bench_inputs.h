// Inputs shared by the benchmarks.
#pragma once

#include <cstddef>
#include <string>

// About 1 MB of mixed commands, one in eight malformed; count gets their number.
inline std::string MixedCommands(size_t* count) {
  const char* pieces[] = {"#5F12,3;",  "#25STest;", "/#7F1;",   "#123F-4.5E3;",
                          "#5F1.2.3;", "#42F7;",    "#1000F1;", "#9S;"};
  std::string s;
  size_t n = 0;
  while (s.size() < (1u << 20)) {
    s += pieces[n % 8];
    if (n % 16 == 0) s += "\r\n";
    ++n;
  }
  *count = n;
  return s;
}
