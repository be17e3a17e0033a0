// tessaro-cli: the command-line companion of Tessaro, built on the engine alone.
#include <cstdio>
#include <cstring>

#include "cli/uCliCommands.h"

namespace tessaro::cli {
namespace {

int RunVersion(int, char**) {
  std::puts("tessaro-cli 0.1");
  return 0;
}

const TCliCommand Commands[] = {
    {"version", "tessaro-cli version", &RunVersion},
    EvalCommand,
    SendCommand,
    SimulateCommand,
    MonitorCommand,
};

void PrintUsage(FILE* out) {
  std::fputs("usage:\n", out);
  for (const TCliCommand& c : Commands)
    std::fprintf(out, "  %s\n", c.Usage);
}

}  // namespace
}  // namespace tessaro::cli

int main(int argc, char** argv) {
  using namespace tessaro::cli;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const TCliCommand& c : Commands)
    if (std::strcmp(argv[1], c.Name) == 0) return c.Run(argc - 1, argv + 1);
  std::fprintf(stderr, "tessaro-cli: unknown command \"%s\"\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
