// Presenting the software back buffer in the SDL window (its surface may be
// larger than the buffer on HiDPI screens: then it is scaled, nearest texel).
#include <SDL.h>

#include "graphics/soft/soft_device.h"

namespace qor::soft {

SoftDevice::~SoftDevice() {
  if (backWrap_) SDL_FreeSurface(backWrap_);
}

void SoftDevice::ShowOnWindow() {
  SDL_Surface* win = SDL_GetWindowSurface(window_);
  if (!win) return;  // no surface (e.g. the window is being re-created): the frame is only kept
  if (!backWrap_ || backWrap_->pixels != back_.pixels.data() || backWrap_->w != back_.width || backWrap_->h != back_.height) {
    if (backWrap_) SDL_FreeSurface(backWrap_);
    backWrap_ = SDL_CreateRGBSurfaceWithFormatFrom(back_.pixels.data(), back_.width, back_.height, 32, back_.width * 4,
                                                   SDL_PIXELFORMAT_ARGB8888);
    if (!backWrap_) return;
    SDL_SetSurfaceBlendMode(backWrap_, SDL_BLENDMODE_NONE);
  }
  if (win->w == back_.width && win->h == back_.height) {
    SDL_BlitSurface(backWrap_, nullptr, win, nullptr);
  } else {
    SDL_BlitScaled(backWrap_, nullptr, win, nullptr);
  }
  SDL_UpdateWindowSurface(window_);
}

}  // namespace qor::soft
