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

}  // namespace tessaro::cli
