// The main window (SDL2), the message pump that turns SDL events into the
// input latches, close requests, Alt+L and repaints, and the scripted input
// and frame limit of test runs.
#include "host/window.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/binding.h"
#include "host/bootlog.h"
#include "host/engine.h"
#include "host/input.h"
#include "host/input_script.h"
#include "host/license_page.h"
#include "host/options.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace qor {

InputLatches g_input;
SDL_Window* g_mainWindow = nullptr;

namespace {

// Set before any part of SDL starts (audio may start before video): Ctrl+C
// and SIGTERM keep their default action instead of becoming a quit event a
// busy game never reads, and closing the window sends only the window's own
// close event, so SDL_QUIT always means a request from outside.
struct EarlySdlHints {
  EarlySdlHints() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  }
} g_earlyHints;

// The folder qor was started in, taken before the engine enters the game
// folder: a relative --input path names a file there, as on any command line.
const std::string g_startDir = platform::CurrentDirectory();

bool g_videoTried = false;
bool g_videoReady = false;
KeyState g_scriptKeys;  // the keys scripted events hold down and the scripted lock toggles
void (*g_paintHandler)() = nullptr;
// Where the picture sits in the client area; set by the start-up once a screen exists.
PictureGeometry (*g_pictureSource)() = nullptr;
PictureGeometry Picture() { return g_pictureSource ? g_pictureSource() : PictureGeometry{}; }
long g_presented = 0;

// The cursor as the pump last saw it (client points). Scripted and headless
// runs read the cursor from here; a real display asks SDL.
bool g_cursorKnown = false;
int g_cursorX = 0, g_cursorY = 0;

// Files of the drop gesture in progress (SDL sends one event per file
// between SDL_DROPBEGIN and SDL_DROPCOMPLETE).
bool g_dropping = false;
std::vector<std::string> g_dropPending;

bool g_scriptLoaded = false;
std::vector<ScriptedEvent> g_script;
size_t g_scriptNext = 0;
std::vector<ScriptedEvent> g_answers;  // answer / cancel lines, in the order dialogs take them
size_t g_answerNext = 0;

// Scripted events that are due but not yet delivered by a pump, in order.
// Like a keyboard driver, feeding them updates the key state at once; the
// events themselves wait for the pump, as SDL's queue does for real ones.
struct PendingEvent {
  SDL_Event event{};                       // keys, buttons, wheel
  const ScriptedEvent* source = nullptr;   // drop and close (g_script is never changed while in use)
};
std::vector<PendingEvent> g_pending;
size_t g_pendingNext = 0;

// The client coordinates mouse mapping works in: game pixels in modes 0 and 1
// (the picture fills the client area), desktop pixels in mode 2. SDL reports
// window points, which differ when the window is full screen or high-DPI.
void ClientReference(int* w, int* h) {
  PictureGeometry g = Picture();
  *w = g.mode == 2 ? g.desktopWidth : g.width;
  *h = g.mode == 2 ? g.desktopHeight : g.height;
}

void PointsToClient(int px, int py, int* cx, int* cy) {
  *cx = px;
  *cy = py;
  int ww = 0, wh = 0, rw, rh;
  if (g_mainWindow) SDL_GetWindowSize(g_mainWindow, &ww, &wh);
  ClientReference(&rw, &rh);
  if (ww <= 0 || wh <= 0 || rw <= 0 || rh <= 0) return;
  *cx = static_cast<int>(static_cast<long long>(px) * rw / ww);
  *cy = static_cast<int>(static_cast<long long>(py) * rh / wh);
}

void ClientToPoints(int cx, int cy, int* px, int* py) {
  *px = cx;
  *py = cy;
  int ww = 0, wh = 0, rw, rh;
  if (g_mainWindow) SDL_GetWindowSize(g_mainWindow, &ww, &wh);
  ClientReference(&rw, &rh);
  if (ww <= 0 || wh <= 0 || rw <= 0 || rh <= 0) return;
  *px = static_cast<int>(static_cast<long long>(cx) * ww / rw);
  *py = static_cast<int>(static_cast<long long>(cy) * wh / rh);
}

bool ScriptedRun() { return g_options.headless || !g_options.inputFile.empty(); }

// A bad --input file ends the run with status 2; during the exit clean-up
// the run is ending anyway, so it is only reported.
void InputFileFailed() {
  if (!CleanupRunning()) EndProcess(kExitUsage);
}

