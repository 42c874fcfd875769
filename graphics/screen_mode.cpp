// Screen modes (windowed, full screen, stretched full screen) and the
// recovery of a lost device; each writes its own section of the boot log.
#include <SDL.h>

#include "graphics/movie_player.h"
#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "host/bootlog.h"
#include "platform/timer.h"

namespace qor {

namespace {

// Lets the window system settle after a reset: 50 rounds of the message pump.
// A failed script hook stops the pumping; the switch still completes.
bool SettleWindow(ScreenPump pump) {
  for (int i = 0; i < 50; ++i) {
    if (pump.run && !pump.run(pump.context)) return false;
    platform::SleepMs(1);
  }
  return true;
}

// A window created hidden (headless runs on Windows) stays hidden through
// every mode switch.
bool Hidden(SDL_Window* w) { return (SDL_GetWindowFlags(w) & SDL_WINDOW_HIDDEN) != 0; }

void EnterFullScreenWindow() {
  if (SDL_Window* w = g_screenInternals.window; w && !Hidden(w)) {
    SDL_ShowWindow(w);
    SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_RaiseWindow(w);
  }
}

// The letterbox: as wide as the desktop, unless the picture would then be
// taller than it; both quotients are truncated toward zero.
void ComputeLetterbox() {
  const int dw = g_screen.desktopWidth, dh = g_screen.desktopHeight;
  g_screen.stretchWidth = dw;
  g_screen.stretchHeight = static_cast<int>(static_cast<double>(dw) * g_screen.height / g_screen.width);
  if (g_screen.stretchHeight >= dh) {
    g_screen.stretchHeight = dh;
    g_screen.stretchWidth = static_cast<int>(static_cast<double>(g_screen.width) * dh / g_screen.height);
  }
}

GfxStatus SetFullScreen(bool stretched, ScreenPump pump) {
  g_screen.modeChanging = true;
  StartBootLogSection();
  WriteBootLog(stretched ? "フルスクリーン処理（拡大）を開始します。" : "フルスクリーン処理を開始します。");
  g_screenInternals.backWidth = stretched ? g_screen.desktopWidth : g_screen.width;
  g_screenInternals.backHeight = stretched ? g_screen.desktopHeight : g_screen.height;
  WriteBootLog("パラメータを設定しリセット処理を開始します。");
  GfxStatus reset = ResetDevice();
  WriteBootLog("リセット処理を終了しました。次にウィンドウを処理します。");
  g_screen.modeChanging = false;
  bool hooksOk = SettleWindow(pump);
  EnterFullScreenWindow();
  if (stretched) ComputeLetterbox();
  g_screen.mode = stretched ? 2 : 1;
  WriteBootLog("ウィンドウの処理を終了しました。フルスクリーン処理は完了しました。");
  EndBootLog();
  if (reset != GfxStatus::Ok) return reset;
  return hooksOk ? GfxStatus::Ok : GfxStatus::HookFailed;
}

GfxStatus SetWindowed(ScreenPump pump) {
  g_screen.modeChanging = true;
  StartBootLogSection();
  WriteBootLog("ウィンドウ化処理を開始します。");
  g_screenInternals.backWidth = g_screen.width;
  g_screenInternals.backHeight = g_screen.height;
  WriteBootLog("デバイスをリセットします。");
  GfxStatus reset = ResetDevice();
  WriteBootLog("デバイスをリセットしました。ウィンドウ位置を修正します。");
  g_screen.modeChanging = false;
  bool hooksOk = SettleWindow(pump);
  if (SDL_Window* w = g_screenInternals.window) {
    // Back to the fixed-size window, centred as at creation.
    SDL_SetWindowFullscreen(w, 0);
    SDL_SetWindowSize(w, g_screen.width, g_screen.height);
    SDL_SetWindowPosition(w, g_screen.desktopWidth / 2 - g_screen.width / 2, g_screen.desktopHeight / 2 - g_screen.height / 2);
    if (!Hidden(w)) {
      SDL_ShowWindow(w);
      SDL_RaiseWindow(w);
    }
  }
  g_screen.mode = 0;
  WriteBootLog("ウィンドウ位置を修正しました。ウィンドウ化処理は終了しました。");
  EndBootLog();
  if (reset != GfxStatus::Ok) return reset;
  return hooksOk ? GfxStatus::Ok : GfxStatus::HookFailed;
}

}  // namespace

GfxStatus SetScreenMode(int mode, ScreenPump pump) {
  if (mode == g_screen.mode) return GfxStatus::Ok;
  if (!g_screen.device) return GfxStatus::NoDevice;
  return mode == 0 ? SetWindowed(pump) : SetFullScreen(mode == 2, pump);
}

GfxStatus RecoverLostDevice() {
  if (g_screen.modeChanging || !g_screen.device) return GfxStatus::Ok;
  StartBootLogSection();
  WriteBootLog("デバイスロストを処理します。");
  g_screen.modeChanging = true;
  GfxStatus st = ResetDevice();
  g_screen.modeChanging = false;
  WriteBootLog("デバイスロスト処理を終了しました。");
  EndBootLog();
  return st;
}

GfxStatus ResetDevice() {
  Device* d = g_screen.device.get();
  if (!d) return GfxStatus::Ok;
  if (SDL_Window* w = g_screenInternals.window) SDL_RaiseWindow(w);
  WriteBootLog("デバイスリセット処理を行います。");
  WriteBootLog("リセット前に各種リソースを開放します。");
  g_screen.boundTexture = nullptr;
  // A movie feeding a texture is closed across the reset and reopened from its start.
  bool moviePlaying = g_movieTexture != nullptr;
  if (moviePlaying) StopMovieTexture();
  WriteBootLog("デバイスロストを処理します。");
  // Our devices are usable again at once: the reset itself re-creates the back buffer.
  d->Reset(g_screenInternals.backWidth, g_screenInternals.backHeight);
  WriteBootLog("リセットが成功しました。各種リソースの復帰処理をします。");
  GfxStatus st = GfxStatus::Ok;
  // Only a texture or bitmap scene that really draws off screen continues, in
  // a new (black) target bound again so that its remaining draws do not land
  // on the screen. A flag left by a failed texture:beginscene binds nothing.
  if (g_screen.offscreenOpen) {
    if (d->SetOffscreenTarget(true, g_screen.width, g_screen.height))
      d->BeginScene();
    else
      st = GfxStatus::TargetFatal;
  }
  g_screen.blend = BLEND_NORMAL;
  if (moviePlaying) RestoreMovie();  // a movie that cannot come back stays closed
  WriteBootLog("デバイスリセット処理全て終了しました。");
  return st;
}

}  // namespace qor
