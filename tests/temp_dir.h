// A fresh, private directory under /tmp for one test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

inline std::filesystem::path MakeTempDir(const std::string& name) {
  std::string pattern = "/tmp/" + name + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed for " << pattern;
  return pattern;
}
