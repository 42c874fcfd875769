// A test fixture that runs each test inside a new empty folder (the engine
// resolves names against the current folder) and removes it afterwards.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace qor::test {

class InScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    old_ = getcwd(buf, sizeof buf) ? buf : ".";
    char tmpl[] = "/tmp/qor_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void TearDown() override {
    ASSERT_EQ(chdir(old_.c_str()), 0);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  // Writes `text` to `name` in the scratch folder.
  static void Write(const char* name, const char* text) {
    FILE* f = fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    fputs(text, f);
    fclose(f);
  }
  std::string old_, dir_;
};

}  // namespace qor::test
