// Screen transitions: one frame of a change between two screen-sized
// pictures, drawn into the current scene. Stateless apart from the one work
// texture the rule-image wipe composes into. Lua-free: statuses only.
#pragma once
#include <cstdint>

#include "graphics/status.h"
#include "graphics/texture.h"
#include "image/bitmap.h"

namespace qor {

enum class TransitionKind {
  Fade,
  RollUp, RollDown, RollLeft, RollRight,
  SlideUp, SlideDown, SlideLeft, SlideRight,
};

// Draws one frame of `kind` at progress t (0 shows `from`, 1 shows `to`; not
// clamped). NotScreenSized when either texture's logical size is not the screen's.
GfxStatus DrawTransition(TransitionKind kind, UTexture* from, UTexture* to, double t);

// The rule-image wipe: pixels switch from `from` to `to` as trunc(t * 510)
// passes their rule value (the rule image tiled from the top-left), over a
// soft band `vague` (0..255) steps wide. The work texture is made on first use.
// NotScreenSized also for an empty rule image.
GfxResult DrawUniversalTransition(UTexture* from, UTexture* to, double t, const UBitmap* rule, int vague);

// The wipe's per-pixel pass over w x h pixels (BGRA rows with their pitches;
// the rule's pixels repeat every ruleWidth x ruleHeight). Out's alpha is 255.
void UniversalPass(uint8_t* out, int outPitch, const uint8_t* from, int fromPitch, const uint8_t* to,
                   int toPitch, const uint8_t* rule, int ruleWidth, int ruleHeight, int w, int h,
                   int threshold, int vague);

// Releases the work texture (exit clean-up, or before the device goes away).
void ReleaseTransitionWork();

// Truncates toward zero, saturated to +-2^30 (NaN reads as 0): positions and
// alphas far outside the screen stay far outside without overflowing.
int TruncClamped(double v);

}  // namespace qor
