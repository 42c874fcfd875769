// The message pump on real SDL events (offscreen video): latches, drops,
// close requests, Alt+L, key state, repaint and the window itself.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "host/engine.h"
#include "host/input.h"
#include "host/license_page.h"
#include "host/options.h"
#include "host/window.h"
#include "lua_harness.h"

using namespace qor;

namespace {

int g_paints = 0;
void CountPaint() { ++g_paints; }

class Pump : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_options.headless = true;
    g_options.answerYes = false;  // an unhooked close must not end the test process
    std::string error;
    ASSERT_TRUE(CreateMainWindow(320, 240, false, &error)) << error;
  }
  static void TearDownTestSuite() {
    // Other suites may share this process: leave no window or changed options behind.
    DestroyMainWindow();
    g_options = Options();
  }
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
    PumpMessages(L);  // drain what SDL queued by itself
    g_input = InputLatches();
  }
  void TearDown() override { lua_close(L); }

  void Run(const char* lua) { test::ExpectLuaOk(L, lua); }
  lua_Integer Global(const char* name) {
    lua_getglobal(L, name);
    lua_Integer v = lua_tointeger(L, -1);
    lua_pop(L, 1);
    return v;
  }
  static void Push(Uint32 type) {
    SDL_Event e{};
    e.type = type;
    SDL_PushEvent(&e);
  }
  static void Key(Uint32 type, SDL_Keycode key, Uint16 mod, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    SDL_PushEvent(&e);
  }
  static void Window(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    SDL_PushEvent(&e);
  }

  lua_State* L = nullptr;
};

}  // namespace

TEST_F(Pump, WindowIsFixedSizedCentredAndUntitled) {
  ASSERT_NE(g_mainWindow, nullptr);
  int w, h;
  SDL_GetWindowSize(g_mainWindow, &w, &h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_FALSE(SDL_GetWindowFlags(g_mainWindow) & SDL_WINDOW_RESIZABLE);
  EXPECT_STREQ(SDL_GetWindowTitle(g_mainWindow), "");
  EXPECT_TRUE(MainWindowActive());
  EXPECT_TRUE(RunningHeadless());
  std::string error;
  EXPECT_TRUE(CreateMainWindow(640, 480, false, &error));  // a second call keeps the first window
  SDL_GetWindowSize(g_mainWindow, &w, &h);
  EXPECT_EQ(w, 320);
}

TEST_F(Pump, ClearingDiscardsQueuedClicksOnly) {
  Run("n = 0 callback = {onclose = function() n = n + 1 end}");
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  SDL_PushEvent(&e);
  Window(SDL_WINDOWEVENT_CLOSE);
  DiscardPendingClicks();
  PumpMessages(L);
  EXPECT_FALSE(g_input.rightDown);
  EXPECT_EQ(Global("n"), 1);
}

// The close button and the session's quit request both reach the hook; the
// headless question without a hook is checked by the window_close_* scenarios.
TEST_F(Pump, CloseAndQuitRequestsGoToTheHook) {
  Run("n = 0 callback = {onclose = function() n = n + 1 return false end}");
  Window(SDL_WINDOWEVENT_CLOSE);
  Push(SDL_QUIT);
  PumpMessages(L);
  EXPECT_EQ(Global("n"), 2);
  EXPECT_EQ(lua_gettop(L), 0);
  EXPECT_FALSE(g_input.quit);
}

TEST_F(Pump, HookErrorsReachTheScript) {
  Run("callback = {onclose = function() error('boom') end}");
  lua_pushcfunction(L, [](lua_State* S) {
    PumpMessages(S);
    return 0;
  });
  Window(SDL_WINDOWEVENT_CLOSE);
  ASSERT_NE(lua_pcall(L, 0, 0, 0), 0);
  EXPECT_NE(std::string(lua_tostring(L, -1)).find("boom"), std::string::npos);
}

TEST_F(Pump, AltLIsTheLowerCaseLetterOnly) {
  Run("n = 0 callback = {license = function() n = n + 1 end}");
  Key(SDL_KEYDOWN, SDLK_l, KMOD_LALT);
  PumpMessages(L);
  EXPECT_EQ(Global("n"), 1);
  Key(SDL_KEYDOWN, SDLK_l, KMOD_LALT, true);               // auto-repeat
  Key(SDL_KEYDOWN, SDLK_l, KMOD_LALT | KMOD_LSHIFT);       // 'L'
  Key(SDL_KEYDOWN, SDLK_l, KMOD_RALT | KMOD_CAPS);         // 'L'
  Key(SDL_KEYDOWN, SDLK_l, 0);                             // plain l
  Key(SDL_KEYDOWN, SDLK_k, KMOD_LALT);
  PumpMessages(L);
  EXPECT_EQ(Global("n"), 1);
  Key(SDL_KEYDOWN, SDLK_l, KMOD_RALT | KMOD_CAPS | KMOD_SHIFT);  // Caps and Shift cancel out
  PumpMessages(L);
  EXPECT_EQ(Global("n"), 2);
}

// Writing and removing the page is covered by the window_license scenario;
// this checks that a page already there is kept as it is.
TEST_F(Pump, AltLWithoutHookKeepsAnExistingLicencePage) {
  char dir[] = "/tmp/qor_window_testXXXXXX";
  ASSERT_TRUE(mkdtemp(dir));  // mode 0700: private, so the page goes there
  setenv("XDG_RUNTIME_DIR", dir, 1);
  std::string page = std::string(dir) + "/qorlicense.html";
  { std::ofstream(page) << "kept"; }
  Key(SDL_KEYDOWN, SDLK_l, KMOD_LALT);
  PumpMessages(L);
  std::ifstream again(page);
  std::string word;
  again >> word;
  EXPECT_EQ(word, "kept");
  unlink(page.c_str());
  rmdir(dir);
  unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(Pump, ExposeCallsThePaintHandler) {
  SetPaintHandler(CountPaint);
  g_paints = 0;
  Window(SDL_WINDOWEVENT_EXPOSED);
  PumpMessages(L);
  EXPECT_EQ(g_paints, 1);
  SetPaintHandler(nullptr);
}

TEST_F(Pump, CursorFollowsMotionAndMoves) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = 12;
  e.motion.y = 34;
  SDL_PushEvent(&e);
  PumpMessages(L);
  int cx, cy;
  ASSERT_TRUE(CursorInClient(&cx, &cy));
  EXPECT_EQ(cx, 12);
  EXPECT_EQ(cy, 34);
  Window(SDL_WINDOWEVENT_LEAVE);
  PumpMessages(L);
  EXPECT_FALSE(CursorInClient(&cx, &cy));
  MoveCursor(5, 6);
  ASSERT_TRUE(CursorInClient(&cx, &cy));
  EXPECT_EQ(cx, 5);
}
