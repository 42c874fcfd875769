// Key names, the key state table, the mouse mapping and the scripted input parser.
#include <gtest/gtest.h>

#include "host/input.h"
#include "host/input_script.h"

using namespace qor;

namespace {
int Vk(const char* name) { return KeyNameToVirtualKey(name, strlen(name)); }
}  // namespace

// The everyday spellings (space, " ", a/A, return/enter, the locks, F12, TAB
// refused) are read back through gui.getkey by the window_keys scenario.
TEST(KeyNames, OddNamesFindNothing) {
  struct Case {
    const char* name;
    int vk;
  } cases[] = {
      {"", kVkNone}, {"F13", kVkNone}, {"SPACEBAR", kVkNone},
      {"\xE9", 0xE9},  // a high byte is not case-mapped and stays its own code
  };
  for (const Case& c : cases) EXPECT_EQ(Vk(c.name), c.vk) << c.name;
  // Only the first 63 characters take part, so a long name never matches.
  std::string longName = "SPACE" + std::string(70, ' ');
  EXPECT_EQ(KeyNameToVirtualKey(longName.c_str(), longName.size()), kVkNone);
  // The name ends at a zero byte, as a C string does.
  EXPECT_EQ(KeyNameToVirtualKey("x\0yz", 4), 'X');
}

TEST(KeyState, ManyHeldKeysNeitherOverflowNorForget) {
  KeyState s;
  for (int i = 0; i < 26; ++i) s.Press(SDLK_a + i, false);
  for (int i = 0; i < 12; ++i) s.Press(SDLK_F1 + i, false);  // beyond the table: ignored
  EXPECT_TRUE(s.Down(SDLK_z));
  s.Release(SDLK_a);
  EXPECT_FALSE(s.Down(SDLK_a));
  EXPECT_TRUE(s.Down(SDLK_b));
  EXPECT_TRUE(s.Down(SDLK_z));
}

TEST(MouseMapping, StretchedModeMapsThroughTheLetterbox) {
  // 640x480 stretched to 1440x1080 on a 1920x1080 desktop: 240-pixel bars left and right.
  PictureGeometry g{640, 480, 2, 1920, 1080, 1440, 1080};
  int x, y;
  ASSERT_TRUE(ClientToGame(g, 240, 0, &x, &y));
  EXPECT_EQ(x, 0);
  ASSERT_TRUE(ClientToGame(g, 1679, 1079, &x, &y));
  EXPECT_EQ(x, 639);
  EXPECT_EQ(y, 479);
  EXPECT_FALSE(ClientToGame(g, 1680, 500, &x, &y));
  EXPECT_FALSE(ClientToGame(g, 100, 500, &x, &y));
  // Division truncates toward zero: just inside the left bar still maps to column 0.
  ASSERT_TRUE(ClientToGame(g, 239, 0, &x, &y));
  EXPECT_EQ(x, 0);
  int cx, cy;
  GameToClient(g, 320, 240, &cx, &cy);
  EXPECT_EQ(cx, 960);
  EXPECT_EQ(cy, 540);
  // Odd differences halve with truncation.
  PictureGeometry odd{100, 100, 2, 1001, 1001, 200, 200};
  GameToClient(odd, 0, 0, &cx, &cy);
  EXPECT_EQ(cx, 400);
}

TEST(InputScript, ParsesEveryEventAndOrdersByFrame) {
  std::vector<ScriptedEvent> ev;
  std::string error;
  ASSERT_TRUE(ParseInputScript("# header\n"
                               "3 keydown space   # trailing comment\n"
                               "1 mousemove 10 -2\n"
                               "\n"
                               "1 buttondown right\n"
                               "2 wheel down\n"
                               "4 drop a.txt \"with space.png\" #x.txt\r\n"
                               "5 keyup CTRL\n"
                               "6 altl\n"
                               "7 close\n"
                               "0 keydown Tab\n",
                               &ev, &error))
      << error;
  ASSERT_EQ(ev.size(), 9u);
  EXPECT_EQ(ev[0].kind, ScriptedEvent::kKeyDown);
  EXPECT_EQ(ev[0].key, SDLK_TAB);
  EXPECT_EQ(ev[1].kind, ScriptedEvent::kMouseMove);  // frame 1, kept before the button of frame 1
  EXPECT_EQ(ev[1].y, -2);
  EXPECT_EQ(ev[2].kind, ScriptedEvent::kButtonDown);
  EXPECT_TRUE(ev[2].right);
  EXPECT_EQ(ev[3].wheelY, -1);
  EXPECT_EQ(ev[4].key, SDLK_SPACE);
  EXPECT_EQ(ev[4].line, 2);
  ASSERT_EQ(ev[5].paths.size(), 2u);
  EXPECT_EQ(ev[5].paths[1], "with space.png");
  EXPECT_EQ(ev[6].key, SDLK_LCTRL);
  EXPECT_EQ(ev[7].kind, ScriptedEvent::kAltL);
  EXPECT_EQ(ev[8].kind, ScriptedEvent::kClose);
}

TEST(InputScript, KeyNamesCoverGetkeyNamesAndCharacters) {
  struct Case {
    const char* name;
    SDL_Keycode key;
  } cases[] = {
      {"a", SDLK_a}, {"A", SDLK_a}, {"7", SDLK_7}, {" ", SDLK_SPACE},
      {",", SDLK_COMMA},  // the character's key, not a code
      {"esc", SDLK_ESCAPE}, {"numlock", SDLK_NUMLOCKCLEAR}, {"rshift", SDLK_RSHIFT},
      {"Keypad 5", SDLK_KP_5},  // SDL's own names
      {"nosuchkey", 0}, {"\x01", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ScriptKeyFromName(c.name), c.key) << c.name;
}

TEST(InputScript, MistakesNameTheLine) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"x keydown a\n", "line 1: a line starts with a frame number"},
      {"\n\n2\n", "line 3: an event must follow"},
      {"1 jump\n", "line 1: unknown event \"jump\""},
      {"1 keydown\n", "line 1: keydown takes 1 argument, not 0"},
      {"1 keydown nosuchkey\n", "unknown key name \"nosuchkey\""},
      {"1 mousemove 1 two\n", "two whole numbers"},
      {"1 buttondown middle\n", "left or right"},
      {"1 wheel sideways\n", "up or down"},
      {"1 drop\n", "at least one file"},
      {"1 drop \"open\n", "unterminated"},
      {"99999999999 close\n", "frame number"},
      // bytes of a binary file are shown escaped, never raw
      {"1 k\x01y\xff\n", "unknown event \"k\\x01y\\xFF\""},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedEvent> ev;
    std::string error;
    EXPECT_FALSE(ParseInputScript(c.text, &ev, &error)) << c.text;
    EXPECT_NE(error.find(c.want), std::string::npos) << c.text << " gave: " << error;
  }
}