// Reads --input once.
void LoadInputScript() {
  if (g_scriptLoaded) return;
  g_scriptLoaded = true;
  if (g_options.inputFile.empty()) return;
  const char* name = g_options.inputFile.c_str();
  std::string path = platform::IsAbsolutePath(name) ? g_options.inputFile : g_startDir + g_options.inputFile;
  std::string text;
  if (!platform::ReadWholeFile(path, &text)) {
    fprintf(stderr, "qor: cannot read the input file \"%s\": %s\n", name, strerror(errno));
    return InputFileFailed();
  }
  std::vector<ScriptedEvent> events;
  std::string error;
  if (!ParseInputScript(text, &events, &error)) {
    fprintf(stderr, "qor: %s: %s\n", name, error.c_str());
    return InputFileFailed();
  }
  SetScriptedInput(std::move(events));
}

std::string AbsolutePath(const std::string& path) {
  if (platform::IsAbsolutePath(path)) return path;
  std::string dir = platform::CurrentDirectory();
  if (dir.empty()) return path;
  return dir + path;
}

// The close that ends the run: the window disappears at once; the clean-up
// (exit → ExitCleanup) releases the device and then destroys the window.
// Inside the clean-up (callback.finalize pumping) the run is already ending:
// calling exit again would abandon the clean-up, so the close is only noted.
void ConfirmedClose() {
  g_input.quit = true;
  if (g_mainWindow) SDL_HideWindow(g_mainWindow);
  if (!CleanupRunning()) EndProcess(0);
}

// The user asked to close the window: the script's hook decides, else a
// yes/no box does.
void CloseRequest(lua_State* L) {
  if (CallHook(L, "onclose", 1)) return;
  if (ShowBox("終了しますか？", "終了確認", platform::BoxKind::kQuestion)) ConfirmedClose();
}

void OpenLicensePage() {
  std::string path;
  if (!EnsureLicensePage(&path)) {
    fprintf(stderr, "qor: cannot write the licence page%s%s\n", path.empty() ? "" : " ", path.c_str());
    return;
  }
  // The desktop's handler shows it (the browser); it is not waited for.
  if (!g_options.headless) platform::OpenWithDesktop(path);
}

void LicenseRequest(lua_State* L) {
  if (CallHook(L, "license", 0)) return;
  OpenLicensePage();
}

// Key state is not kept here: gui.getkey reads it live (VirtualKeyDown).
void HandleKeyDown(lua_State* L, const SDL_KeyboardEvent& k) {
  // Alt+L: the lower-case character only (Shift or Caps Lock make it 'L'),
  // once per press.
  int mod = k.keysym.mod;
  bool upper = ((mod & KMOD_SHIFT) != 0) != ((mod & KMOD_CAPS) != 0);
  if (k.keysym.sym == SDLK_l && (mod & KMOD_ALT) && !(mod & (KMOD_CTRL | KMOD_GUI)) && !upper && !k.repeat)
    LicenseRequest(L);
}

void HandleWindowEvent(lua_State* L, const SDL_WindowEvent& w) {
  switch (w.event) {
    case SDL_WINDOWEVENT_CLOSE:
      CloseRequest(L);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      // Show the last picture again (the screen's handler skips this while a
      // mode change rebuilds the device).
      if (g_paintHandler) g_paintHandler();
      break;
    case SDL_WINDOWEVENT_LEAVE:
      g_cursorKnown = false;
      break;
    default:
      break;
  }
}

// One event, real or scripted (scripted events carry no SDL-owned memory).
void HandleEvent(lua_State* L, SDL_Event& e) {
  switch (e.type) {
    case SDL_MOUSEBUTTONDOWN:
      if (e.button.button == SDL_BUTTON_LEFT) g_input.leftDown = true;
      if (e.button.button == SDL_BUTTON_RIGHT) g_input.rightDown = true;
      break;
    case SDL_MOUSEBUTTONUP:
      if (e.button.button == SDL_BUTTON_LEFT) g_input.leftUp = true;
      if (e.button.button == SDL_BUTTON_RIGHT) g_input.rightUp = true;
      break;
    case SDL_MOUSEWHEEL: {
      // Only the vertical wheel counts; a sideways scroll leaves the latch alone.
      int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      if (y != 0) g_input.wheel = WheelDirection(y);
      break;
    }
    case SDL_MOUSEMOTION:
      g_cursorKnown = true;
      PointsToClient(e.motion.x, e.motion.y, &g_cursorX, &g_cursorY);
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(L, e.key);
      break;
    case SDL_DROPBEGIN:
      g_dropping = true;
      g_dropPending.clear();
      break;
    case SDL_DROPFILE:
      if (!g_dropping) {
        g_dropping = true;
        g_dropPending.clear();
      }
      if (e.drop.file) g_dropPending.push_back(AbsolutePath(e.drop.file));
      SDL_free(e.drop.file);
      e.drop.file = nullptr;
      break;
    case SDL_DROPTEXT:
      SDL_free(e.drop.file);
      e.drop.file = nullptr;
      break;
    case SDL_DROPCOMPLETE:
      // A new drop replaces a list the script has not fetched.
      if (g_dropping) g_input.drops.swap(g_dropPending);
      g_dropPending.clear();
      g_dropping = false;
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(L, e.window);
      break;
    case SDL_QUIT:
      // A quit request from the desktop session is a close request too.
      CloseRequest(L);
      break;
    default:
      break;
  }
}

