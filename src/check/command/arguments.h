// pivra-check's command line.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pivra {

// What --help prints: the synopsis, what the program and each option do, and
// the exit statuses, built from OptionTable so that no option goes unlisted.
extern const char* const Usage;

enum class OptionId : std::uint8_t { Quiet, Fairness, Svg, FilesFrom, Help, Version };

struct OptionInfo {
  OptionId id;
  std::string_view name;
  std::string_view value;  // how --help shows its value; empty for an option that takes none
  std::string_view help;
};

// Every option the parser knows, in the order --help lists them. One that takes
// a value has it after '=' or as the next argument.
inline constexpr std::array<OptionInfo, 6> OptionTable{{
    {OptionId::Quiet, "-q", "", "print only the lines of files that fail"},
    {OptionId::Fairness, "--fairness", "", "judge the sets of all valid files together instead"},
    {OptionId::Svg, "--svg", " OUT.svg", "with --fairness, also draw their heat map in OUT.svg"},
    {OptionId::FilesFrom, "--files0-from", "=F",
     "read NUL-ended names from F (- for standard input)"},
    {OptionId::Help, "--help", "", "print this help and exit"},
    {OptionId::Version, "--version", "", "print the version and exit"},
}};

struct Options {
  bool help = false;
  bool version = false;
  bool quiet = false;
  bool fairness = false;
  const char* svg = nullptr;
  const char* files0_from = nullptr;  // a list of NUL-separated names, "-" for standard input
  std::vector<const char*> files;
};

// False, after the problem on standard error, for arguments that make no run.
// Each option counts once at most: a second list or picture would silently
// replace the first. Only a repeated -q, which changes nothing, is let through.
bool ParseArguments(int argc, const char* const* argv, Options& options);

}  // namespace pivra
