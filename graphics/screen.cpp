// UScreen: creating the device inside gui.create, the 2D state caches, the
// single submission path, the screen scene and the clean-up at exit.
#include "graphics/screen.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/screen_internal.h"
#include "host/binding.h"
#include "host/bootlog.h"
#include "host/engine.h"
#include "host/options.h"
#include "host/window.h"
#include "image/bitmap.h"
#include "image/image_io.h"
#include "media/audio.h"
#include "platform/dialog.h"

namespace qor {

UScreen g_screen;
ScreenInternals g_screenInternals;

namespace {

// Which backend gui.create builds, decided before the window exists because a
// window for OpenGL is made differently.
enum class Backend { Soft, GL };

Backend ChooseBackend(bool* automatic) {
  const std::string& r = g_options.renderer;
  *automatic = r.empty();
  if (r == "soft") return Backend::Soft;
  if (r == "gl") return Backend::GL;
  std::string name;
  bool software = false;
  if (!ProbeOpenGL(&name, &software)) {
    fprintf(stderr, "qor: OpenGL 3.3 is not available; using the software renderer\n");
    return Backend::Soft;
  }
  if (software) {
    fprintf(stderr, "qor: OpenGL is software-rendered (%s); using the software renderer (--renderer gl to override)\n",
            name.c_str());
    return Backend::Soft;
  }
  return Backend::GL;
}

// The window the software device presents into: none when nothing is shown.
SDL_Window* SoftPresentWindow() { return RunningHeadless() ? nullptr : g_mainWindow; }

// The window needs repainting: show the back buffer again (the window code
// does not call this while a mode change runs).
void PaintScreen() {
  if (!g_screen.device || g_screen.modeChanging) return;
  if (!g_screen.device->Present()) RecoverLostDevice();
}

// How CreateScreen ended; every failure is raised once the C++ work is done.
enum class CreateFailure { None, Window, Device };

CreateFailure CreateScreenWork(int width, int height, char* reason, size_t reasonSize) {
  g_screen.width = width;
  g_screen.height = height;
  DesktopSize(&g_screen.desktopWidth, &g_screen.desktopHeight);
  InitVideo();
  bool automatic = false;
  Backend backend = ChooseBackend(&automatic);

  std::string error;
  if (backend == Backend::GL) PrepareGLAttributes();
  // (the window steps write their own two lines of the boot log)
  if (!CreateMainWindow(width, height, backend == Backend::GL, &error)) {
    snprintf(reason, reasonSize, "%s", error.c_str());
    return CreateFailure::Window;
  }
  SetPaintHandler(PaintScreen);

  if (!OpenAudioDevice(&error)) {
    fprintf(stderr, "qor: the audio device cannot be opened: %s\n", error.c_str());
    EndBootLog();
    ShowBox("DirectSoundの初期化に失敗しました。", "エラー", platform::BoxKind::kError);
    exit(-1);
  }
  WriteBootLog("DirectSoundの初期化に成功しました。次にDirect3Dを初期化します。");
  WriteBootLog("IDirect3D9のインスタンスの作成に成功しました。次に、デフォルトディスプレイアダプタの表示能力を調べます。");
  // The count of display modes: SDL's for a real display, one for the headless desktop.
  int modes = RunningHeadless() ? 1 : SDL_GetNumDisplayModes(0);
  if (modes < 1) modes = 1;
  WriteBootLog("IDirect3D9::GetAdapterModeCount(D3DADAPTER_DEFAULT,D3DFMT_X8R8G8B8)成功、戻り値：%d", modes);

  g_screenInternals.backWidth = width;
  g_screenInternals.backHeight = height;
  WriteBootLog("次にIDirect3DDevice9をHAL HARDWARE_VERTEXPROCESSINGで作成します。");
  // First attempt: the chosen backend. Second: the software rasteriser, unless
  // OpenGL was asked for by name.
  std::unique_ptr<Device> dev;
  if (backend == Backend::GL) {
    dev = CreateGLDevice(g_mainWindow, width, height, &error);
    if (!dev) fprintf(stderr, "qor: the OpenGL device cannot be created: %s\n", error.c_str());
  } else {
    dev = CreateSoftDevice(SoftPresentWindow(), width, height, &error);
  }
  if (!dev) {
    WriteBootLog("次にIDirect3DDevice9をHAL SOFTWARE_VERTEXPROCESSINGで作成します。");
    if (backend == Backend::GL && automatic) {
      fprintf(stderr, "qor: using the software renderer\n");
      dev = CreateSoftDevice(SoftPresentWindow(), width, height, &error);
    }
    if (!dev) {
      snprintf(reason, reasonSize, "%s", error.c_str());
      return CreateFailure::Device;
    }
  }
  g_screen.device = std::move(dev);
  // The FPU precision step of the original set-up has nothing to do on x86-64 (SSE arithmetic).
  WriteBootLog("IDirect3DDevice9のインスタンスを作成成功。浮動小数点精度を変更します。_controlfp(_PC_53, _MCW_PC);");
  WriteBootLog("変更しました。次にデバイスを黒でクリアします。");
  Device* d = g_screen.device.get();
  d->BeginScene();
  d->Clear(nullptr, 0xFF000000);
  d->EndScene();
  WriteBootLog("変更しました。次にステートブロックを作成します。");
  g_screen.stateBlockApplied = false;  // the 2D state is fixed in our devices: recording it cannot fail
  WriteBootLog("ステートブロック作成成功");
  EndBootLog();
  if (g_options.failPresentOnce) d->FailNextPresent();
  return CreateFailure::None;
}

}  // namespace

void CreateScreen(lua_State* L, int width, int height) {
  if (g_screen.device) RaiseMessage(L, "gui.createは一度しか呼べません。");
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
    RaiseMessage(L, "画面の大きさが不正です。(%d,%d)", width, height);
  if (g_logEnabled) StartBootLog();
  WriteBootLog("ウィンドウ作成を開始します。");
  char reason[512] = "";
  CreateFailure failure = CreateScreenWork(width, height, reason, sizeof reason);
  if (failure == CreateFailure::Window) {
    EndBootLog();
    RaiseMessage(L, "ウィンドウが作成できません。(%s)", reason);
  }
  if (failure == CreateFailure::Device) {
    fprintf(stderr, "qor: the drawing device cannot be created: %s\n", reason);
    EndBootLog();
    RaiseMessage(L, "エラー：デバイスが初期化できません。");
  }
}

void Apply2DState() { g_screen.stateBlockApplied = true; }

// The device keeps its own record of the bound texture and ignores repeats, so
// both calls always reach it: a cached pointer could otherwise name a texture
// that was freed and whose address was reused, or leave the previous frame's
// texture on an untextured draw after a begin-scene.
void BindTexture(DeviceTexture* tex) {
  g_screen.boundTexture = tex;
  if (g_screen.device) g_screen.device->SetTexture(tex);
}

void UnbindTexture() {
  g_screen.boundTexture = nullptr;
  if (g_screen.device) g_screen.device->SetTexture(nullptr);
}

void DrawPrimitives(lua_State* L, PrimitiveType type, int count, Vertex* vertices) {
  Device* d = RequireDevice(L);
  if (count <= 0) return;
  int n;
  switch (type) {
    case PT_POINTLIST: n = count; break;
    case PT_LINELIST: n = 2 * count; break;
    case PT_LINESTRIP: n = count + 1; break;
    case PT_TRIANGLELIST: n = 3 * count; break;
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN: n = count + 2; break;
    default: n = 0; break;
  }
  if (g_screen.mode == 2 && !g_screen.renderTargetActive) {
    if (type != PT_TRIANGLELIST && type != PT_TRIANGLESTRIP && type != PT_TRIANGLEFAN)
      RaiseMessage(L, "対応していないプリミティブタイプを描画しようとしました。");
    // Screen coordinates to the letterboxed picture on the desktop-sized back buffer.
    const float offX = static_cast<float>((g_screen.desktopWidth - g_screen.stretchWidth) * 0.5);
    const float offY = static_cast<float>((g_screen.desktopHeight - g_screen.stretchHeight) * 0.5);
    for (int i = 0; i < n; ++i) {
      Vertex& v = vertices[i];
      v.x = static_cast<float>(static_cast<long double>(v.x) * g_screen.stretchWidth / g_screen.width + offX + 0.5L);
      v.y = static_cast<float>(static_cast<long double>(v.y) * g_screen.stretchHeight / g_screen.height + offY + 0.5L);
    }
  }
  if (n > 0) d->Draw(type, vertices, n);
}

void BeginScreenScene(lua_State* L, int left, int top, int right, int bottom) {
  Device* d = RequireDevice(L);
  if (!d->BeginScene()) RaiseMessage(L, "描画開始に失敗しました。");
  if ((left == 0 && top == 0 && right == 0 && bottom == 0) || g_screen.mode != 0) {
    d->Clear(nullptr, 0xFF000000);
  } else {
    DeviceRect r{left, top, right, bottom};  // right and bottom exclusive
    d->Clear(&r, 0xFF000000);
  }
  d->SetBlend(BLEND_NORMAL);
  g_screen.blend = BLEND_NORMAL;
  g_screen.boundTexture = nullptr;
  g_screen.stateBlockApplied = false;
}

bool EndScreenScene() {
  Device* d = g_screen.device.get();
  d->EndScene();
  bool ok = d->Present();
  if (ok) {
    g_screenInternals.framePresented = true;
    NoteFramePresented();
  } else {
    RecoverLostDevice();
  }
  g_screen.partialUpdate = false;
  return ok;
}

Device* RequireDevice(lua_State* L) {
  if (!g_screen.device) RaiseMessage(L, "gui.createの前に描画はできません。");
  return g_screen.device.get();
}

bool ShutdownScreen() {
  Device* d = g_screen.device.get();
  bool written = g_options.screenshot.empty();
  if (!g_options.screenshot.empty()) {
    if (!d || !g_screenInternals.framePresented) {
      fprintf(stderr, "qor: no frame was presented; no screenshot written\n");
    } else {
      UBitmap shot{};
      if (BitmapCreate(&shot, d->BackWidth(), d->BackHeight())) {
        d->ReadFrontBuffer(reinterpret_cast<uint32_t*>(shot.pixels), shot.width * 4);
        std::string error;
        written = SavePng(shot, g_options.screenshot.c_str(), false, &error);
        if (!written)
          fprintf(stderr, "qor: cannot write the screenshot \"%s\": %s\n", g_options.screenshot.c_str(), error.c_str());
        BitmapRelease(&shot);
      } else {
        fprintf(stderr, "qor: no memory for the screenshot\n");
      }
    }
  }
  g_screen.device.reset();
  DestroyMainWindow();
  return written;
}

}  // namespace qor
