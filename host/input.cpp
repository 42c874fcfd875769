// Key names, virtual-key codes, the key state table and the mouse mapping.
#include "host/input.h"

#include <cstring>

namespace qor {
namespace {

struct KeyName {
  const char* name;
  int vk;
};

// Tried in this order; the first match wins.
const KeyName kKeyNameTable[] = {
    {" ", 0x20},      {"SPACE", 0x20},    {"ESC", 0x1B},        {"CTRL", 0x11},     {"UP", 0x26},
    {"DOWN", 0x28},   {"LEFT", 0x25},     {"RIGHT", 0x27},      {"F1", 0x70},       {"F2", 0x71},
    {"F3", 0x72},     {"F4", 0x73},       {"F5", 0x74},         {"F6", 0x75},       {"F7", 0x76},
    {"F8", 0x77},     {"F9", 0x78},       {"F10", 0x79},        {"F11", 0x7A},      {"F12", 0x7B},
    {"RETURN", 0x0D}, {"ENTER", 0x0D},    {"PAGEUP", 0x21},     {"PAGEDOWN", 0x22}, {"SHIFT", 0x10},
    {"SCROLLLOCK", 0x91}, {"NUMLOCK", 0x90}, {"CAPSLOCK", 0x14},
};

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Keys with a fixed code. Letters, digits, the keypad digits and the
// function keys are ranges handled in VirtualKeyToKeycodes.
struct VkKeys {
  int vk;
  SDL_Keycode keys[2];
};
const VkKeys kVkKeys[] = {
    {0x08, {SDLK_BACKSPACE, 0}},     {0x09, {SDLK_TAB, 0}},          {0x0C, {SDLK_CLEAR, 0}},
    {0x0D, {SDLK_RETURN, SDLK_KP_ENTER}}, {0x10, {SDLK_LSHIFT, SDLK_RSHIFT}}, {0x11, {SDLK_LCTRL, SDLK_RCTRL}},
    {0x12, {SDLK_LALT, SDLK_RALT}},  {0x13, {SDLK_PAUSE, 0}},        {0x14, {SDLK_CAPSLOCK, 0}},
    {0x1B, {SDLK_ESCAPE, 0}},        {0x20, {SDLK_SPACE, 0}},        {0x21, {SDLK_PAGEUP, 0}},
    {0x22, {SDLK_PAGEDOWN, 0}},      {0x23, {SDLK_END, 0}},          {0x24, {SDLK_HOME, 0}},
    {0x25, {SDLK_LEFT, 0}},          {0x26, {SDLK_UP, 0}},           {0x27, {SDLK_RIGHT, 0}},
    {0x28, {SDLK_DOWN, 0}},          {0x2C, {SDLK_PRINTSCREEN, 0}},  {0x2D, {SDLK_INSERT, 0}},
    {0x2E, {SDLK_DELETE, 0}},        {0x5B, {SDLK_LGUI, 0}},         {0x5C, {SDLK_RGUI, 0}},
    {0x5D, {SDLK_APPLICATION, 0}},   {0x6A, {SDLK_KP_MULTIPLY, 0}},  {0x6B, {SDLK_KP_PLUS, 0}},
    {0x6D, {SDLK_KP_MINUS, 0}},      {0x6E, {SDLK_KP_PERIOD, 0}},    {0x6F, {SDLK_KP_DIVIDE, 0}},
    {0x90, {SDLK_NUMLOCKCLEAR, 0}},  {0x91, {SDLK_SCROLLLOCK, 0}},   {0xA0, {SDLK_LSHIFT, 0}},
    {0xA1, {SDLK_RSHIFT, 0}},        {0xA2, {SDLK_LCTRL, 0}},        {0xA3, {SDLK_RCTRL, 0}},
    {0xA4, {SDLK_LALT, 0}},          {0xA5, {SDLK_RALT, 0}},         {0xBA, {SDLK_SEMICOLON, 0}},
    {0xBB, {SDLK_EQUALS, 0}},        {0xBC, {SDLK_COMMA, 0}},        {0xBD, {SDLK_MINUS, 0}},
    {0xBE, {SDLK_PERIOD, 0}},        {0xBF, {SDLK_SLASH, 0}},        {0xC0, {SDLK_BACKQUOTE, 0}},
    {0xDB, {SDLK_LEFTBRACKET, 0}},   {0xDC, {SDLK_BACKSLASH, 0}},    {0xDD, {SDLK_RIGHTBRACKET, 0}},
    {0xDE, {SDLK_QUOTE, 0}},
};

const SDL_Keycode kKeypadDigits[10] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                       SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
const SDL_Keycode kFunctionKeys[24] = {
    SDLK_F1,  SDLK_F2,  SDLK_F3,  SDLK_F4,  SDLK_F5,  SDLK_F6,  SDLK_F7,  SDLK_F8,  SDLK_F9,  SDLK_F10, SDLK_F11, SDLK_F12,
    SDLK_F13, SDLK_F14, SDLK_F15, SDLK_F16, SDLK_F17, SDLK_F18, SDLK_F19, SDLK_F20, SDLK_F21, SDLK_F22, SDLK_F23, SDLK_F24};

}  // namespace

int KeyNameToVirtualKey(const char* name, size_t len) {
  len = strnlen(name, len);  // the name is a C string: it ends at a zero byte
  if (len == 1) return static_cast<unsigned char>(AsciiUpper(name[0]));
  char upper[64];
  size_t n = len < 63 ? len : 63;
  for (size_t i = 0; i < n; ++i) upper[i] = AsciiUpper(name[i]);
  upper[n] = 0;
  for (const KeyName& k : kKeyNameTable)
    if (strcmp(upper, k.name) == 0) return k.vk;
  return kVkNone;
}

bool IsLockKey(int vk) { return vk == kVkCapsLock || vk == kVkNumLock || vk == kVkScrollLock; }

int VirtualKeyToKeycodes(int vk, SDL_Keycode out[4]) {
  if (vk >= 'A' && vk <= 'Z') {
    out[0] = SDLK_a + (vk - 'A');
    return 1;
  }
  if (vk >= '0' && vk <= '9') {
    out[0] = SDLK_0 + (vk - '0');
    return 1;
  }
  if (vk >= 0x60 && vk <= 0x69) {
    out[0] = kKeypadDigits[vk - 0x60];
    return 1;
  }
  if (vk >= 0x70 && vk <= 0x87) {
    out[0] = kFunctionKeys[vk - 0x70];
    return 1;
  }
  for (const VkKeys& k : kVkKeys) {
    if (k.vk != vk) continue;
    int n = 0;
    for (SDL_Keycode key : k.keys)
      if (key) out[n++] = key;
    return n;
  }
  return 0;
}

void KeyState::Press(SDL_Keycode key, bool repeat) {
  if (!repeat) {
    if (key == SDLK_CAPSLOCK) caps_ = !caps_;
    if (key == SDLK_NUMLOCKCLEAR) num_ = !num_;
    if (key == SDLK_SCROLLLOCK) scroll_ = !scroll_;
  }
  if (Down(key) || count_ == kMaxDown) return;
  down_[count_++] = key;
}

void KeyState::Release(SDL_Keycode key) {
  for (int i = 0; i < count_; ++i) {
    if (down_[i] != key) continue;
    down_[i] = down_[--count_];
    return;
  }
}

bool KeyState::Down(SDL_Keycode key) const {
  for (int i = 0; i < count_; ++i)
    if (down_[i] == key) return true;
  return false;
}

void KeyState::ReleaseAll() { count_ = 0; }

bool KeyState::Toggled(SDL_Keycode lockKey) const {
  if (lockKey == SDLK_CAPSLOCK) return caps_;
  if (lockKey == SDLK_NUMLOCKCLEAR) return num_;
  if (lockKey == SDLK_SCROLLLOCK) return scroll_;
  return false;
}

void KeyState::SetToggled(SDL_Keycode lockKey, bool on) {
  if (lockKey == SDLK_CAPSLOCK) caps_ = on;
  if (lockKey == SDLK_NUMLOCKCLEAR) num_ = on;
  if (lockKey == SDLK_SCROLLLOCK) scroll_ = on;
}

bool KeyState::VirtualKeyDown(int vk) const {
  SDL_Keycode keys[4];
  int n = VirtualKeyToKeycodes(vk, keys);
  for (int i = 0; i < n; ++i)
    if (Down(keys[i])) return true;
  return false;
}

SDL_Keymod KeyState::Modifiers() const {
  int m = 0;
  if (Down(SDLK_LSHIFT)) m |= KMOD_LSHIFT;
  if (Down(SDLK_RSHIFT)) m |= KMOD_RSHIFT;
  if (Down(SDLK_LCTRL)) m |= KMOD_LCTRL;
  if (Down(SDLK_RCTRL)) m |= KMOD_RCTRL;
  if (Down(SDLK_LALT)) m |= KMOD_LALT;
  if (Down(SDLK_RALT)) m |= KMOD_RALT;
  if (Down(SDLK_LGUI)) m |= KMOD_LGUI;
  if (Down(SDLK_RGUI)) m |= KMOD_RGUI;
  if (caps_) m |= KMOD_CAPS;
  if (num_) m |= KMOD_NUM;
  if (scroll_) m |= KMOD_SCROLL;
  return static_cast<SDL_Keymod>(m);
}

int WheelDirection(int y) { return y > 0 ? -1 : (y < 0 ? 1 : 0); }

bool ClientToGame(const PictureGeometry& g, int cx, int cy, int* x, int* y) {
  int gx = cx, gy = cy;
  if (g.mode == 2 && g.stretchWidth > 0 && g.stretchHeight > 0) {
    gx = (cx - (g.desktopWidth - g.stretchWidth) / 2) * g.width / g.stretchWidth;
    gy = (cy - (g.desktopHeight - g.stretchHeight) / 2) * g.height / g.stretchHeight;
  }
  if (gx < 0 || gy < 0 || gx >= g.width || gy >= g.height) return false;
  *x = gx;
  *y = gy;
  return true;
}

void GameToClient(const PictureGeometry& g, int x, int y, int* cx, int* cy) {
  *cx = x;
  *cy = y;
  if (g.mode == 2 && g.width > 0 && g.height > 0) {
    *cx = g.stretchWidth * x / g.width + (g.desktopWidth - g.stretchWidth) / 2;
    *cy = g.stretchHeight * y / g.height + (g.desktopHeight - g.stretchHeight) / 2;
  }
}

}  // namespace qor
