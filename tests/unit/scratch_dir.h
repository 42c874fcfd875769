// A test fixture that runs each test inside a new empty folder (the engine
// resolves names against the current folder) and removes it afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace qor::test {

class InScratchDir : public ::testing::Test {
 protected:
  // (std::filesystem, so the tests run on Windows too; paths use '/'.)
  void SetUp() override {
    namespace fs = std::filesystem;
    old_ = fs::current_path();
    std::random_device rd;
    for (int i = 0; i < 100 && dir_.empty(); ++i) {
      fs::path p = fs::temp_directory_path() / ("qor_test_" + std::to_string(rd()));
      if (fs::create_directory(p)) dir_ = p.generic_string();
    }
    ASSERT_FALSE(dir_.empty());
    fs::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    ASSERT_FALSE(ec) << ec.message();
  }
  // Writes `text` to `name` in the scratch folder.
  static void Write(const char* name, const char* text) {
    FILE* f = fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    fputs(text, f);
    fclose(f);
  }
  std::filesystem::path old_;
  std::string dir_;
};

}  // namespace qor::test
