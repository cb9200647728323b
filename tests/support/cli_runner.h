#pragma once
// Runs the built pinloom-cli with arguments, for the command tests.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct TRun {
  int status = -1;
  std::string out;
};

// Runs pinloom-cli with the arguments, behind `prefix` (such as an env command);
// standard error is discarded.
inline TRun RunCli(const std::string& args, const std::string& prefix = "") {
  const std::string command =
      prefix + std::string(PINLOOM_BINARY_DIR) + "/src/cli/pinloom-cli " + args + " 2>/dev/null";
  TRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
