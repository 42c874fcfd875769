// Scripted input for test runs (--input FILE): a text file of input events,
// each tagged with the number of frames presented before it is delivered.
// The format is described in README.md ("Scripted input").
#pragma once
#include <SDL_keycode.h>

#include <string>
#include <vector>

namespace qor {

struct ScriptedEvent {
  enum Kind { kKeyDown, kKeyUp, kMouseMove, kButtonDown, kButtonUp, kWheel, kDrop, kClose, kAltL, kAnswer, kCancel };
  Kind kind = kClose;
  long frame = 0;               // delivered by the first pump after this many presented frames
  int line = 0;                 // line of the file, for messages
  SDL_Keycode key = 0;          // keydown / keyup
  int x = 0, y = 0;             // mousemove, in game pixels
  bool right = false;           // buttondown / buttonup: right button (else left)
  int wheelY = 0;               // wheel: +1 up (away from the user), -1 down
  std::vector<std::string> paths;  // drop: the files of one drop gesture; answer: the text
};

// Parses the text of an input file into events ordered by frame (events of
// one frame keep their order in the file). On a mistake returns false with
// "line N: …" in `error`.
bool ParseInputScript(const std::string& text, std::vector<ScriptedEvent>* out, std::string* error);

// The SDL key a script's key name stands for: gui.getkey's names (the first
// key of a pair such as CTRL), a single character as that key, a few extra
// names (TAB, ALT, LCTRL …) and SDL's own key names. 0 when unknown.
SDL_Keycode ScriptKeyFromName(const std::string& name);

}  // namespace qor
