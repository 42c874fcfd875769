// gui.create's start-up: boot log, main window, audio device, drawing device.
#include "app/startup.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "graphics/screen.h"
#include "host/bootlog.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/options.h"
#include "host/window.h"
#include "media/audio.h"
#include "platform/dialog.h"

namespace qor {

namespace {

// The window needs repainting: show the back buffer again.
void PaintScreen() {
  if (RepaintScreen() == GfxStatus::TargetFatal) FatalError("内部エラー：レンダーターゲット作成に失敗しました。");
}

int CloseAudioStep() {
  CloseAudioDevice();
  return 0;
}

int ShutdownScreenStep() { return ShutdownScreen() ? 0 : kExitScreenshot; }

}  // namespace

void RunEngine() {
  AddExitStep(StopBeepStep);
  AddExitStep(CloseAudioStep);
  AddExitStep(ShutdownScreenStep);
  EngineMain(RegisterModules);
}

StartupStatus StartScreen(int width, int height, std::string* reason) {
  if (ScreenDevice()) return StartupStatus::AlreadyCreated;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return StartupStatus::BadSize;
  if (g_logEnabled) StartBootLog();
  WriteBootLog("ウィンドウ作成を開始します。");
  SetScreenSize(width, height);
  int dw, dh;
  DesktopSize(&dw, &dh);
  SetDesktopSize(dw, dh);
  InitVideo();
  bool automatic = false;
  ScreenBackend backend = ChooseScreenBackend(&automatic);
  if (backend == ScreenBackend::GL) PrepareGLAttributes();
  // (the window steps write their own two lines of the boot log)
  if (!CreateMainWindow(width, height, backend == ScreenBackend::GL, reason)) {
    EndBootLog();
    return StartupStatus::WindowFailed;
  }
  SetPaintHandler(PaintScreen);
  SetPictureSource(ScreenPicture);

  std::string error;
  AudioOptions audio;
  audio.driver = g_options.audioDriver;
  audio.headless = g_options.headless;
  audio.capturePath = g_options.audioCapture;
  if (!OpenAudioDevice(audio, &error)) {
    fprintf(stderr, "qor: the audio device cannot be opened: %s\n", error.c_str());
    EndBootLog();
    ShowBox("DirectSoundの初期化に失敗しました。", "エラー", platform::BoxKind::kError);
    EndProcess(-1);
  }
  WriteBootLog("DirectSoundの初期化に成功しました。次にDirect3Dを初期化します。");
  WriteBootLog("IDirect3D9のインスタンスの作成に成功しました。次に、デフォルトディスプレイアダプタの表示能力を調べます。");
  // The count of display modes: SDL's for a real display, one for the headless desktop.
  int modes = RunningHeadless() ? 1 : SDL_GetNumDisplayModes(0);
  if (modes < 1) modes = 1;
  WriteBootLog("IDirect3D9::GetAdapterModeCount(D3DADAPTER_DEFAULT,D3DFMT_X8R8G8B8)成功、戻り値：%d", modes);

  SDL_Window* shown = RunningHeadless() ? nullptr : g_mainWindow;
  if (CreateScreenDevice(g_mainWindow, shown, backend, automatic, reason) != GfxStatus::Ok) {
    fprintf(stderr, "qor: the drawing device cannot be created: %s\n", reason->c_str());
    EndBootLog();
    return StartupStatus::DeviceFailed;
  }
  EndBootLog();
  return StartupStatus::Ok;
}

}  // namespace qor
