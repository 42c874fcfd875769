// Screen modes (windowed, full screen, stretched full screen) and the
// recovery of a lost device; each writes its own section of the boot log.
#include <SDL.h>

#include "graphics/screen.h"
#include "graphics/screen_internal.h"
#include "host/bootlog.h"
#include "host/engine.h"
#include "host/window.h"
#include "platform/timer.h"

namespace qor {

namespace {

// The real window, when there is one to move (headless runs only resize the back buffer).
SDL_Window* ShownWindow() { return RunningHeadless() ? nullptr : g_mainWindow; }

// Lets the window system settle after a reset: 50 rounds of the message pump.
// (A script hook run by the pump may raise: nothing here owns resources.)
void SettleWindow(lua_State* L) {
  for (int i = 0; i < 50; ++i) {
    PumpMessages(L);
    platform::SleepMs(1);
  }
}

void EnterFullScreenWindow() {
  if (SDL_Window* w = ShownWindow()) {
    SDL_ShowWindow(w);
    SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_RaiseWindow(w);
  }
}

void SetFullScreen(lua_State* L, bool stretched) {
  g_screen.modeChanging = true;
  StartBootLogSection();
  WriteBootLog(stretched ? "フルスクリーン処理（拡大）を開始します。" : "フルスクリーン処理を開始します。");
  g_screenInternals.backWidth = stretched ? g_screen.desktopWidth : g_screen.width;
  g_screenInternals.backHeight = stretched ? g_screen.desktopHeight : g_screen.height;
  WriteBootLog("パラメータを設定しリセット処理を開始します。");
  ResetDevice();
  WriteBootLog("リセット処理を終了しました。次にウィンドウを処理します。");
  g_screen.modeChanging = false;
  SettleWindow(L);
  EnterFullScreenWindow();
  if (stretched) {
    // The letterbox: as wide as the desktop, unless the picture would then be
    // taller than it; both quotients are truncated toward zero.
    const int dw = g_screen.desktopWidth, dh = g_screen.desktopHeight;
    g_screen.stretchWidth = dw;
    g_screen.stretchHeight = static_cast<int>(static_cast<double>(dw) * g_screen.height / g_screen.width);
    if (g_screen.stretchHeight >= dh) {
      g_screen.stretchHeight = dh;
      g_screen.stretchWidth = static_cast<int>(static_cast<double>(g_screen.width) * dh / g_screen.height);
    }
  }
  g_screen.mode = stretched ? 2 : 1;
  WriteBootLog("ウィンドウの処理を終了しました。フルスクリーン処理は完了しました。");
  EndBootLog();
}

void SetWindowed(lua_State* L) {
  g_screen.modeChanging = true;
  StartBootLogSection();
  WriteBootLog("ウィンドウ化処理を開始します。");
  g_screenInternals.backWidth = g_screen.width;
  g_screenInternals.backHeight = g_screen.height;
  WriteBootLog("デバイスをリセットします。");
  ResetDevice();
  WriteBootLog("デバイスをリセットしました。ウィンドウ位置を修正します。");
  g_screen.modeChanging = false;
  SettleWindow(L);
  if (SDL_Window* w = ShownWindow()) {
    // Back to the fixed-size window, centred as at creation.
    SDL_SetWindowFullscreen(w, 0);
    SDL_SetWindowSize(w, g_screen.width, g_screen.height);
    SDL_SetWindowPosition(w, g_screen.desktopWidth / 2 - g_screen.width / 2, g_screen.desktopHeight / 2 - g_screen.height / 2);
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
  }
  g_screen.mode = 0;
  WriteBootLog("ウィンドウ位置を修正しました。ウィンドウ化処理は終了しました。");
  EndBootLog();
}

}  // namespace

void SetScreenMode(lua_State* L, int mode) {
  if (mode == g_screen.mode) return;
  RequireDevice(L);
  if (mode == 0)
    SetWindowed(L);
  else
    SetFullScreen(L, mode == 2);
}

void RecoverLostDevice() {
  if (g_screen.modeChanging || !g_screen.device) return;
  StartBootLogSection();
  WriteBootLog("デバイスロストを処理します。");
  g_screen.modeChanging = true;
  ResetDevice();
  g_screen.modeChanging = false;
  WriteBootLog("デバイスロスト処理を終了しました。");
  EndBootLog();
}

void ResetDevice() {
  Device* d = g_screen.device.get();
  if (!d) return;
  if (SDL_Window* w = ShownWindow()) SDL_RaiseWindow(w);
  WriteBootLog("デバイスリセット処理を行います。");
  WriteBootLog("リセット前に各種リソースを開放します。");
  g_screen.boundTexture = nullptr;
  WriteBootLog("デバイスロストを処理します。");
  // Our devices are usable again at once: the reset itself re-creates the back buffer.
  d->Reset(g_screenInternals.backWidth, g_screenInternals.backHeight);
  WriteBootLog("リセットが成功しました。各種リソースの復帰処理をします。");
  if (g_screen.renderTargetActive) {
    // The open off-screen scene continues in a new (black) target, which is
    // bound again so that its remaining draws do not land on the screen.
    if (!d->SetOffscreenTarget(true, g_screen.width, g_screen.height)) FatalError("内部エラー：レンダーターゲット作成に失敗しました。");
    d->BeginScene();
  }
  g_screen.stateBlockApplied = false;
  g_screen.blend = BLEND_NORMAL;
  WriteBootLog("デバイスリセット処理全て終了しました。");
}

}  // namespace qor
