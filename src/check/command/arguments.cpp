#include "check/command/arguments.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "check/input/system.h"

namespace pivra {

namespace {

constexpr std::string_view Synopsis =
    "usage: pivra-check [-q] FILE...\n"
    "       pivra-check [-q] --files0-from=F\n"
    "       pivra-check --fairness [--svg OUT.svg] FILE...\n"
    "       pivra-check --fairness [--svg OUT.svg] --files0-from=F\n"
    "       pivra-check --help | --version\n"
    "Check that each FILE is a draw file as pivra writes it, or judge their fairness.\n"
    "\n";

constexpr std::string_view Statuses =
    "\n"
    "Exit status:\n"
    "  0  every file valid and, judging fairness, nothing flagged\n"
    "  1  a file not valid, or draws that do not look fair\n"
    "  2  a usage error, or a file that cannot be read or written\n"
    "\n"
    "Full documentation: man pivra-check\n";

constexpr std::size_t HelpColumn = 22;  // where each option's line says what it does

// Hands `put` each piece of the help in turn: so the text is counted, then
// written, at compile time.
template <typename Put>
constexpr void WriteHelp(Put put) {
  put(Synopsis);
  for (const OptionInfo& option : OptionTable) {
    put("  ");
    put(option.name);
    put(option.value);
    for (std::size_t used = 2 + option.name.size() + option.value.size(); used < HelpColumn;
         ++used) {
      put(" ");
    }
    put(option.help);
    put("\n");
  }
  put(Statuses);
}

constexpr std::size_t HelpSize() {
  std::size_t size = 0;
  WriteHelp([&size](std::string_view piece) { size += piece.size(); });
  return size;
}

constexpr std::array<char, HelpSize() + 1> HelpText = [] {
  std::array<char, HelpSize() + 1> text{};
  std::size_t at = 0;
  WriteHelp([&text, &at](std::string_view piece) {
    for (const char c : piece) text.at(at++) = c;
  });
  return text;
}();

// As a GNU tool's: one screen of 24 lines, none wider than 80 columns, and
// each option's name apart from what it does.
constexpr bool FitsOneScreen() {
  std::size_t lines = 0;
  std::size_t width = 0;
  for (const char c : HelpText) {
    if (c != '\n') {
      if (++width > 80) return false;
    } else {
      ++lines;
      width = 0;
    }
  }
  return lines <= 24 &&
         std::all_of(OptionTable.begin(), OptionTable.end(), [](const OptionInfo& option) {
           return 2 + option.name.size() + option.value.size() < HelpColumn;
         });
}
static_assert(FitsOneScreen(), "--help must fit one screen");

// The problem, and where to learn more, as a GNU tool says it; the synopsis
// is left to --help, so that the problem is not lost above it.
bool UsageError(const char* problem, std::string_view what = {}) {
  (void)std::fprintf(stderr, "pivra-check: %s%s\nTry 'pivra-check --help' for more information.\n",
                     problem, EscapedName(what).c_str());
  return false;
}

// The option `arg` names, with its value after '=' where it takes one; null
// for none.
const OptionInfo* FindOption(std::string_view arg) {
  for (const OptionInfo& option : OptionTable) {
    if (arg == option.name) return &option;
    if (!option.value.empty() && arg.starts_with(option.name) &&
        arg.substr(option.name.size()).starts_with('=')) {
      return &option;
    }
  }
  return nullptr;
}

bool EndsWithSvg(std::string_view name) {
  if (name.size() < 4) return false;
  return std::equal(name.end() - 4, name.end(), ".svg", [](char c, char lower) {
    return std::tolower(static_cast<unsigned char>(c)) == lower;
  });
}

// The option's value, from "--option=VALUE" or "--option VALUE".
bool TakeValue(const char*& value, std::string_view option, int argc, const char* const* argv,
               int& i) {
  if (value != nullptr) return UsageError((std::string(option) + " given twice").c_str());
  if (std::string_view(argv[i]).size() > option.size()) {
    value = argv[i] + option.size() + 1;
  } else if (i + 1 == argc) {
    return UsageError((std::string(option) + " needs a file name").c_str());
  } else {
    value = argv[++i];
  }
  return true;
}

}  // namespace

const char* const Usage = HelpText.data();

bool ParseArguments(int argc, const char* const* argv, Options& options) {
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (only_files || arg.size() < 2 || arg[0] != '-') {
      options.files.push_back(argv[i]);
    } else if (arg == "--") {
      only_files = true;
    } else if (const OptionInfo* option = FindOption(arg); option == nullptr) {
      return UsageError("unknown option ", arg);
    } else {
      switch (option->id) {
        case OptionId::Help: options.help = true; return true;
        case OptionId::Version: options.version = true; return true;
        case OptionId::Quiet: options.quiet = true; break;
        case OptionId::Fairness:
          if (options.fairness) return UsageError("--fairness given twice");
          options.fairness = true;
          break;
        case OptionId::Svg:
          if (!TakeValue(options.svg, option->name, argc, argv, i)) return false;
          break;
        case OptionId::FilesFrom:
          if (!TakeValue(options.files0_from, option->name, argc, argv, i)) return false;
          break;
      }
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
