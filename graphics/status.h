// What a graphics operation reports to its caller. The graphics core never
// raises: the binding turns a status into the script error (or, for the
// fatal ones, the fatal error) with the numbers the message names.
#pragma once

namespace qor {

enum class GfxStatus {
  Ok,
  NoDevice,              // drawing before gui.create
  BeginSceneFailed,      // a scene is already open on the device
  UnsupportedPrimitive,  // points or lines in stretched full screen
  OutOfMemory,           // an allocation failed
  DeviceLost,            // a present failed; the device has been recovered
  TargetFatal,           // the off-screen target cannot be made (the process must end)
  HookFailed,            // a script hook failed inside the message pump
  // Textures and off-screen scenes.
  TextureOutOfMemory,       // v = width, height
  TextureOutOfVideoMemory,  // v = width, height
  TextureInvalidCall,       // v = width, height
  EmptyTexture,             // a pixel method on a texture without storage
  OneRenderTarget,          // an off-screen scene is already open
  TargetCreateFailed,       // texture:beginscene cannot make or set its target
  BitmapCreateFailed,       // v = width, height
  // Pixel methods (v = the rectangle or block the script gave).
  BadFillRect,       // left, top, right, bottom
  BadLockRect,       // left, top, right, bottom
  RenderOutsideTexture,  // dx, dy, w, h
  RenderOutsideBitmap,   // sx, sy, w, h
  EmptyBitmap,
  EmptyTarget,          // texture:beginscene on a texture without storage
  // Loading and saving.
  ImageNotFound,        // the file is neither on disk nor in an archive, or cannot be decoded
  ImageNotFullColour,   // a PNG that is not full colour
  BadMovieName,         // ":movie(" without the closing parenthesis
  MovieFailed,          // the movie cannot be played
  WriteFailed,          // the file cannot be written (the reason travels separately)
  BadAlphaName,         // savealpha to a name that is neither .png nor .arl
  // Transitions, shapes and meshes.
  NotScreenSized,       // a transition's texture is not the screen's size
  TextureLockFailed,    // a transition cannot reach a texture's pixels
  BadShapeCount,        // a coordinate table's count does not fit its primitive
  BadSegmentCount,      // a negative or zero segment count
};

// A status with up to four numbers for its message.
struct GfxResult {
  GfxStatus status = GfxStatus::Ok;
  int v[4] = {};
  GfxResult() = default;
  GfxResult(GfxStatus s, int a = 0, int b = 0, int c = 0, int d = 0) : status(s), v{a, b, c, d} {}
  bool ok() const { return status == GfxStatus::Ok; }
};

}  // namespace qor
