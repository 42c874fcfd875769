// Key names, the key state table, the mouse mapping and the scripted input parser.
#include <gtest/gtest.h>

#include "host/input.h"
#include "host/input_script.h"

using namespace qor;

namespace {
int Vk(const char* name) { return KeyNameToVirtualKey(name, strlen(name)); }
}  // namespace

TEST(KeyNames, SpellingsOfOneKeyMeetOnOneCode) {
  EXPECT_EQ(Vk("space"), 0x20);
  EXPECT_EQ(Vk("Space"), 0x20);
  EXPECT_EQ(Vk(" "), 0x20);
  EXPECT_EQ(Vk("a"), 'A');
  EXPECT_EQ(Vk("A"), 'A');
  EXPECT_EQ(Vk("1"), '1');
  EXPECT_EQ(Vk("return"), Vk("ENTER"));
  EXPECT_EQ(Vk("f1"), 0x70);
  EXPECT_EQ(Vk("F12"), 0x7B);
  EXPECT_EQ(Vk("PageDown"), 0x22);
  EXPECT_EQ(Vk("capslock"), kVkCapsLock);
  EXPECT_EQ(Vk("NumLock"), kVkNumLock);
  EXPECT_EQ(Vk("scrolllock"), kVkScrollLock);
}

TEST(KeyNames, UnknownAndOddNamesFindNothing) {
  EXPECT_EQ(Vk("TAB"), kVkNone);
  EXPECT_EQ(Vk(""), kVkNone);
  EXPECT_EQ(Vk("F13"), kVkNone);
  EXPECT_EQ(Vk("SPACEBAR"), kVkNone);
  // Only the first 63 characters take part, so a long name never matches.
  std::string longName = "SPACE" + std::string(70, ' ');
  EXPECT_EQ(KeyNameToVirtualKey(longName.c_str(), longName.size()), kVkNone);
  // The name ends at a zero byte, as a C string does.
  EXPECT_EQ(KeyNameToVirtualKey("x\0yz", 4), 'X');
  // A high byte is not case-mapped and stays its own code.
  EXPECT_EQ(Vk("\xE9"), 0xE9);
}

TEST(KeyNames, CodesMapToTheKeysOfThisKeyboard) {
  SDL_Keycode k[4];
  ASSERT_EQ(VirtualKeyToKeycodes(0x11, k), 2);  // either Ctrl
  EXPECT_EQ(k[0], SDLK_LCTRL);
  EXPECT_EQ(k[1], SDLK_RCTRL);
  ASSERT_EQ(VirtualKeyToKeycodes(0x0D, k), 2);  // both Enter keys
  EXPECT_EQ(k[1], SDLK_KP_ENTER);
  ASSERT_EQ(VirtualKeyToKeycodes('Q', k), 1);
  EXPECT_EQ(k[0], SDLK_q);
  ASSERT_EQ(VirtualKeyToKeycodes(0x7B, k), 1);
  EXPECT_EQ(k[0], SDLK_F12);
  ASSERT_EQ(VirtualKeyToKeycodes(0x63, k), 1);
  EXPECT_EQ(k[0], SDLK_KP_3);
  EXPECT_EQ(VirtualKeyToKeycodes(0x07, k), 0);  // no key has this code
  EXPECT_TRUE(IsLockKey(kVkCapsLock));
  EXPECT_FALSE(IsLockKey(0x20));
}

