#include "check/command/arguments.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "check/input/system.h"

namespace pivra {

const char* const Usage =
    "usage: pivra-check [-q] FILE...\n"
    "       pivra-check [-q] --files0-from=F\n"
    "       pivra-check --fairness [--svg OUT.svg] FILE...\n"
    "       pivra-check --fairness [--svg OUT.svg] --files0-from=F\n"
    "       pivra-check --help | --version\n";

namespace {

bool UsageError(const char* problem, std::string_view what = {}) {
  (void)std::fprintf(stderr, "pivra-check: %s%s\n%s", problem, EscapedName(what).c_str(), Usage);
  return false;
}

bool EndsWithSvg(std::string_view name) {
  if (name.size() < 4) return false;
  return std::equal(name.end() - 4, name.end(), ".svg", [](char c, char lower) {
    return std::tolower(static_cast<unsigned char>(c)) == lower;
  });
}

// The option's value, from "--option=VALUE" or "--option VALUE".
bool TakeValue(const char*& value, const std::string& option, int argc, const char* const* argv,
               int& i) {
  if (value != nullptr) return UsageError((option + " given twice").c_str());
  if (std::string_view(argv[i]).size() > option.size()) {
    value = argv[i] + option.size() + 1;
  } else if (i + 1 == argc) {
    return UsageError((option + " needs a file name").c_str());
  } else {
    value = argv[++i];
  }
  return true;
}

}  // namespace

bool ParseArguments(int argc, const char* const* argv, Options& options) {
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (only_files || arg.size() < 2 || arg[0] != '-') {
      options.files.push_back(argv[i]);
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "--help") {
      options.help = true;
      return true;
    } else if (arg == "--version") {
      options.version = true;
      return true;
    } else if (arg == "-q") {
      options.quiet = true;
    } else if (arg == "--fairness") {
      if (options.fairness) return UsageError("--fairness given twice");
      options.fairness = true;
    } else if (arg == "--svg" || arg.starts_with("--svg=")) {
      if (!TakeValue(options.svg, "--svg", argc, argv, i)) return false;
    } else if (arg == "--files0-from" || arg.starts_with("--files0-from=")) {
      if (!TakeValue(options.files0_from, "--files0-from", argc, argv, i)) return false;
    } else {
      return UsageError("unknown option ", arg);
    }
  }
  // As in coreutils: the names come from one place, so none is read twice or missed.
  if (options.files0_from != nullptr && !options.files.empty()) {
    return UsageError("file operands cannot be combined with --files0-from: ", options.files[0]);
  }
  if (options.files.empty() && options.files0_from == nullptr) return UsageError("no file given");
  if (options.svg != nullptr && !options.fairness) return UsageError("--svg needs --fairness");
  // The picture replaces whatever has its name: with the name forgotten,
  // "--svg *.TXT" would write it over a draw file.
  if (options.svg != nullptr && !EndsWithSvg(options.svg)) {
    return UsageError("--svg wants a name ending in .svg, not ", options.svg);
  }
  return true;
}

}  // namespace pivra