// Queues a scripted key event and applies it to the scripted key state. The
// event carries the modifiers held before it, as a real one does.
void FeedKey(SDL_Keycode key, bool down) {
  PendingEvent p;
  SDL_Event& e = p.event;
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = down && g_scriptKeys.Down(key) ? 1 : 0;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  e.key.keysym.mod = static_cast<Uint16>(g_scriptKeys.Modifiers());
  if (down)
    g_scriptKeys.Press(key, e.key.repeat != 0);
  else
    g_scriptKeys.Release(key);
  g_pending.push_back(p);
}

// Moves the scripted events due by now (as many frames presented as their
// frame number) into the pending queue, updating key state and cursor at once.
void FeedScripted() {
  LoadInputScript();
  while (g_scriptNext < g_script.size() && g_script[g_scriptNext].frame <= g_presented) {
    const ScriptedEvent& ev = g_script[g_scriptNext++];
    PendingEvent p;
    switch (ev.kind) {
      case ScriptedEvent::kKeyDown:
      case ScriptedEvent::kKeyUp:
        FeedKey(ev.key, ev.kind == ScriptedEvent::kKeyDown);
        break;
      case ScriptedEvent::kAltL:
        FeedKey(SDLK_LALT, true);
        FeedKey(SDLK_l, true);
        FeedKey(SDLK_l, false);
        FeedKey(SDLK_LALT, false);
        break;
      case ScriptedEvent::kMouseMove: {
        GameToClient(Picture(), ev.x, ev.y, &g_cursorX, &g_cursorY);
        g_cursorKnown = true;
        break;
      }
      case ScriptedEvent::kButtonDown:
      case ScriptedEvent::kButtonUp:
        p.event.type = ev.kind == ScriptedEvent::kButtonDown ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        p.event.button.button = ev.right ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
        g_pending.push_back(p);
        break;
      case ScriptedEvent::kWheel:
        p.event.type = SDL_MOUSEWHEEL;
        p.event.wheel.y = ev.wheelY;
        g_pending.push_back(p);
        break;
      case ScriptedEvent::kDrop:
      case ScriptedEvent::kClose:
        p.source = &ev;
        g_pending.push_back(p);
        break;
      case ScriptedEvent::kAnswer:
      case ScriptedEvent::kCancel:
        break;  // kept apart for the dialogs (SetScriptedInput)
    }
  }
}

void DeliverPending(lua_State* L, PendingEvent& p) {
  if (!p.source) return HandleEvent(L, p.event);
  if (p.source->kind == ScriptedEvent::kDrop) {
    g_input.drops.clear();
    for (const std::string& path : p.source->paths) g_input.drops.push_back(AbsolutePath(path));
  } else {
    CloseRequest(L);
  }
}

// Brings the live input up to date without taking any event out of a queue:
// SDL_PumpEvents moves the system's events into SDL's queue and updates its
// keyboard, mouse and window state; due scripted events are fed likewise.
void RefreshLiveInput() {
  FeedScripted();
  if (g_videoReady) SDL_PumpEvents();
}

bool RealDisplay() { return g_videoReady && !g_options.headless; }