TEST(KeyState, TracksHeldKeysAndLockToggles) {
  KeyState s;
  s.Press(SDLK_RCTRL, false);
  EXPECT_TRUE(s.VirtualKeyDown(0x11));
  EXPECT_FALSE(s.VirtualKeyDown(0x10));
  s.Press(SDLK_RCTRL, true);  // auto-repeat keeps one entry
  s.Release(SDLK_RCTRL);
  EXPECT_FALSE(s.VirtualKeyDown(0x11));

  // A press flips the lock; its auto-repeat does not; the release keeps the state.
  s.Press(SDLK_CAPSLOCK, false);
  s.Press(SDLK_CAPSLOCK, true);
  s.Release(SDLK_CAPSLOCK);
  EXPECT_TRUE(s.Toggled(SDLK_CAPSLOCK));
  EXPECT_TRUE(s.Modifiers() & KMOD_CAPS);
  s.Press(SDLK_CAPSLOCK, false);
  EXPECT_FALSE(s.Toggled(SDLK_CAPSLOCK));

  s.Press(SDLK_LALT, false);
  s.Press(SDLK_a, false);
  EXPECT_TRUE(s.Modifiers() & KMOD_LALT);
  s.ReleaseAll();
  EXPECT_FALSE(s.Down(SDLK_a));
  EXPECT_FALSE(s.Modifiers() & KMOD_ALT);
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

TEST(Wheel, AwayFromTheUserIsMinusOne) {
  EXPECT_EQ(WheelDirection(3), -1);
  EXPECT_EQ(WheelDirection(-1), 1);
  EXPECT_EQ(WheelDirection(0), 0);
}

TEST(MouseMapping, WindowedModesUseClientPixels) {
  PictureGeometry g{640, 480, 0, 1920, 1080, 0, 0};
  int x, y;
  ASSERT_TRUE(ClientToGame(g, 0, 479, &x, &y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 479);
  EXPECT_FALSE(ClientToGame(g, 640, 10, &x, &y));
  EXPECT_FALSE(ClientToGame(g, -1, 10, &x, &y));
  int cx, cy;
  GameToClient(g, 5, 7, &cx, &cy);
  EXPECT_EQ(cx, 5);
  EXPECT_EQ(cy, 7);
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
  EXPECT_EQ(ScriptKeyFromName("a"), SDLK_a);
  EXPECT_EQ(ScriptKeyFromName("A"), SDLK_a);
  EXPECT_EQ(ScriptKeyFromName("7"), SDLK_7);
  EXPECT_EQ(ScriptKeyFromName(" "), SDLK_SPACE);
  EXPECT_EQ(ScriptKeyFromName(","), SDLK_COMMA);  // the character's key, not a code
  EXPECT_EQ(ScriptKeyFromName("esc"), SDLK_ESCAPE);
  EXPECT_EQ(ScriptKeyFromName("numlock"), SDLK_NUMLOCKCLEAR);
  EXPECT_EQ(ScriptKeyFromName("rshift"), SDLK_RSHIFT);
  EXPECT_EQ(ScriptKeyFromName("Keypad 5"), SDLK_KP_5);  // SDL's own names
  EXPECT_EQ(ScriptKeyFromName("nosuchkey"), 0);
  EXPECT_EQ(ScriptKeyFromName("\x01"), 0);
}

TEST(InputScript, MistakesNameTheLine) {
  struct Case {
    const char* text;
    const char* want;
  } cases[] = {
      {"x keydown a\n", "line 1: a line starts with a frame number"},
      {"-1 close\n", "line 1: a line starts with a frame number"},
      {"\n\n2\n", "line 3: an event must follow"},
      {"1 jump\n", "line 1: unknown event \"jump\""},
      {"1 keydown\n", "line 1: keydown takes 1 argument, not 0"},
      {"1 keydown nosuchkey\n", "unknown key name \"nosuchkey\""},
      {"1 mousemove 1\n", "mousemove takes 2 arguments"},
      {"1 mousemove 1 two\n", "two whole numbers"},
      {"1 buttondown middle\n", "left or right"},
      {"1 wheel sideways\n", "up or down"},
      {"1 drop\n", "at least one file"},
      {"1 close now\n", "close takes 0 arguments"},
      {"1 drop \"open\n", "unterminated"},
      {"99999999999 close\n", "frame number"},
      // bytes of a binary file are shown escaped, never raw
      {"1 k\x01y\xff\n", "unknown event \"k\\x01y\\xFF\""},
      {"\x1b[2J close\n", "not \"\\x1B[2J\""},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedEvent> ev;
    std::string error;
    EXPECT_FALSE(ParseInputScript(c.text, &ev, &error)) << c.text;
    EXPECT_NE(error.find(c.want), std::string::npos) << c.text << " gave: " << error;
  }
}
