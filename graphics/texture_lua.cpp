// The texture class: constructors and methods bound to Lua.
//
// Lua errors are longjmps, so every piece of C++ work that owns a destructor
// (strings, resource lookups, temporary bitmaps) runs in a helper that returns
// a plain status; the binding raises afterwards.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "graphics/screen.h"
#include "graphics/texture.h"
#include "host/binding.h"
#include "host/modules.h"
#include "host/resource.h"
#include "image/image_io.h"

namespace qor {

namespace {

const char kClass[] = "texture";

UTexture* Check(lua_State* L) { return CheckRecord<UTexture>(L, 1, kClass); }

int ArgInt(lua_State* L, int idx) { return int(luaL_checkinteger(L, idx)); }

// Pixel methods need storage: a clear error instead of touching nothing.
UTexture* CheckFilled(lua_State* L) {
  UTexture* t = Check(L);
  if (!t->surface) RaiseMessage(L, "空のテクスチャは操作できません。");
  return t;
}

// --- loading

// Decodes straight into the texture: Allocate creates storage of the image's
// size and opens CPU access over all of it.
class TextureImageTarget : public ImageTarget {
 public:
  explicit TextureImageTarget(UTexture* t) : t_(t) {}
  uint8_t* Allocate(int width, int height, int* pitch) override {
    CloseAccess();
    createResult_ = TextureCreateStorage(t_, width, height);
    failedWidth_ = width;
    failedHeight_ = height;
    if (createResult_ != TextureResult::Ok) return nullptr;
    uint8_t* px = TextureBeginAccess(t_);
    open_ = true;
    *pitch = t_->surface->pitch;
    return px;
  }
  void Finish() override { CloseAccess(); }
  void CloseAccess() {
    if (open_ && t_->surface) TextureEndAccess(t_, 0, t_->allocHeight);
    open_ = false;
  }
  TextureResult createResult_ = TextureResult::Ok;
  int failedWidth_ = 0, failedHeight_ = 0;

