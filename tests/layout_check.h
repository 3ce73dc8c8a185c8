// Checks a whole draw file against its layout: 111 CR LF lines of 23 characters,
// separators around ten blocks, each block one permutation of 1..80 in sorted sets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

inline void ExpectDrawFileLayout(const std::string& contents) {
  const std::string separator(23, '=');
  ASSERT_EQ(contents.size(), 111U * 25U);
  for (std::size_t block = 0; block < 10; ++block) {
    std::vector<int> seen;
    for (std::size_t row = 0; row < 11; ++row) {
      const std::size_t line_index = block * 11 + row;
      const std::string line = contents.substr(line_index * 25, 25);
      ASSERT_EQ(line.substr(23), "\r\n") << "line " << line_index;
      if (row == 0) {
        ASSERT_EQ(line.substr(0, 23), separator) << "line " << line_index;
        continue;
      }
      int previous = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        const std::string number = line.substr(3 * k, 2);
        ASSERT_TRUE(isdigit(number[0]) && isdigit(number[1])) << line;
        if (k < 7) ASSERT_EQ(line[3 * k + 2], ' ') << line;
        const int value = std::stoi(number);
        ASSERT_GT(value, previous) << "set not strictly ascending: " << line;
        previous = value;
        seen.push_back(value);
      }
    }
    std::sort(seen.begin(), seen.end());
    for (int v = 1; v <= 80; ++v)
      ASSERT_EQ(seen[static_cast<std::size_t>(v - 1)], v) << "block " << block;
  }
  EXPECT_EQ(contents.substr(contents.size() - 25, 23), separator);
}
