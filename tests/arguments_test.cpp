// The options the parser takes, against what --help lists.
#include "check/command/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pivra {
namespace {

TEST(Arguments, HelpListsEveryOptionTheParserTakes) {
  const std::string help = Usage;
  for (const OptionInfo& option : OptionTable) {
    const std::string name(option.name);
    // With what a run needs beside it: --fairness, and a file unless it is the list.
    const std::string given = option.value.empty() ? name : name + "=x.svg";
    std::vector<const char*> argv{"pivra-check", given.c_str()};
    if (option.id != OptionId::Fairness) argv.push_back("--fairness");
    if (option.id != OptionId::FilesFrom) argv.push_back("x.TXT");
    Options options;
    EXPECT_TRUE(ParseArguments(static_cast<int>(argv.size()), argv.data(), options)) << name;
    EXPECT_NE(help.find("\n  " + name + std::string(option.value) + "  "), std::string::npos)
        << name << " is not on a line of its own in --help";
  }
  const char* const unlisted[] = {"pivra-check", "--quiet", "x.TXT"};
  Options options;
  EXPECT_FALSE(ParseArguments(3, unlisted, options)) << "an option --help does not list";
}

}  // namespace
}  // namespace pivra
