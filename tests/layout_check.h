// A draw file's layout, checked by pivra-check's own code.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "check/work/draw_check.h"

inline void ExpectDrawFileLayout(const std::string& contents) {
  pivra::DrawTable sets{};
  EXPECT_EQ(pivra::DescribeFault(pivra::CheckDrawFile(contents, sets)), "");
}
