// The subcommands of tessaro-cli. Each returns the process exit status.
#pragma once

namespace tessaro::cli {

struct TCliCommand {
  const char* Name;
  const char* Usage;
  int (*Run)(int argc, char** argv);  // argv[0] is the subcommand name
};

// tessaro-cli eval FORMULA [COMMAND ...] (uCliEval.cpp)
extern const TCliCommand EvalCommand;

// tessaro-cli send / simulate / monitor over UDP or a serial line (uCliPorts.cpp)
extern const TCliCommand SendCommand;
extern const TCliCommand SimulateCommand;
extern const TCliCommand MonitorCommand;

}  // namespace tessaro::cli