// A 32x32 icon drawn in code: a light ring with a tail on a dark tile.
SDL_Surface* MakeIcon() {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!s) return nullptr;
  for (int y = 0; y < 32; ++y) {
    Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < 32; ++x) {
      float dx = x - 15.5f, dy = y - 14.5f;
      float r2 = dx * dx + dy * dy;
      bool corner = (x < 3 || x > 28) && (y < 3 || y > 28);
      Uint32 c = corner ? 0x00000000u : 0xFF202838u;
      if (r2 >= 7.0f * 7.0f && r2 <= 11.0f * 11.0f) c = 0xFFF0E6C8u;
      if (x - y >= -2 && x - y <= 2 && x >= 18 && x <= 27) c = 0xFFF0E6C8u;  // the tail
      row[x] = c;
    }
  }
  return s;
}

}  // namespace

bool InitVideo() {
  if (g_videoTried) return g_videoReady;
  g_videoTried = true;
  LoadInputScript();
  if (!g_options.headless) {
    const char* drv = getenv("SDL_VIDEODRIVER");
    bool displayless = drv && (!strcmp(drv, "offscreen") || !strcmp(drv, "dummy"));
    if (displayless) {
      g_options.headless = true;  // asked for explicitly: no notice
    } else if (!platform::DialogsOnDisplay(false) || SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      fprintf(stderr, "qor: no display available; running headless\n");
      g_options.headless = true;
    } else {
      g_videoReady = true;
    }
  }
  if (g_options.headless) {
    // Read by the audio start in gui.create; an explicit driver choice wins.
    if (g_options.audioDriver.empty()) SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!g_videoReady) {
      const char* driver = platform::HeadlessVideoDriver();  // null: the system's own, windows hidden
      if (driver) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
        g_videoReady = true;
      else
        fprintf(stderr, "qor: cannot start SDL video (%s): %s\n", driver ? driver : "default", SDL_GetError());
    }
  }
  return g_videoReady;
}

bool RunningHeadless() {
  InitVideo();
  return g_options.headless;
}

void DesktopSize(int* w, int* h) {
  *w = g_options.desktopWidth;
  *h = g_options.desktopHeight;
  if (!InitVideo() || g_options.headless) return;
  int display = g_mainWindow ? SDL_GetWindowDisplayIndex(g_mainWindow) : 0;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0 && mode.w > 0 && mode.h > 0) {
    *w = mode.w;
    *h = mode.h;
  }
}

bool CreateMainWindow(int width, int height, bool opengl, std::string* error) {
  if (!InitVideo()) {
    *error = std::string("SDL video could not start: ") + SDL_GetError();
    return false;
  }
  if (g_mainWindow) return true;
  int dw, dh;
  DesktopSize(&dw, &dh);
  int x = dw / 2 - width / 2;
  int y = dh / 2 - height / 2;
  WriteBootLog("スクリーン位置 x=%d,y=%d", x, y);
  // A headless run on a driver with a real screen (Windows) never shows its window.
  const bool hidden = g_options.headless && !platform::HeadlessVideoDriver();
  Uint32 flags = (hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN) | SDL_WINDOW_ALLOW_HIGHDPI |
                 (opengl ? SDL_WINDOW_OPENGL : 0);
  SDL_Window* win = SDL_CreateWindow("", x, y, width > 0 ? width : 1, height > 0 ? height : 1, flags);
  if (!win) {
    *error = SDL_GetError();
    return false;
  }
  g_mainWindow = win;
  if (SDL_Surface* icon = MakeIcon()) {
    SDL_SetWindowIcon(win, icon);
    SDL_FreeSurface(icon);
  }
  SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
  SDL_EventState(SDL_DROPBEGIN, SDL_ENABLE);
  SDL_EventState(SDL_DROPCOMPLETE, SDL_ENABLE);
  SDL_EventState(SDL_DROPTEXT, SDL_DISABLE);
  // Keys are read as keys; no input method composes text over the game.
  SDL_StopTextInput();
  if (!hidden) SDL_RaiseWindow(win);
  g_input.quit = false;
  WriteBootLog("ウィンドウ作成に成功しました。次にDirectSoundを初期化します。");
  return true;
}

void DestroyMainWindow() {
  if (!g_mainWindow) return;
  SDL_DestroyWindow(g_mainWindow);
  g_mainWindow = nullptr;
}

void PumpMessages(lua_State* L) {
  FeedScripted();
  while (g_pendingNext < g_pending.size()) {
    PendingEvent p = g_pending[g_pendingNext++];  // a copy, advanced first: a hook may pump or feed again
    DeliverPending(L, p);
  }
  g_pending.clear();
  g_pendingNext = 0;
  if (g_videoReady) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleEvent(L, e);
  }
  if (CleanupRunning()) return;  // the run is ending already: pump, never exit again
  if (g_input.quit || (g_options.frames >= 0 && g_presented >= g_options.frames)) ConfirmedClose();
}

