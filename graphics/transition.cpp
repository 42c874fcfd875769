// Screen transitions: cross-fade, rolls and slides as two textured quads each,
// and the rule-image wipe composed on the CPU into one work texture.
#include "graphics/transition.h"

#include <cmath>

#include "graphics/screen.h"

namespace qor {

namespace {

// The one work texture of the rule-image wipe, made at the screen size of its
// first use and kept until exit, so no texture is made per frame.
UTexture g_work{};

bool ScreenSized(const UTexture* t) { return t->width == g_screen.width && t->height == g_screen.height; }

GfxStatus DrawAt(UTexture* t, int x, int y, int alpha = 255) {
  return DrawTextureRect(t, x, y, g_screen.width, g_screen.height, 0, 0, alpha);
}

}  // namespace

int TruncClamped(double v) {
  constexpr double kMax = double(1 << 30);
  if (std::isnan(v)) return 0;
  if (v > kMax) return 1 << 30;
  if (v < -kMax) return -(1 << 30);
  return static_cast<int>(v);
}

GfxStatus DrawTransition(TransitionKind kind, UTexture* from, UTexture* to, double t) {
  if (!ScreenSized(from) || !ScreenSized(to)) return GfxStatus::NotScreenSized;
  const int W = g_screen.width, H = g_screen.height;
  const int dx = TruncClamped(t * W), dy = TruncClamped(t * H);
  const bool showTo = t != 0, showFrom = t != 1;
  // Roll: the incoming picture first, then the outgoing one next to it.
  // Slide: the outgoing picture stays, the incoming one covers it.
  GfxStatus st = GfxStatus::Ok;
  auto roll = [&](int tx, int ty, int fx, int fy) {
    if (showTo) st = DrawAt(to, tx, ty);
    if (st == GfxStatus::Ok && showFrom) st = DrawAt(from, fx, fy);
  };
  auto slide = [&](int tx, int ty) {
    if (showFrom) st = DrawAt(from, 0, 0);
    if (st == GfxStatus::Ok && showTo) st = DrawAt(to, tx, ty);
  };
  switch (kind) {
    case TransitionKind::Fade:
      if (showTo) st = DrawAt(to, 0, 0);
      // Only the alpha's low 8 bits count: t = 1.5 gives -127, drawn as 129.
      if (st == GfxStatus::Ok && showFrom) st = DrawAt(from, 0, 0, TruncClamped(255.0 - t * 255.0));
      break;
    case TransitionKind::RollUp: roll(0, dy - H, 0, dy); break;
    case TransitionKind::RollDown: roll(0, H - dy, 0, -dy); break;
    case TransitionKind::RollLeft: roll(dx - W, 0, dx, 0); break;
    case TransitionKind::RollRight: roll(W - dx, 0, -dx, 0); break;
    case TransitionKind::SlideUp: slide(0, H - dy); break;
    case TransitionKind::SlideDown: slide(0, dy - H); break;
    case TransitionKind::SlideLeft: slide(dx - W, 0); break;
    case TransitionKind::SlideRight: slide(W - dx, 0); break;
  }
  return st;
}

void UniversalPass(uint8_t* out, int outPitch, const uint8_t* from, int fromPitch, const uint8_t* to,
                   int toPitch, const uint8_t* rule, int ruleWidth, int ruleHeight, int w, int h,
                   int threshold, int vague) {
  // Per rule value: the blend step d = T - r clamped to 0 (all `from`) or
  // vague + 1 (all `to`). Only pixels in the soft band need arithmetic; their
  // trunc((to - from) * d / vague) comes from a table per step d (at most
  // 255 x 511 entries, built once per call), which is cheaper than a
  // division per channel over a whole screen.
  int step[256];
  bool used[257] = {};  // steps 0 .. vague + 1
  for (int r = 0; r < 256; ++r) {
    const int d = threshold - r;
    step[r] = d <= 0 ? 0 : d > vague ? vague + 1 : d;
    used[step[r]] = true;
  }
  // Drawing runs on one thread, so one table serves every call.
  static int16_t table[256 * 512];
  if (vague > 0) {
    for (int d = 1; d <= vague; ++d) {
      if (!used[d]) continue;
      int16_t* row = &table[size_t(d) * 512 + 255];
      // diff * d / vague stepped up without a division per entry (d <= vague,
      // so the remainder passes vague at most once a step); truncation toward
      // zero makes the negative half the mirror image.
      int q = 0, rem = 0;
      row[0] = 0;
      for (int diff = 1; diff <= 255; ++diff) {
        rem += d;
        if (rem >= vague) rem -= vague, ++q;
        row[diff] = int16_t(q);
        row[-diff] = int16_t(-q);
      }
    }
  }
  // Whole pixels as 32-bit words (rows are 4-byte aligned): blue in the low byte.
  for (int y = 0; y < h; ++y) {
    auto* o = reinterpret_cast<uint32_t*>(out + size_t(y) * outPitch);
    auto* f = reinterpret_cast<const uint32_t*>(from + size_t(y) * fromPitch);
    auto* t = reinterpret_cast<const uint32_t*>(to + size_t(y) * toPitch);
    const uint8_t* rrow = rule + size_t(y % ruleHeight) * ruleWidth * 4;
    for (int x0 = 0; x0 < w; x0 += ruleWidth) {
      // One tile's width of the row at a time: the rule column restarts at 0.
      const int n = w - x0 < ruleWidth ? w - x0 : ruleWidth;
      for (int i = 0; i < n; ++i) {
        const int x = x0 + i;
        const int d = step[rrow[i * 4]];
        if (d == 0) {
          o[x] = f[x] | 0xFF000000u;
        } else if (d > vague) {
          o[x] = t[x] | 0xFF000000u;
        } else {
          const int16_t* row = &table[size_t(d) * 512 + 255];
          uint32_t px = 0xFF000000u;
          for (int sh = 0; sh < 24; sh += 8) {
            const int fc = int(f[x] >> sh & 255), tc = int(t[x] >> sh & 255);
            px |= uint32_t(uint8_t(fc + row[tc - fc])) << sh;
          }
          o[x] = px;
        }
      }
    }
  }
}

GfxResult DrawUniversalTransition(UTexture* from, UTexture* to, double t, const UBitmap* rule, int vague) {
  // An empty rule image has no size to tile by: refused like a wrong size.
  if (!ScreenSized(from) || !ScreenSized(to) || BitmapEmpty(rule)) return GfxStatus::NotScreenSized;
  if (!g_screen.device) return GfxStatus::NoDevice;
  const int W = g_screen.width, H = g_screen.height;
  if (!g_work.surface) {
    TextureResult r = TextureCreateStorage(&g_work, W, H);
    if (r != TextureResult::Ok) return TextureCreateStatus(r, W, H);
  }
  if (t == 0) return DrawAt(from, 0, 0);
  if (t == 1) return DrawAt(to, 0, 0);
  // The work texture keeps its first size; the screen size cannot change
  // after gui.create, so it always covers the screen.
  if (!from->surface || !to->surface || g_work.allocWidth < W || g_work.allocHeight < H)
    return GfxStatus::TextureLockFailed;
  // Reading all three first carries out queued draws that use them.
  const uint8_t* f = TextureBeginAccess(from);
  const uint8_t* s = TextureBeginAccess(to);
  uint8_t* o = TextureBeginAccess(&g_work);
  UniversalPass(o, g_work.surface->pitch, f, from->surface->pitch, s, to->surface->pitch, rule->pixels,
                rule->width, rule->height, W, H, TruncClamped(t * 510.0), vague);
  TextureEndAccess(from, 0, 0);
  TextureEndAccess(to, 0, 0);
  TextureEndAccess(&g_work, 0, H);
  return DrawAt(&g_work, 0, 0);
}

void ReleaseTransitionWork() { TextureRelease(&g_work); }

}  // namespace qor
