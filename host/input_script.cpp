// Parser of the scripted input file (--input).
#include "host/input_script.h"

#include <SDL_keyboard.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/input.h"

namespace qor {
namespace {

// A word of the file as a message shows it: printable ASCII as it is, every
// other byte as \xNN, so a binary file cannot send raw bytes to the terminal.
std::string Shown(const std::string& word) {
  std::string out;
  for (unsigned char c : word) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += char(c);
    } else {
      char hex[5];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

// Splits a line into words; "double quotes" keep spaces inside one word and
// a word starting with '#' ends the line.
bool Tokenize(const std::string& line, std::vector<std::string>* words, std::string* error) {
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') return true;
    if (line[i] == '"') {
      size_t end = line.find('"', i + 1);
      if (end == std::string::npos) {
        *error = "unterminated quoted word";
        return false;
      }
      words->push_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      words->push_back(line.substr(start, i - start));
    }
  }
}

bool ParseInt(const std::string& s, long lo, long hi, long* out) {
  if (s.empty()) return false;
  errno = 0;
  char* end;
  long v = strtol(s.c_str(), &end, 10);
  if (*end || errno || v < lo || v > hi) return false;
  *out = v;
  return true;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

struct ExtraKey {
  const char* name;
  SDL_Keycode key;
};
const ExtraKey kExtraKeys[] = {
    {"TAB", SDLK_TAB},       {"ALT", SDLK_LALT},         {"LALT", SDLK_LALT},         {"RALT", SDLK_RALT},
    {"LCTRL", SDLK_LCTRL},   {"RCTRL", SDLK_RCTRL},      {"LSHIFT", SDLK_LSHIFT},     {"RSHIFT", SDLK_RSHIFT},
    {"BACKSPACE", SDLK_BACKSPACE}, {"DELETE", SDLK_DELETE}, {"INSERT", SDLK_INSERT}, {"HOME", SDLK_HOME},
    {"END", SDLK_END},       {"KP_ENTER", SDLK_KP_ENTER},
};

const char kEvents[] = "keydown, keyup, mousemove, buttondown, buttonup, wheel, drop, close, altl, answer or cancel";

// One line's event from its words (the frame already taken off).
bool ParseEvent(const std::vector<std::string>& w, ScriptedEvent* ev, std::string* error) {
  const std::string& name = w[1];
  size_t args = w.size() - 2;
  auto wantArgs = [&](size_t n) {
    if (args == n) return true;
    *error = Shown(name) + " takes " + std::to_string(n) + (n == 1 ? " argument" : " arguments") + ", not " +
             std::to_string(args);
    return false;
  };
  if (name == "keydown" || name == "keyup") {
    if (!wantArgs(1)) return false;
    ev->kind = name == "keydown" ? ScriptedEvent::kKeyDown : ScriptedEvent::kKeyUp;
    ev->key = ScriptKeyFromName(w[2]);
    if (!ev->key) {
      *error = "unknown key name \"" + Shown(w[2]) + "\"";
      return false;
    }
  } else if (name == "mousemove") {
    if (!wantArgs(2)) return false;
    long x, y;
    if (!ParseInt(w[2], -1000000, 1000000, &x) || !ParseInt(w[3], -1000000, 1000000, &y)) {
      *error = "mousemove takes two whole numbers X Y (game pixels)";
      return false;
    }
    ev->kind = ScriptedEvent::kMouseMove;
    ev->x = static_cast<int>(x);
    ev->y = static_cast<int>(y);
  } else if (name == "buttondown" || name == "buttonup") {
    if (!wantArgs(1)) return false;
    if (w[2] != "left" && w[2] != "right") {
      *error = name + " takes left or right, not \"" + Shown(w[2]) + "\"";
      return false;
    }
    ev->kind = name == "buttondown" ? ScriptedEvent::kButtonDown : ScriptedEvent::kButtonUp;
    ev->right = w[2] == "right";
  } else if (name == "wheel") {
    if (!wantArgs(1)) return false;
    if (w[2] != "up" && w[2] != "down") {
      *error = "wheel takes up or down, not \"" + Shown(w[2]) + "\"";
      return false;
    }
    ev->kind = ScriptedEvent::kWheel;
    ev->wheelY = w[2] == "up" ? 1 : -1;
  } else if (name == "drop") {
    if (args == 0) {
      *error = "drop needs at least one file";
      return false;
    }
    ev->kind = ScriptedEvent::kDrop;
    ev->paths.assign(w.begin() + 2, w.end());
  } else if (name == "answer") {
    if (!wantArgs(1)) return false;
    ev->kind = ScriptedEvent::kAnswer;
    ev->paths.assign(1, w[2]);
  } else if (name == "cancel") {
    if (!wantArgs(0)) return false;
    ev->kind = ScriptedEvent::kCancel;
  } else if (name == "close" || name == "altl") {
    if (!wantArgs(0)) return false;
    ev->kind = name == "close" ? ScriptedEvent::kClose : ScriptedEvent::kAltL;
  } else {
    *error = "unknown event \"" + Shown(name) + "\" (expected " + kEvents + ")";
    return false;
  }
  return true;
}

}  // namespace

SDL_Keycode ScriptKeyFromName(const std::string& name) {
  if (name.empty()) return 0;
  if (name.size() == 1) {
    // The key of that character (letters as their lower-case keycode).
    unsigned char c = static_cast<unsigned char>(name[0]);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
    return (c > ' ' && c < 0x7F) || c == ' ' ? static_cast<SDL_Keycode>(c) : 0;
  }
  int vk = KeyNameToVirtualKey(name.c_str(), name.size());
  SDL_Keycode keys[4];
  if (vk != kVkNone && VirtualKeyToKeycodes(vk, keys) > 0) return keys[0];
  std::string upper = Upper(name);
  for (const ExtraKey& k : kExtraKeys)
    if (upper == k.name) return k.key;
  SDL_Keycode key = SDL_GetKeyFromName(name.c_str());
  return key == SDLK_UNKNOWN ? 0 : key;
}

bool ParseInputScript(const std::string& text, std::vector<ScriptedEvent>* out, std::string* error) {
  out->clear();
  size_t pos = 0;
  int lineNo = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    std::vector<std::string> words;
    std::string why;
    if (!Tokenize(line, &words, &why)) {
      *error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    }
    if (words.empty()) continue;
    ScriptedEvent ev;
    ev.line = lineNo;
    if (!ParseInt(words[0], 0, 0x7FFFFFFF, &ev.frame)) {
      *error = "line " + std::to_string(lineNo) + ": a line starts with a frame number (0 or more), not \"" +
               Shown(words[0]) + "\"";
      return false;
    }
    if (words.size() < 2) {
      *error = "line " + std::to_string(lineNo) + ": an event must follow the frame number (" + kEvents + ")";
      return false;
    }
    if (!ParseEvent(words, &ev, &why)) {
      *error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    }
    out->push_back(std::move(ev));
  }
  std::stable_sort(out->begin(), out->end(),
                   [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.frame < b.frame; });
  return true;
}

}  // namespace qor
