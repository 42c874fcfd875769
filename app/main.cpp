// qor: runs a game folder.
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "host/engine.h"
#include "host/options.h"

int main(int argc, char** argv) {
  bool exitNow = false;
  if (!qor::ParseOptions(argc, argv, &qor::g_options, &exitNow)) return qor::kExitUsage;
  if (exitNow) return 0;
  // A screenshot that could not be written at the end is known now: refuse
  // the run rather than let a test believe a frame was saved.
  std::string why;
  const std::string& shot = qor::g_options.screenshot;
  if (!shot.empty() && !qor::ScreenshotPathUsable(shot, &why)) {
    fprintf(stderr, "qor: cannot write the screenshot \"%s\": %s\n", shot.c_str(), why.c_str());
    return qor::kExitScreenshot;
  }
  qor::RunEngine();
}
