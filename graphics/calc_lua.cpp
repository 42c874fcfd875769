// The calc module: the cubic Bezier evaluator and the .arl decoder benchmark.
#include <cstdio>

#include "graphics/shape.h"
#include "host/binding.h"
#include "host/engine.h"
#include "host/modules.h"
#include "host/options.h"
#include "image/arl_bench.h"
#include "platform/dialog.h"

namespace qor {

namespace {

int CalcBezier(lua_State* L) {
  double q[8];
  for (int i = 0; i < 8; ++i) q[i] = luaL_checknumber(L, i + 1);
  double t = luaL_checknumber(L, 9);
  ClearStack(L);
  double x, y;
  BezierPoint(q, t, &x, &y);
  lua_pushnumber(L, x);
  lua_pushnumber(L, y);
  return 2;
}

int CalcTest(lua_State* L) {
  ClearStack(L);
  const char kArl[] = "test.arl";
  ArlBenchResult r;
  RunGuarded(L, [&](Outcome& out) {
    r = RunArlDecodeBenchmark(kArl, "out.png");
    switch (r.status) {
      case ArlBenchStatus::Ok: break;
      case ArlBenchStatus::CannotOpen: return out.Fail("ファイル\"%s\"が開けませんでした。", kArl);
      case ArlBenchStatus::TooShort: return out.Fail("ファイル\"%s\"のデータが足りません。", kArl);
      case ArlBenchStatus::OutOfMemory: return out.Fail("%s", kOutOfMemoryMessage);
      case ArlBenchStatus::WriteFailed:
        return out.Fail("ファイル\"%s\"に書き込めませんでした。(%s)", "out.png", r.reason.c_str());
    }
    char text[32];
    snprintf(text, sizeof text, "%d milisec", r.milliseconds);
    platform::DialogSettings settings;  // no owner window
    settings.headless = g_options.headless;
    settings.answerYes = g_options.answerYes;
    platform::ShowMessageBox(text, text, platform::BoxKind::kInformation, settings);
  });
  return 0;
}

}  // namespace

const luaL_Reg kCalcFuncs[] = {
    {"bezier", CalcBezier},
    {"test", CalcTest},
    {nullptr, nullptr},
};

}  // namespace qor
