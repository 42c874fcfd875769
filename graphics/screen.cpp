// UScreen: creating the device, the texture cache, the single submission
// path, the screen scene and the clean-up at exit.
#include "graphics/screen.h"

#include <cstdio>
#include <new>
#include <string>

#include "graphics/screen_internal.h"
#include "graphics/texture.h"
#include "graphics/transition.h"
#include "host/bootlog.h"
#include "host/options.h"
#include "image/bitmap.h"
#include "image/image_io.h"

namespace qor {

UScreen g_screen;
ScreenInternals g_screenInternals;

void SetScreenSize(int width, int height) {
  g_screen.width = width;
  g_screen.height = height;
}

void SetDesktopSize(int width, int height) {
  g_screen.desktopWidth = width;
  g_screen.desktopHeight = height;
}

ScreenBackend ChooseScreenBackend(bool* automatic) {
  const std::string& r = g_options.renderer;
  *automatic = r.empty();
  if (r == "soft") return ScreenBackend::Soft;
  if (r == "gl") return ScreenBackend::GL;
  std::string name;
  bool software = false;
  if (!ProbeOpenGL(&name, &software)) {
    fprintf(stderr, "qor: OpenGL 3.3 is not available; using the software renderer\n");
    return ScreenBackend::Soft;
  }
  if (software) {
    fprintf(stderr, "qor: OpenGL is software-rendered (%s); using the software renderer (--renderer gl to override)\n",
            name.c_str());
    return ScreenBackend::Soft;
  }
  return ScreenBackend::GL;
}

GfxStatus CreateScreenDevice(SDL_Window* window, SDL_Window* shown, ScreenBackend backend, bool automatic,
                             std::string* reason) {
  const int width = g_screen.width, height = g_screen.height;
  g_screenInternals.backWidth = width;
  g_screenInternals.backHeight = height;
  g_screenInternals.window = shown;
  WriteBootLog("次にIDirect3DDevice9をHAL HARDWARE_VERTEXPROCESSINGで作成します。");
  // First attempt: the chosen backend. Second: the software rasteriser, unless
  // OpenGL was asked for by name.
  std::unique_ptr<Device> dev;
  if (backend == ScreenBackend::GL) {
    dev = CreateGLDevice(window, width, height, reason);
    if (!dev) fprintf(stderr, "qor: the OpenGL device cannot be created: %s\n", reason->c_str());
  } else {
    dev = CreateSoftDevice(shown, width, height, reason);
  }
  if (!dev) {
    WriteBootLog("次にIDirect3DDevice9をHAL SOFTWARE_VERTEXPROCESSINGで作成します。");
    if (backend == ScreenBackend::GL && automatic) {
      fprintf(stderr, "qor: using the software renderer\n");
      dev = CreateSoftDevice(shown, width, height, reason);
    }
    if (!dev) return GfxStatus::NoDevice;
  }
  g_screen.device = std::move(dev);
  // The FPU precision step of the original set-up has nothing to do on x86-64 (SSE arithmetic).
  WriteBootLog("IDirect3DDevice9のインスタンスを作成成功。浮動小数点精度を変更します。_controlfp(_PC_53, _MCW_PC);");
  WriteBootLog("変更しました。次にデバイスを黒でクリアします。");
  Device* d = g_screen.device.get();
  d->Clear(nullptr, 0xFF000000);  // clearing needs no scene
  // The 2D state is fixed in our devices: recording it cannot fail.
  WriteBootLog("変更しました。次にステートブロックを作成します。");
  WriteBootLog("ステートブロック作成成功");
  if (g_options.failPresentOnce) d->FailNextPresent();
  return GfxStatus::Ok;
}

void UseScreenDevice(std::unique_ptr<Device> device, int width, int height) {
  ReleaseTransitionWork();  // while the device that made it is still there
  g_screen = UScreen();
  ForgetOffscreenScenes();
  g_screen.device = std::move(device);
  g_screen.width = width;
  g_screen.height = height;
  g_screenInternals = ScreenInternals();
  g_screenInternals.backWidth = width;
  g_screenInternals.backHeight = height;
}

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

GfxStatus DrawPrimitives(PrimitiveType type, int count, Vertex* vertices) {
  Device* d = g_screen.device.get();
  if (!d) return GfxStatus::NoDevice;
  if (count <= 0) return GfxStatus::Ok;
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
  if (g_screen.mode == 2 && !g_screen.offscreenOpen) {
    if (type != PT_TRIANGLELIST && type != PT_TRIANGLESTRIP && type != PT_TRIANGLEFAN)
      return GfxStatus::UnsupportedPrimitive;
    // Screen coordinates to the letterboxed picture on the desktop-sized back buffer.
    const float offX = static_cast<float>((g_screen.desktopWidth - g_screen.stretchWidth) * 0.5);
    const float offY = static_cast<float>((g_screen.desktopHeight - g_screen.stretchHeight) * 0.5);
    for (int i = 0; i < n; ++i) {
      Vertex& v = vertices[i];
      v.x = static_cast<float>(static_cast<long double>(v.x) * g_screen.stretchWidth / g_screen.width + offX + 0.5L);
      v.y = static_cast<float>(static_cast<long double>(v.y) * g_screen.stretchHeight / g_screen.height + offY + 0.5L);
    }
  }
  if (n <= 0) return GfxStatus::Ok;
  try {
    d->Draw(type, vertices, n);  // a batching device may grow its queue
  } catch (const std::bad_alloc&) {
    return GfxStatus::OutOfMemory;
  }
  return GfxStatus::Ok;
}

GfxStatus BeginScreenScene(int left, int top, int right, int bottom) {
  Device* d = g_screen.device.get();
  if (!d) return GfxStatus::NoDevice;
  if (!d->BeginScene()) return GfxStatus::BeginSceneFailed;
  if ((left == 0 && top == 0 && right == 0 && bottom == 0) || g_screen.mode != 0) {
    d->Clear(nullptr, 0xFF000000);
  } else {
    DeviceRect r{left, top, right, bottom};  // right and bottom exclusive
    d->Clear(&r, 0xFF000000);
  }
  d->SetBlend(BLEND_NORMAL);
  g_screen.blend = BLEND_NORMAL;
  g_screen.boundTexture = nullptr;
  return GfxStatus::Ok;
}

GfxStatus EndScreenScene() {
  Device* d = g_screen.device.get();
  if (!d) return GfxStatus::NoDevice;
  d->EndScene();
  g_screen.partialUpdate = false;
  if (d->Present()) {
    g_screenInternals.framePresented = true;
    return GfxStatus::Ok;
  }
  GfxStatus st = RecoverLostDevice();
  return st == GfxStatus::Ok ? GfxStatus::DeviceLost : st;
}

PictureGeometry ScreenPicture() {
  return PictureGeometry{g_screen.width,        g_screen.height,        g_screen.mode,
                         g_screen.desktopWidth, g_screen.desktopHeight, g_screen.stretchWidth,
                         g_screen.stretchHeight};
}

GfxStatus RepaintScreen() {
  if (!g_screen.device || g_screen.modeChanging) return GfxStatus::Ok;
  if (g_screen.device->Present()) return GfxStatus::Ok;
  return RecoverLostDevice();
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
  ReleaseTransitionWork();
  g_screen.device.reset();
  g_screenInternals.window = nullptr;
  return written;
}

}  // namespace qor