void SetScriptedInput(std::vector<ScriptedEvent> events) {
  g_scriptLoaded = true;
  // Dialog answers are not delivered by the pump: dialogs take them in order.
  g_answers.clear();
  g_answerNext = 0;
  for (auto it = events.begin(); it != events.end();) {
    if (it->kind == ScriptedEvent::kAnswer || it->kind == ScriptedEvent::kCancel) {
      g_answers.push_back(std::move(*it));
      it = events.erase(it);
    } else {
      ++it;
    }
  }
  g_script = std::move(events);
  g_scriptNext = 0;
  g_pending.clear();
  g_pendingNext = 0;
  g_scriptKeys = KeyState();
}

ScriptedAnswer TakeScriptedAnswer(std::string* text) {
  LoadInputScript();
  text->clear();
  if (g_answerNext >= g_answers.size() || g_answers[g_answerNext].frame > g_presented) return ScriptedAnswer::kNone;
  const ScriptedEvent& ev = g_answers[g_answerNext++];
  if (ev.kind == ScriptedEvent::kCancel) return ScriptedAnswer::kCancel;
  *text = ev.paths[0];
  return ScriptedAnswer::kText;
}

bool ShowBox(const char* text, const char* title, platform::BoxKind kind) {
  platform::DialogSettings settings;
  settings.owner = g_mainWindow;
  settings.headless = g_options.headless;
  settings.answerYes = g_options.answerYes;
  return platform::ShowMessageBox(text, title, kind, settings);
}

void NoteFramePresented() { ++g_presented; }

void SetPaintHandler(void (*handler)()) { g_paintHandler = handler; }

void SetPictureSource(PictureGeometry (*source)()) { g_pictureSource = source; }

bool MainWindowActive() {
  if (!g_mainWindow) return false;
  if (g_options.headless) return true;
  RefreshLiveInput();  // focus changes the system reported since the last pump
  return (SDL_GetWindowFlags(g_mainWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool VirtualKeyDown(int vk) {
  RefreshLiveInput();
  if (g_scriptKeys.VirtualKeyDown(vk)) return true;
  if (!RealDisplay()) return false;
  SDL_Keycode keys[4];
  int n = VirtualKeyToKeycodes(vk, keys);
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  for (int i = 0; i < n; ++i) {
    SDL_Scancode sc = SDL_GetScancodeFromKey(keys[i]);
    if (sc > SDL_SCANCODE_UNKNOWN && sc < count && state[sc]) return true;
  }
  return false;
}

bool LockKeyToggled(int vk) {
  SDL_Keycode keys[4];
  if (VirtualKeyToKeycodes(vk, keys) == 0) return false;
  // Before gui.create this may be the first look at the display.
  InitVideo();
  RefreshLiveInput();
  if (ScriptedRun() || !RealDisplay()) return g_scriptKeys.Toggled(keys[0]);
  SDL_Keymod mod = SDL_GetModState();
  if (keys[0] == SDLK_CAPSLOCK) return mod & KMOD_CAPS;
  if (keys[0] == SDLK_NUMLOCKCLEAR) return mod & KMOD_NUM;
  if (keys[0] == SDLK_SCROLLLOCK) return mod & KMOD_SCROLL;
  return false;
}

bool CursorInClient(int* cx, int* cy) {
  if (!g_mainWindow) return false;
  RefreshLiveInput();
  if (ScriptedRun()) {
    if (!g_cursorKnown) return false;
    *cx = g_cursorX;
    *cy = g_cursorY;
    return true;
  }
  if (!(SDL_GetWindowFlags(g_mainWindow) & SDL_WINDOW_MOUSE_FOCUS)) return false;
  int px, py;
  SDL_GetMouseState(&px, &py);
  PointsToClient(px, py, cx, cy);
  return true;
}

void MoveCursor(int cx, int cy) {
  g_cursorKnown = true;
  g_cursorX = cx;
  g_cursorY = cy;
  if (g_mainWindow && !ScriptedRun()) {
    int px, py;
    ClientToPoints(cx, cy, &px, &py);
    SDL_WarpMouseInWindow(g_mainWindow, px, py);
  }
}

void DiscardPendingClicks() {
  if (!g_videoReady) return;
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL);
}

}  // namespace qor
