// Command-line options of `qor`: the game folder and the headless test controls.
#pragma once
#include <string>

namespace qor {

struct Options {
  std::string gameDir;          // folder holding root.lua / 00.qar ("" = choose automatically)
  bool headless = false;        // no display: offscreen video, dummy audio, scripted answers
  long frames = -1;             // close after this many presented frames (-1 = never)
  std::string screenshot;       // PNG written from the last presented frame at exit
  std::string inputFile;        // scripted input events (see README)
  bool answerYes = true;        // answer of headless message boxes
  std::string renderer;         // "gl", "soft" or "" (automatic)
  std::string audioDriver;      // SDL audio driver name ("" = SDL's choice; dummy when headless)
  std::string audioCapture;     // WAV file receiving everything the mixer outputs
  int desktopWidth = 1920;      // desktop size assumed when headless
  int desktopHeight = 1080;
  bool failPresentOnce = false; // tests: the next present fails once (device loss)
};

// The options of this run (filled by app/main.cpp before the engine starts).
extern Options g_options;

// Parses argv; on a usage error prints a message and returns false. `exitNow`
// is set for --help / --version after printing them.
bool ParseOptions(int argc, char** argv, Options* out, bool* exitNow);

// Whether a screenshot can be written to `path` (an absolute name): its
// folder exists and it is not a folder itself, and the file (or, for a new
// file, its folder) is writable. Checked at start-up; `why` says what is wrong.
bool ScreenshotPathUsable(const std::string& path, std::string* why);

}  // namespace qor
