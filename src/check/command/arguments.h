// pivra-check's command line.
#pragma once

#include <vector>

namespace pivra {

extern const char* const Usage;

struct Options {
  bool help = false;
  bool version = false;
  bool quiet = false;
  bool fairness = false;
  const char* svg = nullptr;
  const char* files0_from = nullptr;  // a list of NUL-separated names, "-" for standard input
  std::vector<const char*> files;
};

// False, after the usage on standard error, for arguments that make no run.
// Each option counts once at most: a second list or picture would silently
// replace the first. Only a repeated -q, which changes nothing, is let through.
bool ParseArguments(int argc, const char* const* argv, Options& options);

}  // namespace pivra
