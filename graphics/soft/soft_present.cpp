// Presenting the software back buffer in the SDL window. A window of another
// size than the buffer (full screen at the screen's size, HiDPI) shows it
// scaled by the engine's one rule (graphics/frame_scale.h).
#include <SDL.h>

#include "graphics/frame_scale.h"
#include "graphics/soft/soft_device.h"

namespace qor::soft {

namespace {

// srcW x srcH pixels to dstW x dstH; `columns` is scratch space kept between frames.
void ScaleFrame(const uint32_t* src, int srcW, int srcH, uint32_t* dst, int dstW, int dstH, std::vector<int>* columns) {
  columns->resize(static_cast<size_t>(dstW));
  for (int x = 0; x < dstW; ++x) (*columns)[x] = ScaledSourcePixel(x, srcW, dstW);
  const int* col = columns->data();
  for (int y = 0; y < dstH; ++y) {
    const uint32_t* in = src + static_cast<size_t>(ScaledSourcePixel(y, srcH, dstH)) * srcW;
    uint32_t* out = dst + static_cast<size_t>(y) * dstW;
    for (int x = 0; x < dstW; ++x) out[x] = in[col[x]];
  }
}

}  // namespace

SoftDevice::~SoftDevice() {
  if (frameWrap_) SDL_FreeSurface(frameWrap_);
}

void SoftDevice::ShowOnWindow() {
  SDL_Surface* win = SDL_GetWindowSurface(window_);
  if (!win) return;  // no surface (e.g. the window is being re-created): the frame is only kept
  const uint32_t* frame = back_.pixels.data();
  int w = back_.width, h = back_.height;
  if (win->w != w || win->h != h) {
    scaled_.resize(static_cast<size_t>(win->w) * win->h);  // allocates only when the window grows
    ScaleFrame(frame, w, h, scaled_.data(), win->w, win->h, &scaleColumns_);
    frame = scaled_.data();
    w = win->w;
    h = win->h;
  }
  if (!frameWrap_ || frameWrap_->pixels != frame || frameWrap_->w != w || frameWrap_->h != h) {
    if (frameWrap_) SDL_FreeSurface(frameWrap_);
    frameWrap_ = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(frame), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!frameWrap_) return;
    SDL_SetSurfaceBlendMode(frameWrap_, SDL_BLENDMODE_NONE);
  }
  SDL_BlitSurface(frameWrap_, nullptr, win, nullptr);  // converts to the window's format
  SDL_UpdateWindowSurface(window_);
}

}  // namespace qor::soft