 private:
  UTexture* t_;
  bool open_ = false;
};

enum class LoadOutcome { Ok, NotFound, Failed, NotFullColour, CreateFailed, BadMovieName, MovieFailed };

struct LoadResult {
  LoadOutcome outcome;
  TextureResult create;
  int width, height;
};

LoadResult LoadTexture(UTexture* t, const char* name) {
  LoadResult res{LoadOutcome::Ok, TextureResult::Ok, 0, 0};
  MovieName movie;
  switch (ParseMovieName(name, &movie)) {
    case MovieNameKind::Malformed:
      res.outcome = LoadOutcome::BadMovieName;
      return res;
    case MovieNameKind::Movie:
      // Movies play into textures once the movie player is part of the engine;
      // until then opening one fails like an unplayable file.
      TextureRelease(t);
      res.outcome = LoadOutcome::MovieFailed;
      return res;
    case MovieNameKind::NotMovie:
      break;
  }
  ResourceLocation loc;
  if (!FindResource(name, &loc)) {
    res.outcome = LoadOutcome::NotFound;
    return res;
  }
  TextureImageTarget target(t);
  ImageStatus st = LoadImage(name, loc, &target);
  target.CloseAccess();
  if (target.createResult_ != TextureResult::Ok) {
    res.outcome = LoadOutcome::CreateFailed;
    res.create = target.createResult_;
    res.width = target.failedWidth_;
    res.height = target.failedHeight_;
  } else if (st == ImageStatus::NotFullColourPng) {
    res.outcome = LoadOutcome::NotFullColour;
  } else if (st != ImageStatus::Ok || !t->surface) {
    res.outcome = LoadOutcome::Failed;
  }
  return res;
}

int TexCreate(lua_State* L) {
  int w = ArgInt(L, 1), h = ArgInt(L, 2);
  RequireDevice(L);
  ClearStack(L);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  TextureCreate(L, t, w, h);
  return 1;
}

int TexLoad(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  RequireDevice(L);
  lua_settop(L, 1);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  LoadResult r = LoadTexture(t, name);
  switch (r.outcome) {
    case LoadOutcome::Ok: break;
    case LoadOutcome::BadMovieName: RaiseMessage(L, "テクスチャファイル名がおかしいです。> %s", name);
    case LoadOutcome::MovieFailed: RaiseMessage(L, "ムービーファイルが再生できませんでした。");
    case LoadOutcome::NotFullColour: RaiseMessage(L, "テクスチャのロード：フルカラーPNGにしか対応していません。");
    case LoadOutcome::CreateFailed: RaiseTextureResult(L, r.create, r.width, r.height);
    default: RaiseMessage(L, "テクスチャファイル\"%s\"が開けませんでした。", name);
  }
  return ReturnResults(L, 1);
}

int TexFromBitmap(lua_State* L) {
  UBitmap* b = CheckRecord<UBitmap>(L, 1, "bitmap");
  lua_settop(L, 1);
  UTexture* t = NewRecord<UTexture>(L, kClass);
  if (!BitmapEmpty(b)) {
    TextureCreate(L, t, b->width, b->height);
    uint8_t* px = TextureBeginAccess(t);
    int pitch = t->surface->pitch;
    for (int y = 0; y < b->height; ++y)
      memcpy(px + size_t(y) * pitch, b->pixels + size_t(y) * b->width * 4, size_t(b->width) * 4);
    TextureEndAccess(t, 0, b->height);
  }
  return ReturnResults(L, 1);
}

// --- lifetime and size

int TexDelete(lua_State* L) {
  TextureRelease(Check(L));
  ClearStack(L);
  return 0;
}

int TexGetSize(lua_State* L) {
  UTexture* t = Check(L);
  ClearStack(L);
  lua_pushnumber(L, t->width);
  lua_pushnumber(L, t->height);
  return 2;
}

// --- drawing

int TexDraw(lua_State* L) {
  UTexture* t = Check(L);
  int x = ArgInt(L, 2), y = ArgInt(L, 3), a = ArgInt(L, 4);
  ClearStack(L);
  DrawTextureRect(L, t, x, y, t->width, t->height, 0, 0, a);
  return 0;
}

int TexDrawRect(lua_State* L) {
  UTexture* t = Check(L);
  int dx = ArgInt(L, 2), dy = ArgInt(L, 3), w = ArgInt(L, 4), h = ArgInt(L, 5);
  int sx = ArgInt(L, 6), sy = ArgInt(L, 7), a = ArgInt(L, 8);
  ClearStack(L);
  DrawTextureRect(L, t, dx, dy, w, h, sx, sy, a);
  return 0;
}

int TexDrawRectLT(lua_State* L) {
  UTexture* t = Check(L);
  int x = ArgInt(L, 2), y = ArgInt(L, 3), sx = ArgInt(L, 4), sy = ArgInt(L, 5);
  int w = ArgInt(L, 6), h = ArgInt(L, 7);
  double scx = luaL_checknumber(L, 8), scy = luaL_checknumber(L, 9), ang = luaL_checknumber(L, 10);
  int a = ArgInt(L, 11);
  ClearStack(L);
  Vertex v[4];
  QuadResult r = BuildTransformedQuad(t->allocWidth, t->allocHeight, x, y, sx, sy, w, h, scx, scy, ang, a, v);
  if (r == QuadResult::BadSource) RaiseMessage(L, "テクスチャの描画：ソース座標が不正です。%d,%d", sx, sy);
  if (r == QuadResult::Nothing || !t->surface) return 0;
  Apply2DState();
  BindTexture(t->surface);
  DrawPrimitives(L, PT_TRIANGLESTRIP, 2, v);
  return 0;
}

int TexDrawTriangle(lua_State* L) {
  UTexture* t = Check(L);
  if (!lua_istable(L, 2)) RaiseMessage(L, "draw2polygonには頂点のテーブルを渡してください。");
  int n = int(lua_objlen(L, 2));
  lua_settop(L, 2);
  // Scratch space owned by Lua, so an error below leaks nothing.
  Vertex* v = static_cast<Vertex*>(lua_newuserdata(L, sizeof(Vertex) * size_t(std::max(n, 1))));
  float aw = t->allocWidth > 1 ? float(t->allocWidth) : 0.0f;
  float ah = t->allocHeight > 1 ? float(t->allocHeight) : 0.0f;
  for (int i = 0; i < n; ++i) {
    lua_rawgeti(L, 2, i + 1);
    if (!lua_istable(L, -1)) RaiseMessage(L, "draw2polygonに渡したデータに誤りがあります。");
    for (int k = 1; k <= 5; ++k) {
      lua_rawgeti(L, -1, k);
      if (!lua_isnumber(L, -1)) RaiseMessage(L, "draw2polygonに渡したデータに誤りがあります。");
      lua_pop(L, 1);
    }
    lua_rawgeti(L, -1, 1);
    lua_rawgeti(L, -2, 2);
    lua_rawgeti(L, -3, 3);
    lua_rawgeti(L, -4, 4);
    int x = int(lua_tointeger(L, -4)), y = int(lua_tointeger(L, -3));
    int u = int(lua_tointeger(L, -2)), tv = int(lua_tointeger(L, -1));
    lua_pop(L, 4);
    lua_rawgeti(L, -1, 5);
    uint32_t color = ToColor(L, -1);
    lua_pop(L, 2);
    v[i] = Vertex{float(x) - 0.5f, float(y) - 0.5f, 0.0f, 1.0f, color,
                  aw > 0 ? float(u) / aw : 0.0f, ah > 0 ? float(tv) / ah : 0.0f};
  }
  Apply2DState();
  if (n < 3 || n % 3 != 0)
    RaiseMessage(L, "draw2dpolygonに渡す点の数は３の倍数でなければなりません。");
  if (!t->surface) {
    ClearStack(L);
    return 0;
  }
  BindTexture(t->surface);
  DrawPrimitives(L, PT_TRIANGLELIST, n / 3, v);
  ClearStack(L);
  return 0;
}

// --- pixels

int TexFill(lua_State* L) {
  UTexture* t = CheckFilled(L);
  uint32_t color = CheckColor(L, 2);
  ClearStack(L);
  uint8_t* px = TextureBeginAccess(t);
  int pitch = t->surface->pitch;
  for (int y = 0; y < t->height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(px + size_t(y) * pitch);
    std::fill(row, row + t->width, color);
  }
  TextureEndAccess(t, 0, t->height);
  return 0;
}

int TexFillRect(lua_State* L) {
  UTexture* t = CheckFilled(L);
  uint32_t color = CheckColor(L, 2);
  int l = ArgInt(L, 3), tp = ArgInt(L, 4), r = ArgInt(L, 5), b = ArgInt(L, 6);
  ClearStack(L);
  // Corners are inclusive; the rectangle must be at least 2 x 2 and lie inside
  // the allocated storage (writing past it would corrupt memory).
  if (l >= r || tp >= b || l < 0 || tp < 0 || r >= t->allocWidth || b >= t->allocHeight)
    RaiseMessage(L, "テクスチャのロック領域が間違っています。左上座標%d,%d 右下座標%d,%d", l, tp, r, b);
  uint8_t* px = TextureBeginAccess(t);
  int pitch = t->surface->pitch;
  for (int y = tp; y <= b; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(px + size_t(y) * pitch) + l;
    std::fill(row, row + (r - l + 1), color);
  }
  TextureEndAccess(t, tp, b + 1);
  return 0;
}

// Ends the script's lock: the rows it covered are uploaded before the next draw.
void EndScriptLock(UTexture* t) {
  if (!t->isLocked) return;
  t->isLocked = false;
  if (t->surface) TextureEndAccess(t, t->lockTop, t->lockBottom);
}

int TexLock(lua_State* L) {
  UTexture* t = CheckFilled(L);
  int l = 0, tp = 0, r = t->allocWidth - 1, b = t->allocHeight - 1;
  if (lua_gettop(L) >= 2) {
    l = ArgInt(L, 2), tp = ArgInt(L, 3), r = ArgInt(L, 4), b = ArgInt(L, 5);
    if (l < 0 || tp < 0 || r >= t->width || b >= t->height || l > r || tp > b)
      RaiseMessage(L, "テクスチャロックに範囲外を指定しました。(%d,%d)～(%d,%d)", l, tp, r, b);
  }
  ClearStack(L);
  EndScriptLock(t);  // a second lock replaces the first
  uint8_t* px = TextureBeginAccess(t);
  t->locked.pitch = t->surface->pitch;
  t->locked.bits = px + size_t(tp) * t->surface->pitch + size_t(l) * 4;
  t->isLocked = true;
  t->lockTop = tp;
  t->lockBottom = b + 1;
  lua_pushlightuserdata(L, &t->locked);
  return 1;
}

int TexUnlock(lua_State* L) {
  UTexture* t = CheckFilled(L);
  ClearStack(L);
  EndScriptLock(t);
  return 0;
}

int TexRender(lua_State* L) {
  UTexture* t = CheckFilled(L);
  UBitmap* bm = CheckRecord<UBitmap>(L, 2, "bitmap");
  int dx = ArgInt(L, 3), dy = ArgInt(L, 4), w = ArgInt(L, 5), h = ArgInt(L, 6);
  int sx = ArgInt(L, 7), sy = ArgInt(L, 8);
  int mode = int(luaL_optinteger(L, 9, 0));
  ClearStack(L);
  // 64-bit sums: huge arguments must not wrap around into range.
  if (dx < 0 || dy < 0 || int64_t(dx) + w - 1 > t->width - 1 || int64_t(dy) + h - 1 > t->height - 1)
    RaiseMessage(L, "座標指定がテクスチャからはみ出しています。Texture dx,dy=%d,%d w,h=%d,%d", dx, dy, w, h);
  if (BitmapEmpty(bm)) RaiseMessage(L, "空のビットマップは描き込めません。");
  if (sx < 0 || sy < 0 || int64_t(sx) + w - 1 > bm->width - 1 || int64_t(sy) + h - 1 > bm->height - 1)
    RaiseMessage(L, "座標指定がビットマップからはみ出しています。Bitmap sx,sy=%d,%d w,h=%d,%d", sx, sy, w, h);
  if (w <= 0 || h <= 0 || mode < 0 || mode > 2) return 0;
  uint8_t* px = TextureBeginAccess(t);
  int pitch = t->surface->pitch;
  for (int y = 0; y < h; ++y) {
    uint8_t* dst = px + size_t(dy + y) * pitch + size_t(dx) * 4;
    const uint8_t* src = bm->pixels + (size_t(sy + y) * bm->width + sx) * 4;
    CompositeRow(dst, src, w, mode);
  }
  TextureEndAccess(t, dy, dy + h);
  return 0;
}

// --- saving

enum class SaveKind { Png, PngNoAlpha, Alpha };

// Copies the logical area into a temporary bitmap and writes it. Returns 0 on
// success, 1 when the bitmap could not be made, 2 when writing failed, 3 for an
// alpha file name with an unsupported extension; `why` gets the reason.
int SaveTexture(UTexture* t, const char* file, SaveKind kind, char* why, size_t whyLen) {
  UBitmap b{};
  if (!BitmapCreate(&b, t->width, t->height)) return 1;
  const uint8_t* px = TextureBeginAccess(t);
  for (int y = 0; y < t->height; ++y)
    memcpy(b.pixels + size_t(y) * t->width * 4, px + size_t(y) * t->surface->pitch, size_t(t->width) * 4);
  TextureEndAccess(t, 0, 0);
  int rc = 0;
  {
    std::string error;
    if (kind == SaveKind::Alpha) {
      AlphaSaveStatus st = SaveAlpha(b, file, &error);
      rc = st == AlphaSaveStatus::Ok ? 0 : st == AlphaSaveStatus::BadExtension ? 3 : 2;
    } else {
      rc = SavePng(b, file, kind == SaveKind::PngNoAlpha, &error) ? 0 : 2;
    }
    snprintf(why, whyLen, "%s", error.c_str());
  }
  BitmapRelease(&b);
  return rc;
}

int SaveCommon(lua_State* L, SaveKind kind) {
  UTexture* t = CheckFilled(L);
  const char* file = luaL_checkstring(L, 2);
  char ext[5];
  if (kind == SaveKind::Alpha &&
      (!ImageExtension(file, ext) || (strcmp(ext, "png") != 0 && strcmp(ext, "arl") != 0)))
    RaiseMessage(L, "savealphaはグレースケールPNG形式もしくはarl形式です");
  char why[256] = "";
  int rc = SaveTexture(t, file, kind, why, sizeof why);
  if (rc == 1) RaiseMessage(L, "ビットマップを作成できませんでした。(%d %d)", t->width, t->height);
  if (rc == 3) RaiseMessage(L, "savealphaはグレースケールPNG形式もしくはarl形式です");
  if (rc == 2) RaiseMessage(L, "ファイル\"%s\"に書き込めませんでした。(%s)", file, why);
  ClearStack(L);
  return 0;
}

int TexSave(lua_State* L) {
  bool noAlpha = lua_toboolean(L, 3);
  return SaveCommon(L, noAlpha ? SaveKind::PngNoAlpha : SaveKind::Png);
}

int TexSaveAlpha(lua_State* L) { return SaveCommon(L, SaveKind::Alpha); }

// --- render to texture

int TexBeginScene(lua_State* L) {
  UTexture* t = Check(L);
  lua_settop(L, 1);
  BeginRenderToTexture(L, t);  // keeps the object alive until endscene
  ClearStack(L);
  return 0;
}

int TexEndScene(lua_State* L) {
  ClearStack(L);
  EndRenderToTexture(L);
  return 0;
}

int TexGc(lua_State* L) {
  TextureRelease(Check(L));
  return 0;
}

}  // namespace

const luaL_Reg kTextureMethods[] = {
    {"delete", TexDelete},         {"draw", TexDraw},
    {"drawrect", TexDrawRect},     {"drawrectlt", TexDrawRectLT},
    {"drawtriangle", TexDrawTriangle},
    {"fill", TexFill},             {"fillrect", TexFillRect},
    {"getsize", TexGetSize},       {"save", TexSave},
    {"savealpha", TexSaveAlpha},   {"lock", TexLock},
    {"unlock", TexUnlock},         {"render", TexRender},
    {"beginscene", TexBeginScene}, {"endscene", TexEndScene},
    {"__gc", TexGc},               {nullptr, nullptr},
};

const luaL_Reg kTextureCtors[] = {
    {"create", TexCreate},
    {"load", TexLoad},
    {"frombitmap", TexFromBitmap},
    {nullptr, nullptr},
};

}  // namespace qor
