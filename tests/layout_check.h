// Checks a whole draw file against its layout: 111 CR LF lines of 23 characters,
// separators around ten blocks, each block one permutation of 1..80 in sorted sets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

// The first way `contents` departs from the layout, or "" when it follows it.
inline std::string DrawFileLayoutProblem(const std::string& contents) {
  const std::string separator(23, '=');
  if (contents.size() != 111U * 25U) return "size " + std::to_string(contents.size());
  for (std::size_t block = 0; block <= 10; ++block) {
    const std::size_t first_line = block * 11;
    if (contents.compare(first_line * 25, 25, separator + "\r\n") != 0) {
      return "line " + std::to_string(first_line) + " is no separator";
    }
    if (block == 10) break;
    std::vector<int> seen;
    for (std::size_t row = 1; row <= 10; ++row) {
      const std::string line = contents.substr((first_line + row) * 25, 25);
      int previous = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        const unsigned char tens = line[3 * k];
        const unsigned char ones = line[3 * k + 1];
        const char after = k < 7 ? ' ' : '\r';
        if (!std::isdigit(tens) || !std::isdigit(ones) || line[3 * k + 2] != after) {
          return "malformed set line: " + line;
        }
        const int value = (tens - '0') * 10 + (ones - '0');
        if (value <= previous) return "set not strictly ascending: " + line;
        previous = value;
        seen.push_back(value);
      }
      if (line[24] != '\n') return "no CR LF after: " + line;
    }
    std::sort(seen.begin(), seen.end());
    for (int v = 1; v <= 80; ++v) {
      if (seen[static_cast<std::size_t>(v - 1)] != v) {
        return "block " + std::to_string(block) + " is no permutation of 1..80";
      }
    }
  }
  return "";
}

inline void ExpectDrawFileLayout(const std::string& contents) {
  EXPECT_EQ(DrawFileLayoutProblem(contents), "");
}
