// Keyboard and mouse input without SDL calls: the key names scripts use, the
// virtual-key codes they stand for and the SDL keys behind each code, the key
// state table the pump keeps, and the mouse mapping between window and game pixels.
#pragma once
#include <SDL_keycode.h>

#include <cstddef>

namespace qor {

// Virtual-key codes, the numbers gui.getkey's names stand for (the values
// games were written against); only the lock keys are needed by name.
constexpr int kVkNone = -1;
constexpr int kVkCapsLock = 0x14;
constexpr int kVkNumLock = 0x90;
constexpr int kVkScrollLock = 0x91;

// gui.getkey's name lookup: a single character is its upper-case form used as
// the code ("a" → 'A', " " → space, "1" → '1', any other byte unchanged);
// longer names are matched case-insensitively against the key name table
// (first 63 characters). kVkNone for a name that is not in the table.
int KeyNameToVirtualKey(const char* name, size_t len);

// True for the three lock keys, whose toggle state gui.getkey reports.
bool IsLockKey(int vk);

// The SDL keys that make up a virtual key (either Ctrl, either Enter, …);
// returns how many were written to `out` (0 for a code with no key here).
int VirtualKeyToKeycodes(int vk, SDL_Keycode out[4]);

// Which keys are down and the toggle state of the lock keys, as the pump
// sees key events. Indexed by SDL keycode; a fixed table, nothing allocated.
class KeyState {
 public:
  // A key went down (repeat: an auto-repeat of a held key). A fresh press of
  // a lock key flips its toggle state.
  void Press(SDL_Keycode key, bool repeat);
  void Release(SDL_Keycode key);
  bool Down(SDL_Keycode key) const;
  // Releases every key (focus lost): keys let go elsewhere send no release here.
  void ReleaseAll();
  bool Toggled(SDL_Keycode lockKey) const;
  void SetToggled(SDL_Keycode lockKey, bool on);
  // True when any SDL key of the virtual key is down.
  bool VirtualKeyDown(int vk) const;
  // The modifier bits the held keys and toggles stand for (KMOD_ALT, KMOD_CAPS …).
  SDL_Keymod Modifiers() const;

 private:
  static constexpr int kMaxDown = 32;
  SDL_Keycode down_[kMaxDown] = {};
  int count_ = 0;
  bool caps_ = false, num_ = false, scroll_ = false;
};

// Mouse wheel: SDL's y > 0 (away from the user) is -1, y < 0 is +1, 0 is 0.
int WheelDirection(int y);

// The mapping between the client area and the game picture. In mode 2 the
// picture of stretchWidth x stretchHeight is centred on a desktop-sized
// client; otherwise client and picture coincide. Integer arithmetic,
// division truncating toward zero, the halving done first.
struct PictureGeometry {
  int width = 0, height = 0;  // the size given to gui.create
  int mode = 0;
  int desktopWidth = 0, desktopHeight = 0;
  int stretchWidth = 0, stretchHeight = 0;
};
// Client point → game pixel; false when it falls outside the picture.
bool ClientToGame(const PictureGeometry& g, int cx, int cy, int* x, int* y);
// Game pixel → client point (no range check, like the cursor move it feeds).
void GameToClient(const PictureGeometry& g, int x, int y, int* cx, int* cy);

}  // namespace qor
