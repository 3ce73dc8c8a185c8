// Argument parsing, the input split on NUL into arguments: whatever they are, a
// run is only made of one source of names, --svg only with --fairness and a name
// ending in .svg, and never from a command line that gives an option twice.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "check/command/arguments.h"

namespace {

// Whether an option that takes effect once appears twice before "--", --help
// or --version end the options.
bool OptionRepeated(const std::vector<std::string>& args) {
  int fairness = 0;
  int svg = 0;
  int list = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--" || arg == "--help" || arg == "--version") break;
    if (arg == "--fairness") ++fairness;
    if (arg.starts_with("--svg=")) ++svg;
    if (arg.starts_with("--files0-from=")) ++list;
    if (arg == "--svg" || arg == "--files0-from") {
      ++(arg == "--svg" ? svg : list);
      ++i;  // its value
    }
  }
  return fairness > 1 || svg > 1 || list > 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::vector<std::string> args;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (std::size_t at = 0; at < input.size() && args.size() < 64;) {
    const std::size_t end = std::min(input.find('\0', at), input.size());
    args.emplace_back(input.substr(at, end - at));
    at = end + 1;
  }
  std::vector<const char*> argv{"pivra-check"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  pivra::Options options;
  const bool parsed = pivra::ParseArguments(static_cast<int>(argv.size()), argv.data(), options);
  if (!parsed || options.help || options.version) return 0;
  if (OptionRepeated(args)) std::abort();
  if (options.files.empty() == (options.files0_from == nullptr)) std::abort();
  if (options.svg != nullptr) {
    const std::string_view svg = options.svg;
    if (!options.fairness || svg.size() < 4) std::abort();
  }
  return 0;
}
