// RunScript on loose files: chunk names, '#' first lines, results, and the
// fatal messages for scripts with non-ASCII names.
#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <string>

#include "host/engine.h"
#include "host/lua.h"
#include "scratch_dir.h"

using namespace qor;

namespace {

class EngineRunScript : public test::InScratchDir {
 protected:
  void SetUp() override {
    InScratchDir::SetUp();
    L_ = luaL_newstate();
    luaL_openlibs(L_);
  }
  void TearDown() override {
    lua_close(L_);
    InScratchDir::TearDown();
  }
  lua_State* L_ = nullptr;
};

}  // namespace

TEST_F(EngineRunScript, ResultsStayOnTheStackAndHashLineIsSkipped) {
  Write("main.lua", "#!/usr/bin/env qor\nreturn 'a', debug.getinfo(1, 'l').currentline\n");
  RunScript(L_, "main.lua");
  ASSERT_EQ(lua_gettop(L_), 2);
  EXPECT_STREQ(lua_tostring(L_, 1), "a");
  EXPECT_EQ(lua_tointeger(L_, 2), 2);  // line numbers are those of the file
}

TEST_F(EngineRunScript, NameMatchesAnyCaseAndEitherSeparator) {
  ASSERT_TRUE(std::filesystem::create_directory("Data"));
  Write("Data/Init.lua", "return 5\n");
  RunScript(L_, "data\\init.lua");
  EXPECT_EQ(lua_tointeger(L_, -1), 5);
}

using EngineRunScriptDeathTest = EngineRunScript;

TEST_F(EngineRunScriptDeathTest, ErrorInAScriptWithAJapaneseName) {
  ASSERT_TRUE(std::filesystem::create_directory("スクリプト"));
  Write("スクリプト/本体.lua", "local a = 1\n\nerror('boom')\n");
  EXPECT_EXIT(RunScript(L_, "スクリプト/本体.lua"), ::testing::ExitedWithCode(255),
              "Luaスクリプトのエラーです。\r\nスクリプト/本体.lua:3: boom");
}

TEST_F(EngineRunScriptDeathTest, MissingScriptWithAJapaneseName) {
  EXPECT_EXIT(RunScript(L_, "無い.lua"), ::testing::ExitedWithCode(255), "Luaスクリプト\"無い.lua\"がありません。");
}
